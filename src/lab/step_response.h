#pragma once
// The speed's response to one action of the student (a start, a setpoint step, a load step),
// measured as a control course measures it: the overshoot and the time to settle within 5 %,
// from the action's instant. A change of speed is measured against its size; a disturbance
// that leaves the speed asked for as it was (a load step), against its largest deviation.
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

class StepResponse
{
public:
    // The band around the final speed, as a share of the response's size.
    static constexpr double Band = 0.05;
    // Known once the speed has stayed in the band this long (s) with no cycle slipped.
    static constexpr double Hold = 0.5;
    // The motor's ripple, and more (tr/s): a response smaller than this is not measured, and no
    // band is narrower.
    static constexpr double Least = 0.005;
    // Samples kept for drawing, at most: the recorder's paper.
    static constexpr std::size_t MaxCurve = 500;

    // A response from `time` (s), the speed at `from`, heading for `target` (tr/s).
    void begin(double time, double from, double target);
    // The speed at `time`, in time order; `slips` counts the loop's slipped cycles so far.
    void add(double time, double speed, long long slips);
    // A point of the curve drawn when the response is kept: the speed at `time`, in time order.
    void addCurvePoint(double time, double speed);

    double start() const { return m_start; }
    // Once known: overshoot in %, and the settling time (s) from the action.
    std::optional<double> overshootPercent() const;
    std::optional<double> settlingTime() const;
    // The speed since the action, evenly spaced; the first point `curveOffset()` after it.
    const std::vector<float> &curve() const { return m_curve; }
    double curveOffset() const { return m_curveStart - m_start; }

private:
    bool isStep() const { return std::abs(m_target - m_from) >= Least; }
    bool known() const;

    double m_start = 0, m_from = 0, m_target = 0;
    double m_last = 0;                 // the newest sample's time
    double m_highest = 0, m_lowest = 0; // the speed's furthest above and below the target
    double m_outside = 0;              // the last time the speed was out of the band
    long long m_slips = -1;            // slips at the action; -1 before any
    std::vector<float> m_curve;
    double m_curveStart = 0;
};

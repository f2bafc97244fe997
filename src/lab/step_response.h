#pragma once
// The speed's response to one action of the student, measured as a control course measures that
// kind of action: a setpoint step by its overshoot and its time to settle within 5 %, a load
// step by the speed's largest departure and its time to come back, a start from rest by its
// time to lock, a ramp by the speed's lag behind f/100 while it ramps. The speed measured is the
// mean over each measuring step, which the comparator's ripple does not reach.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class StepResponse
{
public:
    enum class Action : std::uint8_t { StartFromRest, LockedStart, SetpointStep, LoadStep, Ramp };

    // The band around the final speed, as a share of the response's size.
    static constexpr double Band = 0.05;
    // Known once the speed has stayed in the band this long (s) with no cycle slipped.
    static constexpr double Hold = 0.5;
    // A setpoint step smaller than this (tr/s) is not measured, and no step's band is narrower.
    static constexpr double Least = 0.005;
    // What the mean speed still wavers by (tr/s): no disturbance's band is narrower.
    static constexpr double LeastDeparture = 0.0005;
    // Samples kept for drawing, at most: the recorder's paper.
    static constexpr std::size_t MaxCurve = 500;

    // A response to `action` from `time` (s), the speed heading from `from` to `target` (tr/s).
    void begin(Action action, double time, double from, double target);
    // The mean speed up to `time`, in time order; `slips` counts the loop's slipped cycles so far.
    void add(double time, double speed, long long slips);
    // While the setpoint ramps at `slope` (tr/s per s): the speed's mean over a stretch, and f/100's.
    void addRampStretch(double speed, double asked, double slope);
    // A point of the curve drawn when the response is kept: the speed at `time`, in time order.
    void addCurvePoint(double time, double speed);

    Action action() const { return m_action; }
    double start() const { return m_start; }
    // After a setpoint step, once known: the overshoot in % of the step.
    std::optional<double> overshootPercent() const;
    // Once known: after a setpoint step or a start from rest, the time (s) from the action to
    // settle within 5 % of the change; after a load step, to come back within 5 % of the
    // largest departure.
    std::optional<double> settlingTime() const;
    // After a load step, once known: the speed's largest departure (tr/s).
    std::optional<double> largestDeparture() const;
    // After a start from rest, once locked: the time (s) from the start to the last slip.
    std::optional<double> lockTime() const;
    // After a ramp, once it has moved a stretch: the speed's lag behind f/100 (tr/s) over the
    // latest stretch of the ramp, and that lag in time (s).
    std::optional<double> rampLag() const { return m_rampLag; }
    std::optional<double> rampDelay() const { return m_rampDelay; }
    // The speed since the action, evenly spaced; the first point `curveOffset()` after it.
    const std::vector<float> &curve() const { return m_curve; }
    double curveOffset() const { return m_curveStart - m_start; }

private:
    bool isStep() const { return std::abs(m_target - m_from) >= Least; }
    bool known() const;

    Action m_action = Action::StartFromRest;
    double m_start = 0, m_from = 0, m_target = 0;
    double m_last = 0;                  // the newest sample's time
    double m_highest = 0, m_lowest = 0; // the speed's furthest above and below the target
    double m_outside = 0;               // the last time the speed was out of the band
    double m_lastSlip = 0;              // the last time a cycle slipped, or the action's
    long long m_slips = -1;             // slips at the action; -1 before any
    std::optional<double> m_rampLag, m_rampDelay;
    std::vector<float> m_curve;
    double m_curveStart = 0;
};

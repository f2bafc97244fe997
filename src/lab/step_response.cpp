#include "lab/step_response.h"

#include <algorithm>

void StepResponse::begin(double time, double from, double target)
{
    *this = {};
    m_start = m_last = m_outside = m_curveStart = time;
    m_from = from;
    m_target = target;
}

void StepResponse::add(double time, double speed, long long slips)
{
    if (m_slips < 0)
        m_slips = slips;
    m_last = time;
    const double deviation = speed - m_target;
    m_highest = std::max(m_highest, deviation);
    m_lowest = std::min(m_lowest, deviation);
    // A disturbance's band follows its largest deviation: that comes before the speed settles,
    // and the last time out of the band comes after it, so the band grows in time to count.
    const double size = isStep() ? std::abs(m_target - m_from) : std::max(m_highest, -m_lowest);
    // A slipped cycle is a change the loop has not caught.
    if (std::abs(deviation) > std::max(Band * size, Least) || slips != m_slips) {
        m_outside = time;
        m_slips = slips;
    }
}

void StepResponse::addCurvePoint(double time, double speed)
{
    if (m_curve.empty())
        m_curveStart = time;
    if (m_curve.size() < MaxCurve)
        m_curve.push_back(float(speed));
}

bool StepResponse::known() const
{
    return m_slips >= 0 && m_last - m_outside >= Hold;
}

std::optional<double> StepResponse::overshootPercent() const
{
    if (!known())
        return std::nullopt;
    if (isStep()) {
        const double beyond = m_target > m_from ? m_highest : -m_lowest;
        return 100 * beyond / std::abs(m_target - m_from);
    }
    // Past the largest deviation, the swing to the other side.
    const double peak = std::max(m_highest, -m_lowest);
    if (peak < Least)
        return 0.0;
    return 100 * std::min(m_highest, -m_lowest) / peak;
}

std::optional<double> StepResponse::settlingTime() const
{
    if (!known())
        return std::nullopt;
    return m_outside - m_start;
}

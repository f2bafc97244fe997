#include "lab/step_response.h"

#include <algorithm>

void StepResponse::begin(Action action, double time, double from, double target)
{
    *this = {};
    m_action = action;
    m_start = m_last = m_outside = m_lastSlip = m_curveStart = time;
    m_from = from;
    m_target = target;
}

void StepResponse::addRampStretch(double speed, double asked, double slope)
{
    m_rampLag = asked - speed;
    m_rampDelay = *m_rampLag / slope;
}

void StepResponse::add(double time, double speed, long long slips)
{
    if (m_slips < 0)
        m_slips = slips;
    m_last = time;
    const double deviation = speed - m_target;
    m_highest = std::max(m_highest, deviation);
    m_lowest = std::min(m_lowest, deviation);
    // A disturbance's band follows its largest departure: that comes before the speed settles,
    // and the last time out of the band comes after it, so the band grows in time to count.
    const double band = m_action == Action::LoadStep ? std::max(Band * std::max(m_highest, -m_lowest), LeastDeparture)
                                                     : std::max(Band * std::abs(m_target - m_from), Least);
    // A slipped cycle is a change the loop has not caught.
    const bool slipped = slips != m_slips;
    if (slipped)
        m_lastSlip = time;
    if (std::abs(deviation) > band || slipped) {
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
    if (m_action != Action::SetpointStep || !isStep() || !known())
        return std::nullopt;
    const double beyond = m_target > m_from ? m_highest : -m_lowest;
    return 100 * beyond / std::abs(m_target - m_from);
}

std::optional<double> StepResponse::settlingTime() const
{
    const bool measured = m_action == Action::LoadStep || m_action == Action::StartFromRest
                          || (m_action == Action::SetpointStep && isStep());
    if (!measured || !known())
        return std::nullopt;
    return m_outside - m_start;
}

std::optional<double> StepResponse::largestDeparture() const
{
    if (m_action != Action::LoadStep || !known())
        return std::nullopt;
    return std::max(m_highest, -m_lowest);
}

std::optional<double> StepResponse::lockTime() const
{
    if (m_action != Action::StartFromRest || m_slips < 0 || m_last - m_lastSlip < Hold)
        return std::nullopt;
    return m_lastSlip - m_start;
}

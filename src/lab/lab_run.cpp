#include "lab/lab_run.h"

#include <algorithm>

namespace {
int timeConstant(int units)
{
    return std::clamp(units, LabSettings::MinTimeConstant, LabSettings::MaxTimeConstant);
}

// A typed value in the setpoint's steps: 1004 Hz is 1000.
int inSetpointSteps(int hz)
{
    constexpr int step = LabSettings::SetpointStep;
    return std::clamp((std::clamp(hz, -step, LabSettings::MaxSetpoint + step) + step / 2) / step * step, 0,
                      LabSettings::MaxSetpoint);
}

template <typename T, typename F>
std::optional<T> mapped(const std::optional<T> &value, F f)
{
    return value ? std::optional<T>(f(*value)) : std::nullopt;
}
}

LabChange LabChange::inRange() const
{
    LabChange c = *this;
    c.setpoint = mapped(setpoint, inSetpointSteps);
    c.ramp = mapped(ramp, [](int v) { return v > 0 ? std::clamp(v, LabSettings::MinSlope, LabSettings::MaxSlope) : 0; });
    c.load = mapped(load, [](int v) { return std::clamp(v, 0, LabSettings::MaxLoad); });
    c.lead = mapped(lead, timeConstant);
    c.lag = mapped(lag, timeConstant);
    c.filter = mapped(filter, timeConstant);
    c.gain = mapped(gain, [](int v) { return std::clamp(v, LabSettings::MinGain, LabSettings::MaxGain); });
    return c;
}

pllmodel::LoopParameters LabSettings::parameters() const
{
    pllmodel::LoopParameters p = pllmodel::Radar;
    p.phaseAdvance = corrector;
    p.motorLoad = load * LoadUnit;
    p.regulatorLead = lead * TimeConstantUnit;
    p.regulatorLag = lag * TimeConstantUnit;
    p.regulatorFilter = filter * TimeConstantUnit;
    p.regulatorGain = gain * GainUnit;
    return p;
}

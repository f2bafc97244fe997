#include "model/operating_point.h"

#include <algorithm>
#include <numbers>

namespace pllmodel {

namespace {
// Setpoint frequency whose operating point asks the comparator for `mean` volts.
double frequencyFor(double mean, const LoopParameters &p)
{
    return (mean * p.settledCommandGain() - p.motorLoad) * p.motorGain * p.sensorSteps;
}
}

double velocityGain(const LoopParameters &p)
{
    return p.comparatorGain() * p.amplifierGain * p.motorGain * 2 * std::numbers::pi * p.sensorSteps;
}

OperatingPoint operatingPoint(double frequency, const LoopParameters &p)
{
    const double speed = frequency / p.sensorSteps;
    // The load takes its volts from U before the motor turns: U's mean covers both.
    const double mean = (speed + p.motorGain * p.motorLoad) / (p.settledCommandGain() * p.motorGain);
    return {speed, mean, (mean - p.comparatorLow) / p.comparatorGain()};
}

// The error over the setpoint phase is 1/(1 + L) = p/K (1 + (sum of the lags - lead - 1/K) p + ...)
// at low pulsations, K the velocity gain: a phase growing with constant acceleration leaves that
// bracket's first-order term, times the acceleration, over K.
double rampLag(double rate, const LoopParameters &p)
{
    const double k = velocityGain(p) * (p.phaseAdvance ? p.regulatorGain : 1);
    const double lags = p.motorTimeConstant + (p.phaseAdvance ? p.regulatorLag + p.regulatorFilter - p.regulatorLead : 0);
    return 2 * std::numbers::pi * rate * (lags - 1 / k) / k;
}

FrequencyRange lockRange(const LoopParameters &p)
{
    // The setpoint cannot run backwards: under a driving load the lowest level asks for less.
    return {std::max(0.0, frequencyFor(p.comparatorLow, p)), frequencyFor(p.comparatorHigh, p)};
}

}

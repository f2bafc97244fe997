#pragma once
// The locked loop in steady state, in closed form: what every signal averages to at a constant
// setpoint, and the setpoints the exclusive-OR comparator can hold at all.
#include "model/loop_parameters.h"

namespace pllmodel {

struct OperatingPoint
{
    double speed;           // motor shaft, turns per second
    // V; times the settled command gain, the mean motor voltage
    double comparatorMean;
    double phaseError;      // setpoint phase less feedback phase, rad
};

// Comparator, amplifier, motor and sensor gains together, 1/s: the open loop's gain once its
// integrator is set apart, and the setpoint phase slope per radian of phase error.
double velocityGain(const LoopParameters &p = Radar);

// At a constant setpoint frequency (Hz): the shaft turns one encoder step per setpoint period.
OperatingPoint operatingPoint(double frequency, const LoopParameters &p = Radar);

// How much further behind (rad) the feedback runs while the setpoint frequency moves on at `rate`
// Hz per second, once the loop has caught up with the ramp.
double rampLag(double rate, const LoopParameters &p = Radar);

// Setpoint frequencies (Hz) whose operating point keeps the comparator's mean between its two
// levels, the phase error between 0 and a half period. Outside, it would need to saturate. Empty
// (highest below lowest) when the load asks more than the highest level gives.
struct FrequencyRange { double lowest, highest; };
FrequencyRange lockRange(const LoopParameters &p = Radar);

}

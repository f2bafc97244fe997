#pragma once
// The loop's frequency responses in closed form, p = j omega: each element's, and the open loop's
// (setpoint phase to feedback phase) with or without the regulator, with the gain crossover and
// phase margin the stability pictures read off them, and its phase crossover and gain margin;
// its asymptotes, straight in log-log, turning at the corners of its first-order terms.
#include "model/loop_parameters.h"

#include <complex>
#include <optional>
#include <vector>

namespace pllmodel {

using Response = std::complex<double>;

// K (1 + lead p) / ((1 + lag p)(1 + filter p)), K the regulator's gain.
Response regulatorResponse(double omega, const LoopParameters &p = Radar);
Response motorResponse(double omega, const LoopParameters &p = Radar);  // turns per second per volt
// The motor's gain at omega relative to its static gain, in dB.
double motorAttenuationDb(double omega, const LoopParameters &p = Radar);

// Where the open loop's asymptotes turn: the pulsation (rad/s) of a first-order term, 1 over its
// time constant, and what it adds to the gain's slope, in 20 dB a decade (+1 a lead, -1 a lag);
// the phase's level steps by 90 degrees as much.
struct Corner
{
    double omega;
    int gainSlope;
};

// The open loop's gain asymptote: the integrator's -20 dB a decade through the static gain at
// 1 rad/s, its slope stepping at each corner.
struct GainAsymptote
{
    double staticGain;  // 1/s, the regulator's gain in it when the regulator is in the loop
    std::vector<Corner> corners;

    double decibels(double omega) const;
    // In 20 dB a decade: -1 below the first corner; past a corner (strictly), its step added.
    int slope(double omega) const;
};

class OpenLoop
{
public:
    explicit OpenLoop(bool withRegulator, const LoopParameters &p = Radar);

    // The gain once the sensor's integrator is set apart, 1/s: velocityGain().
    double staticGain() const;
    Response at(double omega) const;
    // Continuous in omega, from -90 degrees at low pulsations.
    double phaseDegrees(double omega) const;
    // The pulsation (rad/s) at which the gain falls through 1: the gain falls all the way, so
    // there is one.
    double gainCrossover() const;
    double phaseMarginDegrees() const;
    // The pulsation (rad/s) at which the phase passes -180 degrees: one with the regulator (its
    // phase runs from -90 to -270 degrees and the response is real at one pulsation only), none
    // without it (the phase stays above -180 degrees).
    std::optional<double> phaseCrossover() const;
    // How far the gain lies under 0 dB at the phase crossover, in dB; +infinity without one.
    double gainMarginDb() const;

    // The motor's corner and, with the regulator, its three, lowest first; terms at one pulsation
    // merged, and none left where they cancel (a lead on a lag).
    std::vector<Corner> corners() const;
    GainAsymptote gainAsymptote() const;

private:
    LoopParameters parameters;
    bool withRegulator;
};

}

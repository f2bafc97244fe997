#pragma once
// The loop's frequency responses in closed form, p = j omega: each element's, and the open loop's
// (setpoint phase to feedback phase) with or without the regulator, with the gain crossover and
// phase margin the stability pictures read off them.
#include "model/loop_parameters.h"

#include <complex>

namespace pllmodel {

using Response = std::complex<double>;

Response regulatorResponse(double omega, const LoopParameters &p = Radar);
Response motorResponse(double omega, const LoopParameters &p = Radar);  // turns per second per volt
// The motor's gain at omega relative to its static gain, in dB.
double motorAttenuationDb(double omega, const LoopParameters &p = Radar);

class OpenLoop
{
public:
    explicit OpenLoop(bool withRegulator, const LoopParameters &p = Radar);

    // The gain once the sensor's integrator is set apart, 1/s: velocityGain().
    double staticGain() const;
    Response at(double omega) const;
    // Continuous in omega, from -90 degrees at low pulsations.
    double phaseDegrees(double omega) const;
    // The pulsation (rad/s) at which the gain falls through 1.
    double gainCrossover() const;
    double phaseMarginDegrees() const;

private:
    LoopParameters parameters;
    bool withRegulator;
};

}

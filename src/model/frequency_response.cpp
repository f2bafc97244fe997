#include "model/frequency_response.h"

#include "model/operating_point.h"

#include <cmath>
#include <numbers>

namespace pllmodel {

namespace {
constexpr double DegreesPerRadian = 180 / std::numbers::pi;

Response firstOrder(double timeConstant, double omega) { return {1, timeConstant * omega}; }
}

Response regulatorResponse(double omega, const LoopParameters &p)
{
    return firstOrder(p.regulatorLead, omega)
           / (firstOrder(p.regulatorLag, omega) * firstOrder(p.regulatorFilter, omega));
}

Response motorResponse(double omega, const LoopParameters &p)
{
    return p.motorGain / firstOrder(p.motorTimeConstant, omega);
}

double motorAttenuationDb(double omega, const LoopParameters &p)
{
    return 20 * std::log10(std::abs(motorResponse(omega, p)) / p.motorGain);
}

OpenLoop::OpenLoop(bool regulated, const LoopParameters &p)
    : parameters(p), withRegulator(regulated)
{
}

double OpenLoop::staticGain() const
{
    return velocityGain(parameters);
}

Response OpenLoop::at(double omega) const
{
    const Response integrator{0, omega};
    const Response regulator = withRegulator ? regulatorResponse(omega, parameters) : Response{1};
    return staticGain() * regulator / (integrator * firstOrder(parameters.motorTimeConstant, omega));
}

double OpenLoop::phaseDegrees(double omega) const
{
    const LoopParameters &p = parameters;
    double radians = -std::numbers::pi / 2 - std::atan(p.motorTimeConstant * omega);
    if (withRegulator)
        radians += std::atan(p.regulatorLead * omega) - std::atan(p.regulatorLag * omega)
                   - std::atan(p.regulatorFilter * omega);
    return radians * DegreesPerRadian;
}

// The gain falls all the way (the lead never outweighs the integrator), so halving a bracket
// in log omega finds the one crossing.
double OpenLoop::gainCrossover() const
{
    double low = 1e-9, high = 1e9;
    constexpr int Halvings = 100;  // 60 or so reach the last bits
    for (int i = 0; i < Halvings && high / low > 1 + 1e-15; ++i) {
        const double middle = std::sqrt(low * high);
        (std::abs(at(middle)) > 1 ? low : high) = middle;
    }
    return std::sqrt(low * high);
}

double OpenLoop::phaseMarginDegrees() const
{
    return 180 + phaseDegrees(gainCrossover());
}

}

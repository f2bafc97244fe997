#include "model/frequency_response.h"

#include "model/operating_point.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace pllmodel {

namespace {
constexpr double DegreesPerRadian = 180 / std::numbers::pi;

Response firstOrder(double timeConstant, double omega) { return {1, timeConstant * omega}; }
}

Response regulatorResponse(double omega, const LoopParameters &p)
{
    return p.regulatorGain * firstOrder(p.regulatorLead, omega)
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

// The gain falls all the way: its slope in log-log, -1 + lead^2 w^2 / (1 + lead^2 w^2) less the
// lags' like terms, stays below 0, the lead never outweighing the integrator. Halving a bracket
// in log omega finds the one crossing; the bracket holds it for the regulator's whole range
// (gain 0.1 to 10, time constants 1e-4 to 1 s) and far beyond.
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

// G(jw) is real where Re((1 + j lead w)(1 - j lag w)(1 - j filter w)(1 - j motor w)) is 0:
// 1 - e2 w^2 - lead lag filter motor w^4, e2 the sum of the products by pairs of (lead, -lag,
// -filter, -motor). As a quadratic in u = w^2 its roots multiply to a negative number: one
// positive root. The phase lies strictly between 0 and -360 degrees, so a real G is at -180.
std::optional<double> OpenLoop::phaseCrossover() const
{
    if (!withRegulator)
        return std::nullopt;  // -90 - atan(motor w) never reaches -180
    const LoopParameters &p = parameters;
    const double a[] = {p.regulatorLead, -p.regulatorLag, -p.regulatorFilter, -p.motorTimeConstant};
    double e2 = 0;
    for (int i = 0; i < 4; ++i)
        for (int k = i + 1; k < 4; ++k)
            e2 += a[i] * a[k];
    const double q = -a[0] * a[1] * a[2] * a[3];  // q u^2 + e2 u - 1 = 0
    const double root = std::sqrt(e2 * e2 + 4 * q);
    // Whichever form of the root does not subtract nearly equal numbers.
    const double u = e2 < 0 ? (root - e2) / (2 * q) : 2 / (root + e2);
    if (!(u > 0) || !std::isfinite(u))
        return std::nullopt;
    return std::sqrt(u);
}

double OpenLoop::gainMarginDb() const
{
    const std::optional<double> omega = phaseCrossover();
    if (!omega)
        return std::numeric_limits<double>::infinity();
    return -20 * std::log10(std::abs(at(*omega)));
}

std::vector<Corner> OpenLoop::corners() const
{
    const LoopParameters &p = parameters;
    std::vector<Corner> terms{{1 / p.motorTimeConstant, -1}};
    if (withRegulator)
        terms.insert(terms.end(), {{1 / p.regulatorLead, +1}, {1 / p.regulatorLag, -1}, {1 / p.regulatorFilter, -1}});
    std::sort(terms.begin(), terms.end(), [](const Corner &a, const Corner &b) { return a.omega < b.omega; });
    std::vector<Corner> merged;
    for (const Corner &t : terms) {
        if (!(t.omega > 0) || !std::isfinite(t.omega))
            continue;
        // Equal time constants, as far as the division that made the pulsations can tell.
        if (!merged.empty() && std::abs(merged.back().omega / t.omega - 1) < 1e-9)
            merged.back().gainSlope += t.gainSlope;
        else
            merged.push_back(t);
    }
    std::erase_if(merged, [](const Corner &c) { return c.gainSlope == 0; });
    return merged;
}

GainAsymptote OpenLoop::gainAsymptote() const
{
    return {staticGain() * (withRegulator ? parameters.regulatorGain : 1), corners()};
}

double GainAsymptote::decibels(double omega) const
{
    double db = 20 * std::log10(staticGain / omega);
    for (const Corner &c : corners)
        if (omega > c.omega)
            db += 20 * c.gainSlope * std::log10(omega / c.omega);
    return db;
}

int GainAsymptote::slope(double omega) const
{
    int slope = -1;
    for (const Corner &c : corners)
        slope += omega > c.omega ? c.gainSlope : 0;
    return slope;
}

}

#include "model/closed_loop.h"

#include "model/bracketed_root.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace pllmodel {

namespace {
constexpr double DegreesPerRadian = 180 / std::numbers::pi;
constexpr double DecibelsPerNeper = 20 / std::numbers::ln10;  // 20 log10 x per ln x
constexpr double BandwidthDropDb = -3;

// The scan that brackets every figure: 1000 pulsations a decade, 0.23 % apart, so that even a
// resonance as sharp as a damping of 1e-3 (some 54 dB) has the scan's highest point beside it.
constexpr double ScanPointsPerDecade = 1000;
// Golden section stops once its bracket is this narrow in ln omega: a smooth peak's place is
// known to about the square root of a double's precision, its height to the last bits.
constexpr double PeakWidthTolerance = 1e-9;

double decibels(double magnitude) { return 20 * std::log10(magnitude); }

// The charts' pulsations in ln omega, on the scan's steps.
struct Scan
{
    double lowest = std::log(ChartLowestPulsation);
    int steps = static_cast<int>(
        std::ceil(ScanPointsPerDecade * std::log10(ChartHighestPulsation / ChartLowestPulsation)));
    double step = (std::log(ChartHighestPulsation) - lowest) / steps;

    double at(int i) const { return lowest + step * i; }
};

// The highest of f(omega) between exp(lo) and exp(hi), f having one peak there: golden section
// in ln omega.
template <class F>
Extremum goldenSectionPeak(F f, double lo, double hi)
{
    constexpr double Ratio = 1 / std::numbers::phi;  // each step keeps this much of the bracket
    double left = hi - Ratio * (hi - lo), right = lo + Ratio * (hi - lo);
    double fLeft = f(std::exp(left)), fRight = f(std::exp(right));
    while (hi - lo > PeakWidthTolerance) {
        if (fLeft >= fRight) {
            hi = right, right = left, fRight = fLeft;
            left = hi - Ratio * (hi - lo);
            fLeft = f(std::exp(left));
        } else {
            lo = left, left = right, fLeft = fRight;
            right = lo + Ratio * (hi - lo);
            fRight = f(std::exp(right));
        }
    }
    return fLeft >= fRight ? Extremum{std::exp(left), fLeft} : Extremum{std::exp(right), fRight};
}

// The highest of f(omega) over the charts' pulsations: each local maximum of the scan refined
// by golden section between its neighbours, the highest kept. Never below the scan's own points.
template <class F>
Extremum highest(F f)
{
    const Scan scan;
    std::vector<double> values(scan.steps + 1);
    for (int i = 0; i <= scan.steps; ++i)
        values[i] = f(std::exp(scan.at(i)));
    Extremum best{ChartLowestPulsation, -std::numeric_limits<double>::infinity()};
    for (int i = 0; i <= scan.steps; ++i) {
        if ((i > 0 && values[i - 1] > values[i]) || (i < scan.steps && values[i + 1] > values[i]))
            continue;
        Extremum peak = goldenSectionPeak(f, scan.at(std::max(i - 1, 0)), scan.at(std::min(i + 1, scan.steps)));
        if (peak.value < values[i])
            peak = {std::exp(scan.at(i)), values[i]};
        if (peak.value > best.value)
            best = peak;
    }
    return best;
}
}

ClosedLoop::ClosedLoop(bool regulated, const LoopParameters &p)
    : parameters(p), withRegulator(regulated), open(regulated, p),
      encirclesMinusOne(open.gainMarginDb() < 0)
{
}

Response ClosedLoop::at(double omega) const
{
    const Response l = open.at(omega);
    return l / (1.0 + l);
}

double ClosedLoop::gainDb(double omega) const
{
    return decibels(std::abs(at(omega)));
}

// arg T = arg L - arg(1 + L), arg L continuous from the open loop. L is real at its phase
// crossover only, so 1 + L meets the negative real axis there or nowhere: std::arg is continuous
// unless |L| > 1 there, and then 1 + L, below the axis before and above it after, turns a whole
// turn clockwise round 0 as its arg wraps.
double ClosedLoop::phaseDegrees(double omega) const
{
    double onePlusL = std::arg(1.0 + open.at(omega));
    if (encirclesMinusOne && onePlusL > 0)
        onePlusL -= 2 * std::numbers::pi;
    return open.phaseDegrees(omega) - onePlusL * DegreesPerRadian;
}

Response ClosedLoop::openLoopLogSlope(double omega) const
{
    // d ln(1 + j tau w) / d ln w
    const auto term = [omega](double tau) { return Response{0, tau * omega} / Response{1, tau * omega}; };
    Response slope = -1.0 - term(parameters.motorTimeConstant);
    if (withRegulator)
        slope += term(parameters.regulatorLead) - term(parameters.regulatorLag) - term(parameters.regulatorFilter);
    return slope;
}

std::optional<Extremum> ClosedLoop::resonance() const
{
    const Extremum peak = highest([this](double omega) { return gainDb(omega); });
    if (!(peak.value > 0))
        return std::nullopt;
    return peak;
}

std::optional<double> ClosedLoop::bandwidth() const
{
    // In ln omega: gain + 3 dB, and its slope, d ln T = d ln L / (1 + L).
    const auto excess = [this](double t) {
        const double omega = std::exp(t);
        const double slope = DecibelsPerNeper * (openLoopLogSlope(omega) / (1.0 + open.at(omega))).real();
        return std::pair{gainDb(omega) - BandwidthDropDb, slope};
    };
    const Scan scan;
    double before = excess(scan.at(0)).first;
    for (int i = 1; i <= scan.steps; ++i) {
        const double now = excess(scan.at(i)).first;
        if (before > 0 && now <= 0)
            return std::exp(bracketedRoot(excess, scan.at(i - 1), scan.at(i), before, now));
        before = now;
    }
    return std::nullopt;
}

Extremum ClosedLoop::modulusMargin() const
{
    const Extremum nearest = highest([this](double omega) { return -std::abs(1.0 + open.at(omega)); });
    return {nearest.omega, -nearest.value};
}

Circle ClosedLoop::modulusCircle() const
{
    return {Response{-1, 0}, modulusMargin().value};
}

namespace {
// Points along each branch of a contour: a degree apart across the band.
constexpr int ContourSteps = 360;

// The roots r of (1 - m^2) r^2 - 2 m^2 cos(theta) r - m^2 = 0, where L = r exp(j theta) gives
// |L / (1 + L)| = m (m not 1), larger first: in the form that subtracts no nearly equal numbers.
std::pair<double, double> contourRadii(double m, double theta)
{
    const double m2 = m * m, a = 1 - m2, b = -2 * m2 * std::cos(theta), c = -m2;
    const double discriminant = std::max(0.0, b * b - 4 * a * c);  // 0 at a closed curve's ends
    const double q = -0.5 * (b + std::copysign(std::sqrt(discriminant), b));
    const double r1 = q / a, r2 = c / q;
    return {std::max(r1, r2), std::min(r1, r2)};
}

NicholsPoint nicholsPoint(double theta, double r) { return {theta * DegreesPerRadian, decibels(r)}; }

// Along theta = -pi + halfWidth cos(s), s from pi to 0: the points crowd towards the ends, where
// a contour turns or climbs steeply.
double acrossTheMiddle(double halfWidth, int k)
{
    return -std::numbers::pi + halfWidth * std::cos(std::numbers::pi * (1.0 - double(k) / ContourSteps));
}
}

std::vector<NicholsPoint> nicholsContour(double closedLoopGainDb, double highestGainDb)
{
    std::vector<NicholsPoint> points;
    const double m = std::pow(10.0, closedLoopGainDb / 20);
    if (closedLoopGainDb == 0) {
        // r = -1 / (2 cos theta): least, 1/2, at -180 degrees; highestGainDb where cos theta = -1 / (2 r).
        const double ceiling = std::pow(10.0, highestGainDb / 20);
        if (!(ceiling > 0.5))
            return points;
        const double halfWidth = std::acos(1 / (2 * ceiling));
        for (int k = 0; k <= ContourSteps; ++k) {
            const double theta = acrossTheMiddle(halfWidth, k);
            points.push_back(nicholsPoint(theta, -1 / (2 * std::cos(theta))));
        }
    } else if (m < 1) {
        // One positive root at every phase: the roots' product, m^2 / (m^2 - 1), is negative.
        for (int k = 0; k <= ContourSteps; ++k) {
            const double theta = -2 * std::numbers::pi * (1.0 - double(k) / ContourSteps);
            points.push_back(nicholsPoint(theta, contourRadii(m, theta).first));
        }
    } else {
        // Two positive roots where cos theta < 0 and cos^2 theta >= 1 - 1/m^2, meeting at the ends.
        const double halfWidth = std::acos(std::sqrt(1 - 1 / (m * m)));
        for (int k = 0; k <= ContourSteps; ++k) {
            const double theta = acrossTheMiddle(halfWidth, k);
            points.push_back(nicholsPoint(theta, contourRadii(m, theta).first));
        }
        for (int k = ContourSteps - 1; k > 0; --k) {
            const double theta = acrossTheMiddle(halfWidth, k);
            points.push_back(nicholsPoint(theta, contourRadii(m, theta).second));
        }
        points.push_back(points.front());
    }
    return points;
}

}

#pragma once
// The closed loop T = L / (1 + L), setpoint phase to feedback phase, from the open loop's exact
// response: its gain and phase, and the figures a control course reads off its charts (the
// resonance, the bandwidth at -3 dB, the modulus margin), with the Black-Nichols chart's
// contours of constant closed-loop gain.
#include "model/frequency_response.h"

#include <optional>
#include <vector>

namespace pllmodel {

// The pulsations (rad/s) the charts show, and over which the figures are sought.
inline constexpr double ChartLowestPulsation = 0.1;
inline constexpr double ChartHighestPulsation = 1e5;

// Where a figure is reached (rad/s) and its value there.
struct Extremum
{
    double omega;
    double value;
};

// A circle in the Nyquist plane.
struct Circle
{
    Response centre;
    double radius;
};

class ClosedLoop
{
public:
    explicit ClosedLoop(bool withRegulator, const LoopParameters &p = Radar);

    const OpenLoop &openLoop() const { return open; }
    // Whether the loop is stable: an unstable one has no steady response to a sine, so no
    // resonance nor bandwidth to read.
    bool stable() const { return !encirclesMinusOne; }
    Response at(double omega) const;
    double gainDb(double omega) const;
    // Continuous in omega, from 0 degrees at low pulsations to the open loop's phase at high ones;
    // a turn above it where the open loop's response passes left of -1, the loop unstable.
    double phaseDegrees(double omega) const;

    // The highest gain (dB) over the charts' pulsations and where (an end of them, if highest
    // there), when it rises above 0 dB.
    std::optional<Extremum> resonance() const;
    // The first pulsation, going up from the charts' lowest, where the gain falls through -3 dB;
    // none when it does not within the charts' pulsations.
    std::optional<double> bandwidth() const;
    // The least distance from -1 of the open loop's response over the charts' pulsations, |1 + L|,
    // and where.
    Extremum modulusMargin() const;
    // Around -1, of the modulus margin's radius: the open loop's response stays outside it.
    Circle modulusCircle() const;

private:
    // d ln L / d ln omega, in closed form.
    Response openLoopLogSlope(double omega) const;

    LoopParameters parameters;
    bool withRegulator;
    OpenLoop open;
    bool encirclesMinusOne;  // the open loop's response passes left of -1
};

// A point of the Black-Nichols chart: the open loop's phase and gain.
struct NicholsPoint
{
    double phaseDegrees;
    double gainDb;
};

// The open-loop gains and phases, over -360 to 0 degrees, where the closed loop's gain is
// `closedLoopGainDb`. Below 0 dB a line across the whole band; above, a closed curve round
// (-180 degrees, 0 dB), its last point its first; at 0 dB a line rising to infinity towards -90
// and -270 degrees, cut where it reaches `highestGainDb` (above -6 dB, where that line's lowest
// point lies).
std::vector<NicholsPoint> nicholsContour(double closedLoopGainDb, double highestGainDb);

}

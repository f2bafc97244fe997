#include "lab/unlock_cause.h"

#include "model/operating_point.h"

#include <cmath>

namespace {
// The speed has settled when, at the pace of its last stretch, it would take more stretches
// than this to close its gap to f/100 (or it moves away from it).
constexpr double StretchesToClose = 10;
// A sensor within this share of 1/n of the setpoint beats on that harmonic.
constexpr double HarmonicTolerance = 0.01;
constexpr int HighestHarmonic = 15;

// The odd n whose 1/n the sensor sits on, or 0.
int harmonicOf(double sensor, double setpoint)
{
    if (sensor <= 0 || setpoint <= 0)
        return 0;
    const int n = int(std::lround(setpoint / sensor));
    const bool odd = n % 2 == 1;
    return odd && n > 1 && n <= HighestHarmonic && std::abs(n * sensor / setpoint - 1) < HarmonicTolerance ? n : 0;
}

// Cycles slip for good though the setpoint can be held: what let go, by the last action.
UnlockCause::Kind slippingCause(const Lab &lab, bool shortOfIt)
{
    using Kind = UnlockCause::Kind;
    using Action = StepResponse::Action;
    const Action action = lab.response().action();
    // A step or a ramp lost a lock it had; made while slipping already, it is not what let go.
    if (lab.lockedAtAction() && action == Action::SetpointStep)
        return Kind::StepTooLarge;
    if (lab.lockedAtAction() && action == Action::Ramp)
        return Kind::RampTooSteep;
    if (!shortOfIt)
        return Kind::RunsAway;
    return action == Action::StartFromRest ? Kind::NoPullIn : Kind::Slipping;
}
}

UnlockCause unlockCause(const Lab &lab)
{
    using Kind = UnlockCause::Kind;
    const pllmodel::LoopSimulation &loop = lab.loop();
    const pllmodel::LoopParameters &p = loop.loopParameters();
    const double setpoint = loop.setpointFrequency();
    const pllmodel::OperatingPoint asked = pllmodel::operatingPoint(setpoint, p);
    UnlockCause cause{Kind::Catching, asked.comparatorMean, 0, loop.speed(), asked.speed};

    const std::optional<SpeedTrend> trend = lab.speedTrend();
    const bool slipping = loop.time() - loop.lastSlipTime() < Lab::LockWatch;
    bool settled = false;
    if (trend && slipping) {
        const double gap = asked.speed - trend->now, progress = trend->now - trend->before;
        settled = progress * gap <= 0 || std::abs(progress) * StretchesToClose < std::abs(gap);
        cause.speed = trend->now;
    }
    if (settled && (cause.harmonic = harmonicOf(trend->now * p.sensorSteps, setpoint)))
        cause.kind = Kind::Harmonic;
    else if (asked.comparatorMean > p.comparatorHigh)
        cause.kind = Kind::BeyondHold;
    else if (settled)
        cause.kind = slippingCause(lab, trend->now < asked.speed);
    return cause;
}

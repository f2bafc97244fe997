#pragma once
// The lock limits found the way a student would find them on the bench: the loop locked at one
// setpoint, the setpoint then moved slowly until the loop slips a cycle (the hold range); the
// loop started from rest at one setpoint and watched until it locks or the time is up (the
// pull-in range).
#include "model/loop_parameters.h"
#include "model/loop_simulation.h"

#include <optional>

namespace pllmodel {

struct Slip
{
    double frequency;       // setpoint frequency (Hz) when the first cycle slipped
    double comparatorMean;  // V, over the last setpoint periods before it
};

// Locked at `from` Hz, the setpoint then moving at `rate` Hz per second towards `to`: the first
// slip, or nothing if the loop holds all the way.
std::optional<Slip> firstSlip(double from, double to, double rate, const LoopParameters &p = Radar);

// How long a pull-in is given and watched for, s: the slowest setpoint step of the course's loop
// to lock from rest (1090 Hz) takes about 6 s.
inline constexpr double PullInTime = 20, PullInWatch = 0.5;

// Started from rest at `setpoint` Hz, the loop turns at the setpoint's speed with no cycle
// slipped over the last `watch` seconds of `within`.
bool pullsIn(double setpoint, const LoopParameters &p = Radar, double within = PullInTime,
             double watch = PullInWatch);

// The loop started from rest at one setpoint, looked at stretch by stretch: pullsIn() looks at
// one last stretch, a caller that may stop once it locks looks at each in turn.
class PullInRun
{
public:
    explicit PullInRun(double setpoint, const LoopParameters &p = Radar);
    // Runs on to `t` unwatched.
    void advanceTo(double t) { loop.advanceTo(t); }
    // Runs on `watch` seconds: whether the loop turned at the setpoint's speed with no cycle
    // slipped over them.
    bool lockedOver(double watch);
    double time() const { return loop.time(); }

private:
    double setpoint;
    LoopSimulation loop;
};

}

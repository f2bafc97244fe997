#include "model/lock_search.h"

#include "model/loop_simulation.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace pllmodel {

namespace {
constexpr double LongestLook = 0.1;  // s: the lock is checked once a setpoint period, at least this often
constexpr std::size_t MeanLooks = 10;  // the mean before a slip spans this many looks
// A lock turns at the setpoint's speed, to this share of it: the motor's ripple averages out
// over the watch, a harmonic lock or a runaway is far off.
constexpr double SpeedTolerance = 0.01;
}

std::optional<Slip> firstSlip(double from, double to, double rate, const LoopParameters &p)
{
    const double duration = std::abs(to - from) / rate;
    LoopSimulation loop = LoopSimulation::locked(SetpointProfile::ramp(from, to, 0, duration), p);
    struct Look { double time, comparatorIntegral; };
    std::deque<Look> looks{{0, 0}};
    while (loop.time() < duration) {
        const double look = 1 / std::max(loop.setpointFrequency(), 1 / LongestLook);
        loop.advanceTo(std::min(duration, loop.time() + look));
        if (loop.leadSpread() > 1) {
            const Look &first = looks.front(), &last = looks.back();
            const double mean = last.time > first.time
                ? (last.comparatorIntegral - first.comparatorIntegral) / (last.time - first.time)
                : loop.comparatorOutput();
            return Slip{loop.setpointFrequency(), mean};
        }
        looks.push_back({loop.time(), loop.comparatorIntegral()});
        if (looks.size() > MeanLooks)
            looks.pop_front();
    }
    return std::nullopt;
}

bool pullsIn(double setpoint, const LoopParameters &p, double within, double watch)
{
    PullInRun run(setpoint, p);
    run.advanceTo(within - watch);
    return run.lockedOver(watch);
}

PullInRun::PullInRun(double setpoint, const LoopParameters &p)
    : setpoint(setpoint), loop(SetpointProfile::constant(setpoint), p)
{
}

bool PullInRun::lockedOver(double watch)
{
    const long long slips = loop.cycleSlips();
    const double turns = loop.shaftTurns();
    loop.advanceTo(loop.time() + watch);
    // A harmonic lock holds its speed but slips; a runaway slips: only the setpoint's own speed
    // with no slip is a lock.
    const double speed = (loop.shaftTurns() - turns) / watch;
    return loop.cycleSlips() == slips
        && std::abs(speed * loop.loopParameters().sensorSteps - setpoint) < SpeedTolerance * setpoint;
}

}

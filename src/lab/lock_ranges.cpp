#include "lab/lock_ranges.h"

#include "model/lock_search.h"
#include "model/operating_point.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <thread>

using pllmodel::LoopParameters;

namespace {
constexpr int Step = LabSettings::SetpointStep;
constexpr int Top = LabSettings::MaxSetpoint;
// The hold range's ramp, Hz/s. Locked, the loop trails a ramp by a share of its motor's time
// constant (0.5 s), so it slips a few tenths of the slope, in hertz, short of where a standing
// setpoint would. At 1 Hz/s the course's loop slips within 0.3 Hz (top) and 1 Hz (bottom) of a
// ramp ten times slower, and every slope from 10 Hz/s down to 0.1 Hz/s gives the same steps.
constexpr double HoldRampRate = 1;
// A ramp is looked at once a setpoint period, at least this often (s): the first slip's setpoint
// is known to within a period's ramp.
constexpr double LongestLook = 0.1;
// About the ramps' share of the course loop's measure: the progress moves at an even pace.
constexpr double RampShare = 1.0 / 3;
// Progress is passed on in steps no finer than this.
constexpr double ProgressStep = 1.0 / 200;

enum Ramp : std::size_t { Up, Down };
constexpr std::size_t Ramps = 2;

// The cancel flag and the progress, shared by the measuring threads.
class Watch
{
public:
    explicit Watch(const LockRangesOptions &options) : options(options) {}
    bool cancelled() const { return options.cancel && options.cancel->load(std::memory_order_relaxed); }
    void rampAt(Ramp ramp, double fraction)
    {
        ramps[ramp].store(std::clamp(fraction, 0.0, 1.0), std::memory_order_relaxed);
        const double both = ramps[Up].load(std::memory_order_relaxed) + ramps[Down].load(std::memory_order_relaxed);
        show(RampShare * both / double(Ramps));
    }
    void runDone(std::size_t runs) { show(RampShare + (1 - RampShare) * double(++runsDone) / double(runs)); }
    void finished() { show(1); }

private:
    void show(double fraction)
    {
        if (!options.progress)
            return;
        const std::lock_guard lock(mutex);
        if (fraction < shown + ProgressStep && !(fraction == 1 && shown < 1))
            return;
        shown = fraction;
        options.progress(fraction);
    }

    const LockRangesOptions &options;
    std::array<std::atomic<double>, Ramps> ramps{};
    std::atomic<std::size_t> runsDone{0};
    std::mutex mutex;
    double shown = 0;
};

// Runs task(0) to task(count - 1) on up to `threads` threads, this one among them.
template <typename Task>
void inParallel(int threads, std::size_t count, const Task &task)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;)
            task(i);
    };
    std::vector<std::jthread> helpers;
    for (std::size_t t = 1; t < std::min(std::size_t(threads), count); ++t)
        helpers.emplace_back(work);
    work();
}

// The setpoint steps whose operating point the comparator can hold at all, if any.
std::optional<SetpointSpan> steadyStateSteps(const LoopParameters &p)
{
    const pllmodel::FrequencyRange range = pllmodel::lockRange(p);
    const int low = int(std::ceil(std::max(range.lowest, 0.0) / Step)) * Step;
    const int high = int(std::floor(std::min(range.highest, double(Top)) / Step)) * Step;
    return low <= high ? std::optional(SetpointSpan{low, high}) : std::nullopt;
}

struct RampPlan
{
    int from, to;     // Hz
    double expected;  // Hz: where the steady state says it slips, for the progress
};

// Locked at the plan's start, the setpoint ramping to its end: the setpoint at the first cycle
// slipped, or nothing if the loop holds all the way or the measure is cancelled. A cycle slip as
// a pull-in counts it: the edges' lead alone can leave its two values with no cycle slipped, at
// the lowest setpoints and at high gains.
std::optional<double> firstCycleSlip(const RampPlan &plan, Ramp ramp, const LoopParameters &p, Watch &watch)
{
    if (plan.from == plan.to)
        return std::nullopt;
    const double duration = std::abs(plan.to - plan.from) / HoldRampRate;
    const double expectedDuration = std::abs(plan.expected - plan.from) / HoldRampRate;
    const double direction = plan.to > plan.from ? 1 : -1;
    using pllmodel::LoopSimulation, pllmodel::SetpointProfile;
    LoopSimulation loop = LoopSimulation::locked(SetpointProfile::ramp(plan.from, plan.to, 0, duration), p);
    while (loop.time() < duration && !watch.cancelled()) {
        const double look = 1 / std::max(loop.setpointFrequency(), 1 / LongestLook);
        loop.advanceTo(std::min(duration, loop.time() + look));
        if (loop.cycleSlips() > 0)
            return plan.from + direction * HoldRampRate * loop.lastSlipTime();
        watch.rampAt(ramp, expectedDuration > 0 ? loop.time() / expectedDuration : 1);
    }
    return std::nullopt;
}

// Locked at `setpoint` and left there as long as a pull-in is given: whether no cycle slips. An
// unstable regulator slips at once, and would slip at once on either ramp from there too.
bool staysLocked(int setpoint, const LoopParameters &p)
{
    using pllmodel::LoopSimulation, pllmodel::SetpointProfile;
    LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(setpoint), p);
    loop.advanceTo(pllmodel::PullInTime);
    return loop.cycleSlips() == 0;
}

// Ramped up and down from the middle of the steady-state steps: the steps passed before a slip.
std::optional<SetpointSpan> holdRange(const LoopParameters &p, int threads, Watch &watch)
{
    const std::optional<SetpointSpan> steady = steadyStateSteps(p);
    if (!steady)
        return std::nullopt;
    const int middle = (steady->low + steady->high) / (2 * Step) * Step;
    if (!staysLocked(middle, p))
        return std::nullopt;
    const pllmodel::FrequencyRange range = pllmodel::lockRange(p);
    const std::array<RampPlan, Ramps> plans{RampPlan{middle, Top, std::min(range.highest, double(Top))},
                                            RampPlan{middle, 0, std::max(range.lowest, 0.0)}};
    std::array<std::optional<double>, Ramps> slips;
    inParallel(threads, Ramps, [&](std::size_t ramp) {
        slips[ramp] = firstCycleSlip(plans[ramp], Ramp(ramp), p, watch);
        watch.rampAt(Ramp(ramp), 1);
    });
    // The steps strictly short of the slips.
    const int high = slips[Up] ? int(std::ceil(*slips[Up] / Step)) * Step - Step : Top;
    const int low = slips[Down] ? int(std::floor(*slips[Down] / Step)) * Step + Step : 0;
    return low <= high ? std::optional(SetpointSpan{low, high}) : std::nullopt;
}

// Started from rest, watched as pllmodel::pullsIn() watches its last stretch, over each stretch in
// turn: the first locked one decides. Over the last, the very stretch pullsIn() looks at.
bool locksFromRest(int setpoint, const LoopParameters &p, const Watch &watch)
{
    const int stretches = int(std::lround(pllmodel::PullInTime / pllmodel::PullInWatch));
    pllmodel::PullInRun run(setpoint, p);
    for (int stretch = 0; stretch < stretches && !watch.cancelled(); ++stretch)
        if (run.lockedOver(pllmodel::PullInWatch))
            return true;
    return false;
}

// The pull-in flag of every step in `hold`, the highest first: those that never lock, the
// longest runs, start early and the threads finish together.
std::vector<bool> pullIns(const SetpointSpan &hold, const LoopParameters &p, int threads, Watch &watch)
{
    const std::size_t runs = std::size_t((hold.high - hold.low) / Step + 1);
    std::vector<unsigned char> locks(runs);  // not vector<bool>: each thread writes its own bytes
    inParallel(threads, runs, [&](std::size_t run) {
        if (watch.cancelled())
            return;
        locks[run] = locksFromRest(hold.high - int(run) * Step, p, watch);
        watch.runDone(runs);
    });
    std::vector<bool> flags(Top / Step + 1);
    for (std::size_t run = 0; run < runs; ++run)
        flags[std::size_t(hold.high / Step) - run] = locks[run] != 0;
    return flags;
}
}

LockRangesKey LockRangesKey::of(const LabSettings &s)
{
    return {s.corrector, s.lead, s.lag, s.filter, s.gain, s.load};
}

std::optional<SetpointSpan> LockRanges::pullIn() const
{
    const auto first = std::find(pullsIn.begin(), pullsIn.end(), true);
    if (first == pullsIn.end())
        return std::nullopt;
    const auto last = std::find(pullsIn.rbegin(), pullsIn.rend(), true);
    return SetpointSpan{int(first - pullsIn.begin()) * Step, int(pullsIn.rend() - last - 1) * Step};
}

std::optional<LockRanges> measureLockRanges(const LabSettings &settings, const LockRangesOptions &options)
{
    const LoopParameters p = settings.parameters();
    const int threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    Watch watch(options);
    LockRanges ranges{LockRangesKey::of(settings), std::vector<bool>(Top / Step + 1), holdRange(p, threads, watch)};
    if (ranges.hold && !watch.cancelled())
        ranges.pullsIn = pullIns(*ranges.hold, p, threads, watch);
    if (watch.cancelled())
        return std::nullopt;
    watch.finished();
    return ranges;
}

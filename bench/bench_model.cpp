// Times one simulated second of the loop's model: locked at 1 kHz (what a live page would run),
// and from rest at 1 kHz, where the shaft turns back and forth while the loop pulls in; then as
// the lab page runs it, in 20 ms ticks keeping the oscilloscope's edges and reading a mean.
// Prints the median and the worst of several runs against the 50 ms goal.
#include "model/loop_simulation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int Runs = 21;
constexpr double GoalMs = 50;

void oneSecond(pllmodel::LoopSimulation &loop) { loop.advanceTo(loop.time() + 1); }

// 50 ticks of 20 ms, the edges of the last 2 ms kept, the comparator's mean read at each.
void liveSecond(pllmodel::LoopSimulation &loop)
{
    loop.keepEdges(0.002);
    const double start = loop.time();
    volatile double mean = 0;  // stored, so the read is not optimised away
    for (int tick = 1; tick <= 50; ++tick) {
        loop.advanceTo(start + 0.02 * tick);
        mean = loop.comparatorMean(0.001);
    }
}

std::vector<double> timeRuns(const std::function<pllmodel::LoopSimulation()> &start,
                             void (*run)(pllmodel::LoopSimulation &) = oneSecond)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        pllmodel::LoopSimulation loop = start();
        const auto begin = std::chrono::steady_clock::now();
        run(loop);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char *name, const std::vector<double> &ms)
{
    std::printf("%-36s median %6.2f ms   worst %6.2f ms   (%d runs, goal %.0f ms)\n", name, ms[ms.size() / 2],
                ms.back(), Runs, GoalMs);
}
}

int main()
{
    using pllmodel::LoopSimulation, pllmodel::SetpointProfile;
    const SetpointProfile oneKilohertz = SetpointProfile::constant(1000);
    report("model: 1 s locked at 1 kHz", timeRuns([&] { return LoopSimulation::locked(oneKilohertz); }));
    report("model: first 1 s from rest at 1 kHz", timeRuns([&] { return LoopSimulation(oneKilohertz); }));
    report("model: 1 s live, locked at 1 kHz", timeRuns([&] { return LoopSimulation::locked(oneKilohertz); }, liveSecond));
    pllmodel::LoopParameters withoutRegulator;
    withoutRegulator.phaseAdvance = false;
    report("model: 1 s live from rest, no PD",
           timeRuns([&] { return LoopSimulation(oneKilohertz, withoutRegulator); }, liveSecond));
    return 0;
}

// Times one simulated second of the loop's model: locked at 1 kHz (what a live page would run),
// and from rest at 1 kHz, where the shaft turns back and forth while the loop pulls in.
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

std::vector<double> timeRuns(const std::function<pllmodel::LoopSimulation()> &start)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        pllmodel::LoopSimulation loop = start();
        const auto begin = std::chrono::steady_clock::now();
        loop.advanceTo(loop.time() + 1);
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
    return 0;
}

// Times the pull-in and hold ranges' measure under the course's settings, then at a regulator
// gain of 2, on one thread and on two; prints the ranges found against the 10 s goal.
#include "lab/lock_ranges.h"

#include <chrono>
#include <cstdio>

namespace {
constexpr double GoalS = 10;

void time(const char *name, const LabSettings &settings, int threads)
{
    const auto begin = std::chrono::steady_clock::now();
    const auto ranges = measureLockRanges(settings, {threads, {}, nullptr});
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const auto pullIn = ranges->pullIn();
    std::printf("%-18s %d thread(s): %6.2f s (goal %.0f s)   pull-in %d-%d Hz   hold %d-%d Hz\n", name, threads, s,
                GoalS, pullIn ? pullIn->low : -1, pullIn ? pullIn->high : -1, ranges->hold ? ranges->hold->low : -1,
                ranges->hold ? ranges->hold->high : -1);
}
}

int main()
{
    LabSettings doubled;
    doubled.gain = 200;
    for (int threads : {1, 2}) {
        time("course's loop", LabSettings{}, threads);
        time("regulator gain 2", doubled, threads);
    }
}

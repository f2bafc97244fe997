// Times `pll --simulate` as the program runs it, its table written to /dev/null: 10 s of loop
// time from rest at 1 kHz, a row every millisecond, with a setpoint step and a load step on the
// way. Prints the median and the worst of several runs against the 0.5 s goal.
#include "app/simulation_command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

int main()
{
    constexpr int Runs = 7;
    constexpr double GoalMs = 500;
    const char *const argv[] = {"pll", "--simulate", "--duration", "10", "--every", "0,001",
                                "--change", "4:1100", "--load-change", "7:0,5"};
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0)
        return 1;
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        if (SimulationCommand::run(int(std::size(argv)), argv, null) != 0)
            return 1;
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    close(null);
    std::sort(ms.begin(), ms.end());
    std::printf("%-36s median %6.1f ms   worst %6.1f ms   (%d runs, goal %.0f ms)\n",
                "measures: 10 s at 1 ms rows", ms[ms.size() / 2], ms.back(), Runs, GoalMs);
    return 0;
}

#pragma once
// `pll --simulate`: the lab's loop run without a window, from the options of a terminal, and its
// measures written to standard output as the window's export writes them. No display, no
// application object: it answers on a machine without a graphical session.
#include "lab/lab_run.h"

#include <cstdio>
#include <string>
#include <variant>

namespace SimulationCommand {

// Limits of what --simulate runs and writes beyond the lab's own.
inline constexpr double MaxDuration = 86400;  // s: a day of loop time
inline constexpr double MinEvery = 1e-4, MaxEvery = 3600;  // s
// An hour of rows a millisecond apart: the most a run writes.
inline constexpr long long MaxRows = 3600001;

struct Request
{
    LabRun run;
    double duration = 3;  // s
    double every = 1e-3;  // s
};

// What the arguments other than --simulate ask for, or the one line, without its end, that
// refuses them.
std::variant<Request, std::string> parse(int argc, const char *const *argv);

// Runs what the arguments ask and writes the measures on the file descriptor `out`; returns the
// exit status, having said on `err` in one line what went wrong.
int run(int argc, const char *const *argv, int out = 1, std::FILE *err = stderr);

}

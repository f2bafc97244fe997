#pragma once
// What an experiment file holds: a run, the title and text a teacher wrote for it, and the loop
// time it was saved at.
#include "lab/lab_run.h"

#include <optional>
#include <string>

struct Experiment
{
    // In characters (Unicode code points), not bytes.
    static constexpr std::size_t MaxTitle = 200, MaxText = 4000;

    std::string title, text;  // UTF-8; either may be empty
    LabRun run;
    std::optional<double> until;  // loop time at the save, s

    bool operator==(const Experiment &) const = default;
};

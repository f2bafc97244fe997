#pragma once
// The lab's pull-in and hold ranges as its page knows them: the last measure finished, the one
// under way, and what became of the last one started. The window's measure fills it in.
#include "lab/lock_ranges.h"

#include <QString>
#include <optional>

struct RangesState
{
    // How the last measure started ended, when it gave no ranges.
    enum class Outcome { Measured, Cancelled, Failed };

    std::optional<LockRanges> measure;
    std::optional<double> progress;  // 0 to 1, while a measure runs
    Outcome outcome = Outcome::Measured;
    QString failure;                 // why it failed, in French
};

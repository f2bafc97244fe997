#pragma once
// The loop's pull-in and hold ranges under the lab's settings, measured as on the bench by running
// the loop at every setpoint step: what the "Plages" chart shows.
#include "lab/lab_run.h"

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// Setpoints from `low` to `high` Hz, both on the setpoint's steps.
struct SetpointSpan
{
    int low, high;
    bool operator==(const SetpointSpan &) const = default;
};

// The settings a measure depends on: all but the setpoint and its ramp, which the measure sets
// itself. A page keeps its measure while the key is the settings' own.
struct LockRangesKey
{
    bool corrector;
    int lead, lag, filter, gain, load;
    bool operator==(const LockRangesKey &) const = default;
    static LockRangesKey of(const LabSettings &settings);
};

struct LockRanges
{
    LockRangesKey key;
    // Whether the loop locks from rest, at each setpoint step from 0 Hz up: those that do need not
    // make one stretch.
    std::vector<bool> pullsIn;
    // The setpoints the loop, once locked, holds a slow ramp through; none if it holds none.
    std::optional<SetpointSpan> hold;

    // From the lowest to the highest setpoint that pulls in; none if none does.
    std::optional<SetpointSpan> pullIn() const;
};

struct LockRangesOptions
{
    int threads = 0;  // 0: one per core
    // The fraction done, 0 to 1, never going back: called from the measuring threads, one call
    // at a time.
    std::function<void(double)> progress;
    // Set from any thread to stop the measure, which then returns nothing within moments.
    const std::atomic<bool> *cancel = nullptr;
};

// Measures the ranges under `settings`; nothing if cancelled. A locked loop is ramped up and down
// from the middle of its steady-state range until a cycle slips, which gives the hold range; each
// setpoint step within it is then started from rest and watched as pllmodel::pullsIn() does,
// stopped as soon as it locks. Outside the hold range no setpoint can pull in.
std::optional<LockRanges> measureLockRanges(const LabSettings &settings, const LockRangesOptions &options = {});

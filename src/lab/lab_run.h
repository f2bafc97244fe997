#pragma once
// A run of the lab as one value: how it starts, the settings it starts with, and the actions
// that follow at their loop times. The lab plays it, the playback keeps it to go forward again,
// the measures table plays it again, `pll --simulate` builds it from its options and an
// experiment file holds it.
#include "model/loop_parameters.h"

#include <cstdint>
#include <optional>
#include <vector>

// What the student sets on the loop, in the controls' units: the loop's physics and nothing else
// (the animation's pace and the view shown are not the loop's).
struct LabSettings
{
    // The controls' ranges, in the units below.
    static constexpr int MaxSetpoint = 3000, SetpointStep = 10;   // Hz
    static constexpr double SlopeUnit = 0.1;                      // Hz/s
    static constexpr int MinSlope = 1, MaxSlope = 1000000;        // SlopeUnit
    static constexpr double LoadUnit = 0.1;                       // V
    static constexpr int MaxLoad = 20;                            // LoadUnit
    static constexpr double TimeConstantUnit = 1e-4;              // s
    static constexpr int MinTimeConstant = 1, MaxTimeConstant = 10000;
    static constexpr double GainUnit = 0.01;
    static constexpr int MinGain = 10, MaxGain = 1000;

    int setpoint = 1000;   // Hz
    int ramp = 0;          // a new setpoint ramps at this many SlopeUnit; 0: it steps
    bool corrector = true;
    int load = 0;          // LoadUnit taken from the motor's input
    // The regulator K (1 + lead p) / ((1 + lag p)(1 + filter p)): the course's values.
    int lead = 250, lag = 25, filter = 8;  // TimeConstantUnit
    int gain = 100;                        // GainUnit

    bool operator==(const LabSettings &) const = default;
    // The loop's parameters under these settings.
    pllmodel::LoopParameters parameters() const;
};

enum class LabStart : std::uint8_t { Rest, Locked };

// What one action changes: each setting given takes its new value, the others stay; then, if
// asked, the loop starts again from rest or locked, under the settings then.
struct LabChange
{
    std::optional<int> setpoint, ramp, load, lead, lag, filter, gain;
    std::optional<bool> corrector;
    std::optional<LabStart> restart;

    bool operator==(const LabChange &) const = default;
    bool empty() const { return *this == LabChange{}; }
    // Each value brought into its control's range and onto its steps (1004 Hz is 1000 Hz, a
    // slope of 0 or less makes steps), as the lab takes and keeps it.
    LabChange inRange() const;
};

struct LabAction
{
    double at;  // loop time since the run's start, s
    LabChange change;
    bool operator==(const LabAction &) const = default;
};

struct LabRun
{
    LabStart start = LabStart::Rest;
    LabSettings settings;
    std::vector<LabAction> actions;  // in order of `at`; at one instant, in the order made

    bool operator==(const LabRun &) const = default;
};

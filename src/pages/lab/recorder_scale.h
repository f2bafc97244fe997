#pragma once
// The lab recorder's speed scale, in whole turns per second: what the paper holds, and room for
// the response under way to overshoot, so that the scale does not change in its middle.
#include "lab/recorder.h"

struct SpeedScale
{
    double lowest, highest;  // tr/s
    bool operator==(const SpeedScale &) const = default;
};

// `action`: the loop time of the last action.
SpeedScale speedScale(const Recorder &paper, double action);

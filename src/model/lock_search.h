#pragma once
// The lock limits found the way a student would find them on the bench: the loop locked at one
// setpoint, the setpoint then moved slowly until the loop slips a cycle.
#include "model/loop_parameters.h"

#include <optional>

namespace pllmodel {

struct Slip
{
    double frequency;       // setpoint frequency (Hz) when the first cycle slipped
    double comparatorMean;  // V, over the last setpoint periods before it
};

// Locked at `from` Hz, the setpoint then moving at `rate` Hz per second towards `to`: the first
// slip, or nothing if the loop holds all the way.
std::optional<Slip> firstSlip(double from, double to, double rate, const LoopParameters &p = Radar);

}

#pragma once
// The Black-Nichols chart of the open loop: its gain against its phase, graduated in pulsation,
// over the closed loop's contours, with the critical point, both margins and the resonance.
#include "model/loop_parameters.h"
#include "pages/lab/frequency_ink.h"

namespace FrequencyView {
Plan blackNicholsPlan(const pllmodel::LoopParameters &p, const QRect &area);
}

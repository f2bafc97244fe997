#pragma once
// The closed loop's Bode diagram: its gain and phase from 0,1 to 10⁵ rad/s, the -3 dB line and
// the bandwidth where the gain falls through it, the resonance.
#include "model/loop_parameters.h"
#include "pages/lab/frequency_ink.h"

namespace FrequencyView {
Plan closedLoopPlan(const pllmodel::LoopParameters &p, const QRect &area);
}

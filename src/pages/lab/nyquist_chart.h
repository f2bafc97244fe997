#pragma once
// The Nyquist locus of the open loop around the critical point -1: the positive pulsations solid,
// their mirror dotted, the unit circle, the circle of the modulus margin and both margins marked.
#include "model/loop_parameters.h"
#include "pages/lab/frequency_ink.h"

namespace FrequencyView {
Plan nyquistPlan(const pllmodel::LoopParameters &p, const QRect &area);
}

#pragma once
// The lab's Bode diagram laid out for one setting: the margins' strip, the gain and phase panels
// with their scales, corners, asymptotes and curves, then the texts placed where they find room.
#include "model/loop_parameters.h"
#include "pages/lab/frequency_ink.h"

namespace FrequencyView {
Plan planFor(const pllmodel::LoopParameters &p, const QRect &area);
}

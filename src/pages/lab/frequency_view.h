#pragma once
// The lab's frequency view: the open loop's Bode diagram for the student's settings, exact
// curves over their asymptotes, with the stability margins read off them.
#include "model/frequency_response.h"
#include "pages/lab/frequency_ink.h"

#include <QRect>
#include <QString>

class Canvas;

// "Marge de phase : …° à … rad/s": the margin to a tenth of a degree, the gain crossover
// to the whole rad/s.
QString phaseMarginText(const pllmodel::OpenLoop &loop);
// "Marge de gain : … dB à … rad/s", at the phase crossover; "Marge de gain : infinie"
// when the phase never reaches -180°.
QString gainMarginText(const pllmodel::OpenLoop &loop);

// Gain (left) and phase (right) from 0.1 to 1e5 rad/s under a line with both margins, all
// inside `area`, its top-right corner (105 x 23 pixels) left empty. The loop is taken with its
// regulator when p.phaseAdvance is set. What the drawing needs is worked out once per settings
// and area; drawn again unchanged, it only replays the canvas calls.
void drawFrequencyResponse(Canvas &canvas, const pllmodel::LoopParameters &p, const QRect &area);

namespace FrequencyView {
// The corner every chart leaves empty, at the area's top right: the window's choice of chart
// sits there.
constexpr int FreeCornerWidth = 105, FreeCornerHeight = 23;

// What one chart draws for the settings in the area.
using Planner = Plan (*)(const pllmodel::LoopParameters &, const QRect &);
// The plan drawn; made again only when the settings or the area change, else replayed.
void drawPlanned(Canvas &canvas, const pllmodel::LoopParameters &p, const QRect &area, Planner planner);
}

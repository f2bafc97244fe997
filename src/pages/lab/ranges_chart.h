#pragma once
// The lab's "Plages" chart: the pull-in and hold ranges last measured, as two bars over the
// setpoint axis with the lab's setpoint marked, their readouts, and where the measure stands.
#include "pages/lab/ranges_state.h"

#include <QRect>
#include <QString>

class Canvas;
struct LabSettings;

// "Plage de capture depuis l'arrêt : de 50 à 1090 Hz", from the lowest setpoint that pulls in
// to the highest; "… : aucune" when none does.
QString pullInText(const LockRanges &ranges);
// "Plage de maintien : de 50 à 1980 Hz", or "… : aucune".
QString holdText(const LockRanges &ranges);

// The chart inside `area`, for the lab as `settings` set it; its bottom strip of ControlsHeight
// pixels is left to the window's controls of the measure.
void drawRangesChart(Canvas &canvas, const RangesState &state, const LabSettings &settings, const QRect &area);

namespace RangesChart {
constexpr int ControlsHeight = 28;
}

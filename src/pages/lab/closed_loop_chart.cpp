#include "pages/lab/closed_loop_chart.h"

#include "model/closed_loop.h"
#include "pages/lab/chart_readouts.h"
#include "pages/lab/pulsation_plot.h"

#include <algorithm>

using pllmodel::ClosedLoop;
using pllmodel::LoopParameters;

namespace FrequencyView {
namespace {
using namespace Colour;

// Fine enough to show a resonance of a few dB; a sharper one runs off the top.
constexpr Scale GainScale{"Gain (dB)", 10, -30, 10, ""};
constexpr double DropDb = -3;
// The phase panel's reference line, where the open loop's phase panel has it.
constexpr double CriticalPhase = -180;
constexpr int CrossReach = 3;
// "−3 dB" at the line's right end, above it, else under it.
constexpr Place DropAtRight[] = {{-2, -2, -1, -1}, {-2, -2, 0, 2}};

// The -3 dB line across the gain, the bandwidth dashed down from it, the resonance a cross on the
// curve dashed down to the axis: their pulsations on the row under the decades.
void addGainMarks(Plan &plan, const Plot &gain, const std::optional<double> &bandwidth,
                  const std::optional<pllmodel::Extremum> &peak, int row)
{
    const QRect &g = gain.box;
    const int zero = px(gain.y(0)), drop = px(gain.y(DropDb));
    plan.line(Black, 1, PenStyle::Solid, {g.left(), zero}, {g.right() + 1, zero});
    plan.line(Red, 1, PenStyle::Dot, {g.left(), drop}, {g.right() + 1, drop});
    std::vector<std::pair<double, QString>> marks;
    if (bandwidth && gain.holdsX(gain.x(*bandwidth))) {
        const int x = px(gain.x(*bandwidth));
        plan.line(Red, 1, PenStyle::Dot, {x, drop}, {x, g.bottom() + 1});
        marks.push_back({x, pulsationLabel(*bandwidth)});
    }
    if (peak && gain.holdsX(gain.x(peak->omega))) {
        const int x = px(gain.x(peak->omega)), y = px(gain.y(std::min(peak->value, gain.scale.top)));
        plan.line(Fuchsia, 1, PenStyle::Dot, {x, y}, {x, g.bottom() + 1});
        plan.line(Fuchsia, Bold, PenStyle::Solid, {x - CrossReach, y}, {x + CrossReach, y});
        plan.line(Fuchsia, Bold, PenStyle::Solid, {x, y - CrossReach}, {x, y + CrossReach});
        marks.push_back({x, pulsationLabel(peak->omega)});
    }
    addPanelRow(plan, gain, marks, row, Navy);
}
}

Plan closedLoopPlan(const LoopParameters &p, const QRect &area)
{
    Plan plan(area);
    const ClosedLoop loop(p.phaseAdvance, p);
    const std::optional<pllmodel::Extremum> resonance = loop.resonance();
    const std::optional<double> bandwidth = loop.bandwidth();
    const QRect strip = addReadoutStrip(plan, area, {resonanceText(resonance, loop.stable()), bandwidthText(bandwidth, loop.stable())});
    const Panels panels = layOutPanels(area, strip, GainScale, PhaseScale);
    for (const Plot *plot : {&panels.left, &panels.right})
        addFrame(plan, *plot);
    addGainMarks(plan, panels.left, bandwidth, resonance, panels.cornerRow);
    addCurve(plan, panels.left, Blue, [&](double omega) { return loop.gainDb(omega); });
    const QRect &f = panels.right.box;
    const int critical = px(panels.right.y(CriticalPhase));
    plan.line(Black, 1, PenStyle::Solid, {f.left(), critical}, {f.right() + 1, critical});
    addCurve(plan, panels.right, Blue, [&](double omega) { return loop.phaseDegrees(omega); });
    plan.writeWhereClear({0, 0, Red, QStringLiteral("−3 dB")}, {panels.left.box.right(), px(panels.left.y(DropDb))},
                         DropAtRight);
    return plan;
}
}

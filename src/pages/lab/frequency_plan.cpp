#include "pages/lab/frequency_plan.h"

#include "model/frequency_response.h"
#include "pages/lab/frequency_view.h"
#include "pages/lab/pulsation_plot.h"

#include <algorithm>
#include <cmath>
#include <optional>

using pllmodel::Corner;
using pllmodel::GainAsymptote;
using pllmodel::LoopParameters;
using pllmodel::OpenLoop;

namespace FrequencyView {
namespace {
using namespace Colour;

constexpr Scale GainScale{"Gain (dB)", 100, -100, 50, ""};
constexpr int ArrowHead = 3;

// Where the texts placed freely go, first choice first (see Place).
// "0 dB" over the thick line at its right end, else under it; then the same at its left end.
constexpr Place ZeroDbAtRight[] = {{-2, 0, -1, -3}, {-2, 0, 0, 4}};
constexpr Place ZeroDbAtLeft[] = {{0, 2, -1, -3}, {0, 2, 0, 4}};
// The crossover's pulsation under the 0 dB line left of its dashes, else right; a row lower;
// above the line.
constexpr Place CrossoverPlaces[] = {{-2, -3, 0, 4}, {0, 3, 0, 4}, {-2, -3, 1, 4},
                                     {0, 3, 1, 4},   {-2, -3, -1, -3}, {0, 3, -1, -3}};
// A slope by a point of its segment: above right, above, below left, below, then further off.
constexpr Place SlopePlaces[] = {{0, 2, -1, -1}, {-1, 0, -1, -3}, {-2, -2, 0, 2},
                                 {-1, 0, 0, 4},  {0, 2, -1, -6},  {-2, -2, 0, 7}};
// The points tried, along the segment: its middle first.
constexpr double SlopeAlong[] = {0.5, 0.35, 0.65, 0.2, 0.8};

// The corners dashed through a plot, their pulsations on a row under the decades.
void addCornerRow(Plan &plan, const Plot &plot, const std::vector<Corner> &corners, int y)
{
    std::vector<std::pair<double, QString>> marks;
    for (const Corner &c : corners) {
        const double x = plot.x(c.omega);
        if (!plot.holdsX(x))
            continue;
        plan.line(Black, 1, PenStyle::Dot, {px(x), plot.box.top()}, {px(x), plot.box.bottom() + 1});
        marks.push_back({x, pulsationLabel(c.omega)});
    }
    addPanelRow(plan, plot, marks, y, Navy);
}

// The gain asymptote's segments within the scale, each with its slope.
struct Segment { QPoint from, to; int slope; };
std::vector<Segment> asymptoteSegments(const Plot &plot, const GainAsymptote &asymptote)
{
    std::vector<double> turns{LowestOmega};
    for (const Corner &c : asymptote.corners)
        if (c.omega > LowestOmega && c.omega < plot.highestOmega())
            turns.push_back(c.omega);
    turns.push_back(plot.highestOmega());
    const double top = plot.scale.top, bottom = plot.scale.bottom;
    std::vector<Segment> segments;
    for (std::size_t i = 0; i + 1 < turns.size(); ++i) {
        const double w0 = turns[i], w1 = turns[i + 1], d0 = asymptote.decibels(w0), d1 = asymptote.decibels(w1);
        if (!std::isfinite(d0) || !std::isfinite(d1))
            continue;
        // Cut where it leaves the scale: dB is linear in log omega.
        double t0 = 0, t1 = 1;
        if (d1 != d0) {
            const double toTop = (top - d0) / (d1 - d0), toBottom = (bottom - d0) / (d1 - d0);
            t0 = std::max(t0, std::min(toTop, toBottom));
            t1 = std::min(t1, std::max(toTop, toBottom));
        } else if (d0 > top || d0 < bottom) {
            continue;
        }
        if (!(t0 < t1))
            continue;
        const double wa = w0 * std::pow(w1 / w0, t0), wb = w0 * std::pow(w1 / w0, t1);
        segments.push_back({{px(plot.x(wa)), px(plot.y(d0 + (d1 - d0) * t0))},
                            {px(plot.x(wb)), px(plot.y(d0 + (d1 - d0) * t1))}, asymptote.slope(std::sqrt(w0 * w1))});
    }
    return segments;
}

double decibels(const OpenLoop &loop, double omega) { return 20 * std::log10(std::abs(loop.at(omega))); }

// Gain: the thick 0 dB line, the asymptote, the curve; the gain crossover dashed down from
// 0 dB, the gain margin a stroke from 0 dB to the curve at the phase crossover.
void addGainPanel(Plan &plan, const Plot &gain, const OpenLoop &loop, double crossover,
                  const std::vector<Segment> &asymptote)
{
    const QRect &g = gain.box;
    const int zero = px(gain.y(0));
    plan.line(Black, Thick, PenStyle::Solid, {g.left(), zero}, {g.right() + 1, zero});
    for (const Segment &s : asymptote)
        plan.line(Black, 1, PenStyle::Solid, s.from, s.to);
    addCurve(plan, gain, Blue, [&](double omega) { return decibels(loop, omega); });
    const double xc = gain.x(crossover);
    if (gain.holdsX(xc))
        plan.line(Red, 1, PenStyle::Dot, {px(xc), zero}, {px(xc), g.bottom() + 1});
    if (const std::optional<double> wp = loop.phaseCrossover()) {
        const double x = gain.x(*wp), y = gain.y(-loop.gainMarginDb());
        if (gain.holdsX(x) && std::isfinite(y))
            plan.line(Red, Bold, PenStyle::Solid, {px(x), zero}, {px(x), std::clamp(px(y), g.top(), g.bottom())});
    }
}

// The phase asymptote: levels from -90°, stepping 90° a step of the gain's slope at each corner.
std::vector<QPoint> phaseLevels(const Plot &phase, const std::vector<Corner> &corners)
{
    const QRect &f = phase.box;
    std::vector<QPoint> levels;
    double level = -90;
    levels.push_back({f.left(), px(phase.y(level))});
    for (const Corner &c : corners) {
        const double x = phase.x(c.omega);
        level += 90 * c.gainSlope;
        if (x <= f.left()) {
            levels.back().setY(px(phase.y(level)));
            continue;
        }
        if (x >= f.right())
            break;
        levels.push_back({px(x), levels.back().y()});
        levels.push_back({px(x), px(phase.y(level))});
    }
    levels.push_back({f.right() + 1, levels.back().y()});
    return levels;
}

void addArrow(Plan &plan, TColor colour, int x, int from, int to)
{
    plan.line(colour, 1, PenStyle::Solid, {x, from}, {x, to});
    if (std::abs(to - from) < 2 * ArrowHead + 2)
        return;
    const int towards = to > from ? 1 : -1;
    for (const auto &[tip, dir] : {std::pair{from, -towards}, std::pair{to, towards}}) {
        plan.line(colour, 1, PenStyle::Solid, {x, tip}, {x - ArrowHead, tip - dir * ArrowHead});
        plan.line(colour, 1, PenStyle::Solid, {x, tip}, {x + ArrowHead, tip - dir * ArrowHead});
    }
}

// Phase: -180°, the asymptote's levels, the curve; the phase margin an arrow from -180° to the
// curve at the gain crossover.
void addPhasePanel(Plan &plan, const Plot &phase, const OpenLoop &loop, double crossover,
                   const std::vector<Corner> &corners)
{
    const QRect &f = phase.box;
    const int critical = px(phase.y(-180));
    plan.line(Black, 1, PenStyle::Solid, {f.left(), critical}, {f.right() + 1, critical});
    plan.stroke(Black, Bold, PenStyle::Solid, phaseLevels(phase, corners));
    addCurve(plan, phase, Blue, [&](double omega) { return loop.phaseDegrees(omega); });
    const double xm = phase.x(crossover);
    if (phase.holdsX(xm)) {
        const int y = px(phase.y(std::clamp(loop.phaseDegrees(crossover), PhaseScale.bottom, PhaseScale.top)));
        plan.line(Red, 1, PenStyle::Dot, {px(xm), f.top()}, {px(xm), std::min(y, critical)});
        addArrow(plan, Red, px(xm), critical, y);
    }
}

// "0 dB" by its line, and the gain crossover's pulsation by its dashes.
void addGainTexts(Plan &plan, const Plot &gain, double crossover)
{
    const QRect &g = gain.box;
    const int zero = px(gain.y(0));
    const Label zeroDb{0, 0, Black, QStringLiteral("0 dB")};
    if (!plan.writeWhereClear(zeroDb, {g.right(), zero}, ZeroDbAtRight))
        plan.writeWhereClear(zeroDb, {g.left(), zero}, ZeroDbAtLeft);
    const double xc = gain.x(crossover);
    if (gain.holdsX(xc))
        plan.writeWhereClear({0, 0, Red, pulsationLabel(crossover) + QStringLiteral(" rad/s")}, {px(xc), zero},
                             CrossoverPlaces);
}

// Each segment's slope, "(-2)", by it if it is long enough.
void addSlopeTexts(Plan &plan, const std::vector<Segment> &asymptote)
{
    for (const Segment &s : asymptote) {
        const Label slope{0, 0, Black, QStringLiteral("(%1)").arg(s.slope)};
        if (s.to.x() - s.from.x() < textWidth(slope.text))
            continue;
        for (const double along : SlopeAlong)
            if (plan.writeWhereClear(slope, s.from + (s.to - s.from) * along, SlopePlaces))
                break;
    }
}
}

Plan planFor(const LoopParameters &p, const QRect &area)
{
    Plan plan(area);
    const OpenLoop loop(p.phaseAdvance, p);
    const GainAsymptote asymptote = loop.gainAsymptote();
    const double crossover = loop.gainCrossover();

    const QRect strip = addReadoutStrip(plan, area, {phaseMarginText(loop), gainMarginText(loop)});
    const Panels panels = layOutPanels(area, strip, GainScale, PhaseScale);
    for (const Plot *plot : {&panels.left, &panels.right})
        addFrame(plan, *plot);
    for (const Plot *plot : {&panels.left, &panels.right})
        addCornerRow(plan, *plot, asymptote.corners, panels.cornerRow);
    const std::vector<Segment> segments = asymptoteSegments(panels.left, asymptote);
    addGainPanel(plan, panels.left, loop, crossover, segments);
    addPhasePanel(plan, panels.right, loop, crossover, asymptote.corners);

    // Then the texts placed where they find room.
    addGainTexts(plan, panels.left, crossover);
    addSlopeTexts(plan, segments);
    return plan;
}
}

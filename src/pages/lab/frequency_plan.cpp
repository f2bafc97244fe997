#include "pages/lab/frequency_plan.h"

#include "model/frequency_response.h"
#include "pages/lab/frequency_view.h"
#include "text/french_number.h"

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

// Each panel's scale, fixed so that settings can be compared picture to picture.
struct Scale
{
    const char *title;  // UTF-8, as the units
    double top, bottom, step;
    const char *unit;   // after each scale value
};
constexpr Scale GainScale{"Gain (dB)", 100, -100, 50, ""};
constexpr Scale PhaseScale{"Phase (°)", 0, -360, 90, "°"};
constexpr int Steps = 4;  // scale marks, top to bottom
constexpr double LowestOmega = 0.1;
constexpr int Decades = 6;  // up to 1e5 rad/s

// The strip: the margins on a line, kept this far from the free corner.
constexpr int StripHeight = 21, StripToCorner = 4, StripTextY = 3, MarginsApart = 24;
// Panel layout, from each panel's top left; under the plot, the decades then the corners. The
// title at the left, the axis's name kept TitleRight from the right edge.
constexpr int TitleX = 4, TitleY = 2, TitleRight = 3, PanelGap = 3, PlotTop = 24, DecadeGap = 7;
constexpr int RowInsetLeft = 2, RowInsetRight = 1;  // the decades' and the corners' rows
constexpr int PlotRightMargin = 12;
// A scale mark's length; left of a plot, the room for the widest value and 7 pixels: 2 from the
// panel's edge, 1 to its mark, the mark and the axis.
constexpr int MarkLength = 3, ScaleRoom = 7;
constexpr int ArrowHead = 3;
constexpr int Bold = 2, Thick = 3;  // pens, in pixels

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

// One plot: its panel, its pixel box and how values map onto it.
class Plot
{
public:
    // As high as the rows under it leave room for, every scale mark on a pixel.
    Plot(const QRect &panel, int leftMargin, int height, const Scale &scale)
        : decade((panel.width() - leftMargin - PlotRightMargin) / Decades),
          box(panel.left() + leftMargin, panel.top() + PlotTop, decade * Decades + 1, (height - 1) / Steps * Steps + 1),
          panel(panel), scale(scale)
    {
    }
    int decade;  // pixels
    QRect box, panel;
    const Scale &scale;

    double x(double omega) const { return box.left() + std::log10(omega / LowestOmega) * decade; }
    double y(double value) const { return box.top() + (scale.top - value) / (scale.top - scale.bottom) * (box.height() - 1); }
    double omegaAt(int column) const { return LowestOmega * std::pow(10.0, double(column - box.left()) / decade); }
    bool holdsX(double px) const { return px >= box.left() - 0.5 && px <= box.right() + 0.5; }
    bool holdsY(double py) const { return py >= box.top() - 0.5 && py <= box.bottom() + 0.5; }
    double highestOmega() const { return omegaAt(box.right()); }
};

// A whole number as French sets it, thousands apart from 10 000 up; below 10, one decimal if
// it has one.
QString pulsationLabel(double omega)
{
    if (omega < 9.95 && std::abs(omega - std::round(omega)) >= 0.05)
        return frenchDecimal(omega, 1);
    QString digits = QString::number(std::llround(omega));
    if (digits.size() > 4)
        for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, QLatin1Char(' '));
    return digits;
}

// 0,1, 1, 10, then powers of ten.
QString decadeLabel(int power)
{
    static const QString exponents[] = {QStringLiteral(""), QStringLiteral(""), QStringLiteral("²"),
                                        QStringLiteral("³"), QStringLiteral("⁴"), QStringLiteral("⁵")};
    if (power < 0)
        return QStringLiteral("0,1");
    if (power < 2)
        return power == 0 ? QStringLiteral("1") : QStringLiteral("10");
    return QStringLiteral("10") + exponents[power];
}

QString scaleLabel(const Scale &scale, int step)
{
    return frenchDecimal(scale.top - step * scale.step, 0) + QString::fromUtf8(scale.unit);
}

// A curve sampled once per pixel column; the columns off the scale (or not finite) break it.
// Runs on one row are kept to their ends.
template<class Value>
void addCurve(Plan &plan, const Plot &plot, TColor colour, Value value)
{
    std::vector<QPoint> run;
    const auto flush = [&] {
        if (run.size() > 1)
            plan.stroke(colour, 1, PenStyle::Solid, run);
        run.clear();
    };
    for (int column = plot.box.left(); column <= plot.box.right(); ++column) {
        const double y = plot.y(value(plot.omegaAt(column)));
        if (!std::isfinite(y) || !plot.holdsY(y)) {
            flush();
            continue;
        }
        const QPoint point(column, px(y));
        if (run.size() >= 2 && run[run.size() - 1].y() == point.y() && run[run.size() - 2].y() == point.y())
            run.back() = point;
        else
            run.push_back(point);
    }
    flush();
}

void addPanelRow(Plan &plan, const Plot &plot, const std::vector<std::pair<double, QString>> &marks, int y,
                 TColor colour, int size = TextSize)
{
    addRow(plan, marks, plot.panel.left() + RowInsetLeft, plot.panel.right() - RowInsetRight, y, colour, size);
}

// The panel with its title, axes, scale marks and the decades.
void addFrame(Plan &plan, const Plot &plot)
{
    const QRect &panel = plot.panel;
    plan.panels.push_back(panel);
    plan.write({panel.left() + TitleX, panel.top() + TitleY, Navy, QString::fromUtf8(plot.scale.title)});
    // The symbol face has the Greek letters: omega as itself, no Latin stand-in.
    const QString omega = QStringLiteral("ω"), axis = QStringLiteral(" (rad/s)");
    const int axisX = panel.right() - TitleRight - textWidth(axis) - textWidth(omega, true);
    plan.write({axisX, panel.top() + TitleY, Navy, omega, true});
    plan.write({axisX + textWidth(omega, true), panel.top() + TitleY, Navy, axis});

    const QRect &b = plot.box;
    const int left = b.left() - 1, bottom = b.bottom() + 1;  // the axes
    plan.line(Black, 1, PenStyle::Solid, {left, b.top()}, {left, bottom + 1});
    plan.line(Black, 1, PenStyle::Solid, {left, bottom}, {b.right() + 1, bottom});
    for (int i = 0; i <= Steps; ++i) {
        const int y = px(plot.y(plot.scale.top - i * plot.scale.step));
        plan.line(Black, 1, PenStyle::Solid, {left - MarkLength, y}, {left, y});
        const QString text = scaleLabel(plot.scale, i);
        plan.write({left - MarkLength - 1 - textWidth(text), y - textHeight() / 2, Black, text});
    }
    std::vector<std::pair<double, QString>> decades;
    for (int d = 0; d <= Decades; ++d) {
        const int x = px(plot.x(LowestOmega * std::pow(10.0, d)));
        plan.line(Black, 1, PenStyle::Solid, {x, bottom}, {x, bottom + MarkLength});
        decades.push_back({x, decadeLabel(d - 1)});
    }
    addPanelRow(plan, plot, decades, b.bottom() + DecadeGap, Black, DecadeSize);
}

// The margins on a line of their own, ending short of the free corner (see FreeCornerWidth).
QRect addMarginsStrip(Plan &plan, const OpenLoop &loop, const QRect &area)
{
    const QRect strip(area.left(), area.top(), area.width() - FreeCornerWidth - StripToCorner, StripHeight);
    plan.panels.push_back(strip);
    plan.ink.mark(QRect(area.right() + 1 - FreeCornerWidth, area.top(), FreeCornerWidth, FreeCornerHeight));
    const QString phaseText = phaseMarginText(loop), gainText = gainMarginText(loop);
    const int y = strip.top() + StripTextY;
    plan.write({strip.left() + TitleX, y, Red, phaseText});
    plan.write({strip.left() + TitleX + textWidth(phaseText) + MarginsApart, y, Red, gainText});
    return strip;
}

// Gain left, phase right, under the strip; their plots alike, with the room the widest scale
// value needs, the decades and the corners' row under them.
struct Panels
{
    Plot gain, phase;
    int cornerRow;  // its top
};
Panels layOutPanels(const QRect &area, const QRect &strip)
{
    const int panelTop = strip.bottom() + 1 + PanelGap;
    const int panelWidth = (area.width() - PanelGap) / 2;
    const QRect gainPanel(area.left(), panelTop, panelWidth, area.bottom() + 1 - panelTop);
    const QRect phasePanel(area.right() + 1 - panelWidth, panelTop, panelWidth, gainPanel.height());
    int widest = 0;
    for (const Scale *scale : {&GainScale, &PhaseScale})
        for (int i = 0; i <= Steps; ++i)
            widest = std::max(widest, textWidth(scaleLabel(*scale, i)));
    const int cornerRow = gainPanel.bottom() - textHeight();
    const int plotHeight = cornerRow - textHeight(DecadeSize) - DecadeGap - (gainPanel.top() + PlotTop);
    return {Plot(gainPanel, ScaleRoom + widest, plotHeight, GainScale),
            Plot(phasePanel, ScaleRoom + widest, plotHeight, PhaseScale), cornerRow};
}

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

    const Panels panels = layOutPanels(area, addMarginsStrip(plan, loop, area));
    for (const Plot *plot : {&panels.gain, &panels.phase})
        addFrame(plan, *plot);
    for (const Plot *plot : {&panels.gain, &panels.phase})
        addCornerRow(plan, *plot, asymptote.corners, panels.cornerRow);
    const std::vector<Segment> segments = asymptoteSegments(panels.gain, asymptote);
    addGainPanel(plan, panels.gain, loop, crossover, segments);
    addPhasePanel(plan, panels.phase, loop, crossover, asymptote.corners);

    // Then the texts placed where they find room.
    addGainTexts(plan, panels.gain, crossover);
    addSlopeTexts(plan, segments);
    return plan;
}
}

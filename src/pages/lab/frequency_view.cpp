#include "pages/lab/frequency_view.h"

#include "drawing/canvas.h"
#include "drawing/fonts.h"
#include "drawing/page_text.h"
#include "text/french_number.h"

#include <QFontMetrics>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

using pllmodel::Corner;
using pllmodel::GainAsymptote;
using pllmodel::LoopParameters;
using pllmodel::OpenLoop;

QString phaseMarginText(const OpenLoop &loop)
{
    return QStringLiteral("Marge de phase : %1° à %2 rad/s")
        .arg(frenchDecimal(loop.phaseMarginDegrees(), 1), frenchDecimal(loop.gainCrossover(), 0));
}

QString gainMarginText(const OpenLoop &loop)
{
    const std::optional<double> omega = loop.phaseCrossover();
    if (!omega)
        return QStringLiteral("Marge de gain : infinie");
    return QStringLiteral("Marge de gain : %1 dB à %2 rad/s")
        .arg(frenchDecimal(loop.gainMarginDb(), 1), frenchDecimal(*omega, 0));
}

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;
constexpr int TextSize = 8;
// The decades are written as powers of ten, whose exponents only the 9-point face has.
constexpr int DecadeSize = 9;

// The scales, fixed so that settings can be compared picture to picture.
constexpr double LowestOmega = 0.1;
constexpr int Decades = 6;                                         // up to 1e5 rad/s
constexpr double GainTop = 100, GainBottom = -100, GainStep = 50;  // dB
constexpr double PhaseTop = 0, PhaseBottom = -360, PhaseStep = 90; // degrees
constexpr int Steps = 4;  // scale marks, top to bottom

// Panel layout, from each panel's top left; under the plot, the decades then the corners.
constexpr int StripHeight = 21, PanelGap = 3, TitleY = 2, PlotTop = 24, DecadeGap = 7;
constexpr int PlotRightMargin = 12;
constexpr int ArrowHead = 3;

// Everything the view draws, worked out once per settings: replaying it is all a tick costs.
struct Stroke
{
    TColor colour;
    int width;
    PenStyle style;
    std::vector<QPoint> points;  // a polyline
};
struct Label
{
    int x, y;
    TColor colour;
    QString text;
    bool symbol = false;
    int size = TextSize;
    bool opaque = false;  // on a white cell, over the dashed lines it may cross
};

struct TextFace
{
    QFont font;
    int height;
};
const TextFace &faceOf(bool symbol, int size)
{
    thread_local std::map<std::pair<bool, int>, TextFace> faces;
    auto found = faces.find({symbol, size});
    if (found == faces.end()) {
        Fonts::registerEmbedded();
        const QFont font = Fonts::pageFont(symbol ? Symbol : Sans, size);
        found = faces.emplace(std::pair{symbol, size}, TextFace{font, QFontMetrics(font).height()}).first;
    }
    return found->second;
}
// Laying a text out costs more than the rest of the plan: each is measured once.
int textWidth(const QString &text, bool symbol = false, int size = TextSize)
{
    thread_local QHash<QString, int> widths[2][2];
    QHash<QString, int> &known = widths[symbol][size == TextSize];
    auto found = known.constFind(text);
    if (found == known.constEnd())
        found = known.insert(text, Fonts::layOut(faceOf(symbol, size).font, symbol ? Fonts::symbolText(text) : text).advance);
    return *found;
}
int textHeight(int size = TextSize) { return faceOf(false, size).height; }

// Which pixels of the area the lines and texts so far cover, so that a text placed freely (a
// slope, the crossover's pulsation) finds a clear spot or is left out.
class Ink
{
public:
    explicit Ink(const QRect &area) : area(area), covered(std::size_t(area.width() * area.height())) {}
    void mark(const QRect &r)
    {
        const QRect c = r & area;
        for (int y = c.top(); y <= c.bottom(); ++y)
            for (int x = c.left(); x <= c.right(); ++x)
                covered[index(x, y)] = true;
    }
    bool clear(const QRect &r) const
    {
        if (!area.contains(r))
            return false;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (covered[index(x, y)])
                    return false;
        return true;
    }
    // A line of `width` pixels, with a pixel's clearance around it.
    void line(QPoint a, QPoint b, int width)
    {
        const int n = std::max({std::abs(b.x() - a.x()), std::abs(b.y() - a.y()), 1});
        const int reach = width / 2 + 1;
        for (int i = 0; i <= n; ++i) {
            const int x = a.x() + (b.x() - a.x()) * i / n, y = a.y() + (b.y() - a.y()) * i / n;
            mark(QRect(x - reach, y - reach, 2 * reach + 1, 2 * reach + 1));
        }
    }

private:
    std::size_t index(int x, int y) const { return std::size_t((y - area.top()) * area.width() + x - area.left()); }
    QRect area;
    std::vector<bool> covered;
};

struct Plan
{
    explicit Plan(const QRect &area) : ink(area) {}
    std::vector<QRect> panels;
    std::vector<Stroke> strokes;
    std::vector<Label> labels;
    Ink ink;

    // Dashed lines may run under a text written opaque.
    void stroke(TColor colour, int width, PenStyle style, std::vector<QPoint> points)
    {
        for (std::size_t i = 1; style == PenStyle::Solid && i < points.size(); ++i)
            ink.line(points[i - 1], points[i], width);
        strokes.push_back({colour, width, style, std::move(points)});
    }
    void line(TColor colour, int width, PenStyle style, QPoint from, QPoint to)
    {
        stroke(colour, width, style, {from, to});
    }
    static QRect cell(const Label &l) { return {l.x, l.y, textWidth(l.text, l.symbol, l.size), textHeight(l.size)}; }
    // A text keeps a space's width clear on either side.
    void write(const Label &l)
    {
        ink.mark(cell(l).adjusted(-3, 0, 3, 0));
        labels.push_back(l);
    }
    // The first of the places offered where the text would cover nothing; none: left out.
    bool writeWhereClear(Label l, std::initializer_list<QPoint> places)
    {
        l.opaque = true;
        for (const QPoint &at : places) {
            l.x = at.x();
            l.y = at.y();
            if (ink.clear(cell(l).adjusted(-1, -1, 1, 1))) {
                write(l);
                return true;
            }
        }
        return false;
    }
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

// One plot: its pixel box and how values map onto it.
class Plot
{
public:
    // As high as the rows under it leave room for, every scale mark on a pixel.
    Plot(const QRect &panel, int leftMargin, int height, double top, double bottom)
        : decade((panel.width() - leftMargin - PlotRightMargin) / Decades),
          box(panel.left() + leftMargin, panel.top() + PlotTop, decade * Decades + 1, (height - 1) / Steps * Steps + 1),
          top(top), bottom(bottom)
    {
    }
    int decade;  // pixels
    QRect box;
    double top, bottom;

    double x(double omega) const { return box.left() + std::log10(omega / LowestOmega) * decade; }
    double y(double value) const { return box.top() + (top - value) / (top - bottom) * (box.height() - 1); }
    double omegaAt(int column) const { return LowestOmega * std::pow(10.0, double(column - box.left()) / decade); }
    bool holdsX(double px) const { return px >= box.left() - 0.5 && px <= box.right() + 0.5; }
    bool holdsY(double py) const { return py >= box.top() - 0.5 && py <= box.bottom() + 0.5; }
    double highestOmega() const { return omegaAt(box.right()); }
};

int px(double v) { return int(std::lround(v)); }

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

// Labels of one row, each centred under its x unless it would run into the one before or past
// the row's end: then moved along just enough.
void addRow(Plan &plan, std::vector<std::pair<double, QString>> marks, int left, int right, int y, TColor colour,
            int size = TextSize)
{
    std::sort(marks.begin(), marks.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<int> starts, widths;
    for (const auto &[x, text] : marks) {
        widths.push_back(textWidth(text, false, size));
        int start = px(x) - widths.back() / 2;
        if (!starts.empty())
            start = std::max(start, starts.back() + widths[widths.size() - 2] + 5);
        starts.push_back(std::max(start, left));
    }
    int limit = right;
    for (std::size_t i = starts.size(); i-- > 0;) {
        starts[i] = std::min(starts[i], limit - widths[i]);
        limit = starts[i] - 5;
    }
    for (std::size_t i = 0; i < marks.size(); ++i)
        plan.write({starts[i], y, colour, marks[i].second, false, size});
}

QString scaleLabel(double value, const QString &unit) { return frenchDecimal(value, 0) + unit; }

// Axes, scale marks and the decades.
void addFrame(Plan &plan, const Plot &plot, const QRect &panel, const QString &title, double step,
              const QString &unit)
{
    plan.panels.push_back(panel);
    plan.write({panel.left() + 4, panel.top() + TitleY, Navy, title});
    // The symbol face has the Greek letters: omega as itself, no Latin stand-in.
    const QString omega = QStringLiteral("ω"), axis = QStringLiteral(" (rad/s)");
    const int axisX = panel.right() - 3 - textWidth(axis) - textWidth(omega, true);
    plan.write({axisX, panel.top() + TitleY, Navy, omega, true});
    plan.write({axisX + textWidth(omega, true), panel.top() + TitleY, Navy, axis});

    const QRect &b = plot.box;
    plan.line(Black, 1, PenStyle::Solid, {b.left() - 1, b.top()}, {b.left() - 1, b.bottom() + 2});
    plan.line(Black, 1, PenStyle::Solid, {b.left() - 1, b.bottom() + 1}, {b.right() + 1, b.bottom() + 1});
    for (int i = 0; i <= Steps; ++i) {
        const double v = plot.top - i * step;
        const int y = px(plot.y(v));
        plan.line(Black, 1, PenStyle::Solid, {b.left() - 4, y}, {b.left() - 1, y});
        const QString text = scaleLabel(v, unit);
        plan.write({b.left() - 5 - textWidth(text), y - textHeight() / 2, Black, text});
    }
    std::vector<std::pair<double, QString>> decades;
    for (int d = 0; d <= Decades; ++d) {
        const int x = px(plot.x(LowestOmega * std::pow(10.0, d)));
        plan.line(Black, 1, PenStyle::Solid, {x, b.bottom() + 1}, {x, b.bottom() + 4});
        decades.push_back({x, decadeLabel(d - 1)});
    }
    addRow(plan, decades, panel.left() + 2, panel.right() - 1, b.bottom() + DecadeGap, Black, DecadeSize);
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
    std::vector<Segment> segments;
    for (std::size_t i = 0; i + 1 < turns.size(); ++i) {
        const double w0 = turns[i], w1 = turns[i + 1], d0 = asymptote.decibels(w0), d1 = asymptote.decibels(w1);
        if (!std::isfinite(d0) || !std::isfinite(d1))
            continue;
        // Cut where it leaves the scale: dB is linear in log omega.
        double t0 = 0, t1 = 1;
        if (d1 != d0) {
            const double toTop = (GainTop - d0) / (d1 - d0), toBottom = (GainBottom - d0) / (d1 - d0);
            t0 = std::max(t0, std::min(toTop, toBottom));
            t1 = std::min(t1, std::max(toTop, toBottom));
        } else if (d0 > GainTop || d0 < GainBottom) {
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

Plan planFor(const LoopParameters &p, const QRect &area)
{
    Plan plan(area);
    const OpenLoop loop(p.phaseAdvance, p);
    const GainAsymptote gainAsymptote = loop.gainAsymptote();
    const std::vector<Corner> &corners = gainAsymptote.corners;
    const double wc = loop.gainCrossover();
    const std::optional<double> wp = loop.phaseCrossover();

    // The margins on a line of their own, clear of the corner kept free.
    const QRect strip(area.left(), area.top(), area.width() - FrequencyView::FreeCornerWidth - 4, StripHeight);
    plan.panels.push_back(strip);
    plan.ink.mark(QRect(area.right() + 1 - FrequencyView::FreeCornerWidth, area.top(),
                        FrequencyView::FreeCornerWidth, FrequencyView::FreeCornerHeight));
    const QString phaseText = phaseMarginText(loop), gainText = gainMarginText(loop);
    plan.write({strip.left() + 4, strip.top() + 3, Red, phaseText});
    plan.write({strip.left() + 4 + textWidth(phaseText) + 24, strip.top() + 3, Red, gainText});

    // Gain left, phase right, their plots alike: the room the widest scale label needs.
    const int panelTop = strip.bottom() + 1 + PanelGap;
    const int panelWidth = (area.width() - PanelGap) / 2;
    const QRect gainPanel(area.left(), panelTop, panelWidth, area.bottom() + 1 - panelTop);
    const QRect phasePanel(area.right() + 1 - panelWidth, panelTop, panelWidth, gainPanel.height());
    const QString degree = QStringLiteral("°");
    const int leftMargin = 7 + std::max({textWidth(scaleLabel(GainBottom, QString())),
                                         textWidth(scaleLabel(PhaseBottom, degree)),
                                         textWidth(scaleLabel(PhaseStep - PhaseStep * Steps, degree))});
    const int cornerRow = gainPanel.bottom() - textHeight();
    const int plotHeight = cornerRow - textHeight(DecadeSize) - DecadeGap - (gainPanel.top() + PlotTop);
    const Plot gain(gainPanel, leftMargin, plotHeight, GainTop, GainBottom),
        phase(phasePanel, leftMargin, plotHeight, PhaseTop, PhaseBottom);
    addFrame(plan, gain, gainPanel, QStringLiteral("Gain (dB)"), GainStep, QString());
    addFrame(plan, phase, phasePanel, QStringLiteral("Phase (°)"), PhaseStep, degree);

    // The corners, dashed through both plots, their pulsations on a row under the decades.
    for (const Plot *plot : {&gain, &phase}) {
        std::vector<std::pair<double, QString>> marks;
        for (const Corner &c : corners) {
            const double x = plot->x(c.omega);
            if (!plot->holdsX(x))
                continue;
            plan.line(Black, 1, PenStyle::Dot, {px(x), plot->box.top()}, {px(x), plot->box.bottom() + 1});
            marks.push_back({x, pulsationLabel(c.omega)});
        }
        const QRect &panel = plot == &gain ? gainPanel : phasePanel;
        addRow(plan, marks, panel.left() + 2, panel.right() - 1, cornerRow, Navy);
    }

    // Gain: the thick 0 dB line, the asymptote, the curve; the gain crossover dashed down from
    // 0 dB, the gain margin a stroke from 0 dB to the curve at the phase crossover.
    const QRect &g = gain.box;
    const int zero = px(gain.y(0));
    plan.line(Black, 3, PenStyle::Solid, {g.left(), zero}, {g.right() + 1, zero});
    const std::vector<Segment> asymptote = asymptoteSegments(gain, gainAsymptote);
    for (const Segment &s : asymptote)
        plan.line(Black, 1, PenStyle::Solid, s.from, s.to);
    addCurve(plan, gain, Blue, [&](double omega) { return 20 * std::log10(std::abs(loop.at(omega))); });
    const double xc = gain.x(wc);
    if (gain.holdsX(xc))
        plan.line(Red, 1, PenStyle::Dot, {px(xc), zero}, {px(xc), g.bottom() + 1});
    if (wp) {
        const double x = gain.x(*wp), y = gain.y(-loop.gainMarginDb());
        if (gain.holdsX(x) && std::isfinite(y))
            plan.line(Red, 2, PenStyle::Solid, {px(x), zero}, {px(x), std::clamp(px(y), g.top(), g.bottom())});
    }

    // Phase: -180°, the asymptote as levels stepping 90° at each corner, the curve; the phase
    // margin an arrow from -180° to the curve at the gain crossover.
    const QRect &f = phase.box;
    const int critical = px(phase.y(-180));
    plan.line(Black, 1, PenStyle::Solid, {f.left(), critical}, {f.right() + 1, critical});
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
    plan.stroke(Black, 2, PenStyle::Solid, levels);
    addCurve(plan, phase, Blue, [&](double omega) { return loop.phaseDegrees(omega); });
    const double xm = phase.x(wc);
    if (phase.holdsX(xm)) {
        const int y = px(phase.y(std::clamp(loop.phaseDegrees(wc), PhaseBottom, PhaseTop)));
        plan.line(Red, 1, PenStyle::Dot, {px(xm), f.top()}, {px(xm), std::min(y, critical)});
        addArrow(plan, Red, px(xm), critical, y);
    }

    // Then the texts placed where they find room: "0 dB", the crossover's pulsation, the slopes.
    const int h = textHeight();
    const QString zeroText = QStringLiteral("0 dB");
    const int zeroWidth = textWidth(zeroText);
    plan.writeWhereClear({0, 0, Black, zeroText},
                         {{g.right() - zeroWidth, zero - h - 3}, {g.right() - zeroWidth, zero + 4},
                          {g.left() + 2, zero - h - 3}, {g.left() + 2, zero + 4}});
    if (gain.holdsX(xc)) {
        const QString text = pulsationLabel(wc) + QStringLiteral(" rad/s");
        const int width = textWidth(text), x = px(xc);
        plan.writeWhereClear({0, 0, Red, text}, {{x - 3 - width, zero + 4}, {x + 3, zero + 4},
                                                 {x - 3 - width, zero + 4 + h}, {x + 3, zero + 4 + h},
                                                 {x - 3 - width, zero - h - 3}, {x + 3, zero - h - 3}});
    }
    for (const Segment &s : asymptote) {
        const QString text = QStringLiteral("(%1)").arg(s.slope);
        const int width = textWidth(text);
        if (s.to.x() - s.from.x() < width)
            continue;
        // Beside its middle, else further along, above or below it.
        for (const double along : {0.5, 0.35, 0.65, 0.2, 0.8}) {
            const QPoint m = s.from + (s.to - s.from) * along;
            if (plan.writeWhereClear({0, 0, Black, text}, {{m.x() + 2, m.y() - h - 1}, {m.x() - width / 2, m.y() - h - 3},
                                                          {m.x() - width - 2, m.y() + 2}, {m.x() - width / 2, m.y() + 4},
                                                          {m.x() + 2, m.y() - h - 6}, {m.x() - width - 2, m.y() + 7}}))
                break;
        }
    }
    return plan;
}

// What the plan depends on.
struct Key
{
    bool phaseAdvance;
    double gain, lead, lag, filter, amplifier, motorGain, motorTime, low, high;
    int steps;
    QRect area;
    bool operator==(const Key &) const = default;
};
Key keyOf(const LoopParameters &p, const QRect &area)
{
    return {p.phaseAdvance, p.regulatorGain, p.regulatorLead, p.regulatorLag, p.regulatorFilter, p.amplifierGain,
            p.motorGain, p.motorTimeConstant, p.comparatorLow, p.comparatorHigh, p.sensorSteps, area};
}

const Plan &cachedPlan(const LoopParameters &p, const QRect &area)
{
    thread_local std::optional<Key> key;
    thread_local Plan plan{QRect()};
    const Key wanted = keyOf(p, area);
    if (!key || !(*key == wanted)) {
        plan = planFor(p, area);
        key = wanted;
    }
    return plan;
}
}

void drawFrequencyResponse(Canvas &canvas, const LoopParameters &p, const QRect &area)
{
    const Plan &plan = cachedPlan(p, area);
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::Solid);
    canvas.setPenColor(Black);
    canvas.setBrushColor(White);
    for (const QRect &r : plan.panels)
        canvas.Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    for (const Stroke &s : plan.strokes) {
        canvas.setPenColor(s.colour);
        canvas.setPenWidth(s.width);
        canvas.setPenStyle(s.style);
        canvas.MoveTo(s.points.front().x(), s.points.front().y());
        for (std::size_t i = 1; i < s.points.size(); ++i)
            canvas.LineTo(s.points[i].x(), s.points[i].y());
    }
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::Solid);
    canvas.SetBkMode(BkMode::Transparent);
    bool opaque = false;
    for (const Label &l : plan.labels) {
        if (l.opaque != opaque) {
            canvas.SetBkMode(l.opaque ? BkMode::Opaque : BkMode::Transparent);
            opaque = l.opaque;
        }
        drawText(canvas, {l.x, l.y, l.symbol ? Symbol : Sans, l.size, l.colour, l.text});
    }
    canvas.SetBkMode(BkMode::Transparent);
}

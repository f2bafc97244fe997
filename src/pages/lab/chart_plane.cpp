#include "pages/lab/chart_plane.h"

#include "pages/lab/frequency_view.h"
#include "pages/lab/pulsation_plot.h"
#include "text/french_number.h"

#include <algorithm>
#include <cmath>

namespace FrequencyView {
namespace {
using namespace Colour;

// Under the plot, its scale values, as the decades are under the Bode diagram's.
constexpr int ValueGap = DecadeGap, BottomRoom = 1;
// A mark's value, counted in steps, is taken as whole within this: 0,1 steps add up inexactly.
constexpr double StepSlack = 1e-9;
// The legend's sample of a marked point.
constexpr int SampleCross = 3;
// A line is drawn through fewer points where it strays no further than this from them, pixels.
constexpr double Straying = 0.4;
// The column: its readouts and legend, line under line, the legend a little apart.
constexpr int ColumnTop = 4, LineHeight = 14, LegendGap = 8, SampleWidth = 16, SampleToText = 6;

QString markLabel(const Axis &axis, double value)
{
    const int decimals = axis.step == std::round(axis.step) ? 0 : 1;
    return frenchDecimal(value, decimals) + QString::fromUtf8(axis.unit);
}

// Every multiple of the axis's step within it, lowest first.
std::vector<double> marks(const Axis &axis)
{
    std::vector<double> values;
    for (double v = std::ceil(axis.low / axis.step - StepSlack) * axis.step; v <= axis.high + StepSlack; v += axis.step)
        values.push_back(std::abs(v) < StepSlack ? 0 : v);
    return values;
}

int widestMark(const Axis &axis)
{
    int widest = 0;
    for (const double v : marks(axis))
        widest = std::max(widest, textWidth(markLabel(axis, v)));
    return widest;
}

// The part of the segment a-b inside `box` (Liang-Barsky); false when none is.
bool clip(QPointF &a, QPointF &b, const QRectF &box)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    const QPointF from = a;
    a = from + QPointF(dx, dy) * t0;
    b = from + QPointF(dx, dy) * t1;
    return true;
}

QPoint rounded(QPointF p) { return {px(p.x()), px(p.y())}; }

double distanceToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    if (length == 0)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / length;
}

// The points of `run` the line needs, each left out within Straying of the line kept
// (Ramer-Douglas-Peucker): a dense curve costs no more to draw than the pixels it turns at.
void keepTurns(const std::vector<QPointF> &run, std::size_t from, std::size_t to, std::vector<bool> &kept)
{
    double farthest = 0;
    std::size_t at = from;
    for (std::size_t i = from + 1; i < to; ++i)
        if (const double d = distanceToLine(run[i], run[from], run[to]); d > farthest)
            farthest = d, at = i;
    if (farthest <= Straying)
        return;
    kept[at] = true;
    keepTurns(run, from, at, kept);
    keepTurns(run, at, to, kept);
}

std::vector<QPoint> simplified(const std::vector<QPointF> &run)
{
    std::vector<bool> kept(run.size());
    kept.front() = kept.back() = true;
    keepTurns(run, 0, run.size() - 1, kept);
    std::vector<QPoint> points;
    for (std::size_t i = 0; i < run.size(); ++i)
        if (kept[i] && (points.empty() || rounded(run[i]) != points.back()))
            points.push_back(rounded(run[i]));
    return points;
}
}

Plane::Plane(const QRect &panelRect, const Axis &x, const Axis &y, bool equalScales)
    : panel(panelRect), xAxis(x), yAxis(y)
{
    const int left = panel.left() + ScaleRoom + widestMark(y), top = panel.top() + PlotTop;
    int width = panel.right() - PlotRightMargin - left + 1;
    int height = panel.bottom() - BottomRoom - textHeight() - ValueGap - top + 1;
    if (equalScales) {
        const double perUnit = std::min(width / (x.high - x.low), height / (y.high - y.low));
        width = int(perUnit * (x.high - x.low)) + 1;
        height = int(perUnit * (y.high - y.low)) + 1;
        panel.setRight(left + width - 1 + PlotRightMargin);
    }
    box = QRect(left, top, width, height);
}

QPointF Plane::at(double x, double y) const
{
    return {box.left() + (x - xAxis.low) / (xAxis.high - xAxis.low) * (box.width() - 1),
            box.top() + (yAxis.high - y) / (yAxis.high - yAxis.low) * (box.height() - 1)};
}

QPoint Plane::pixel(double x, double y) const { return rounded(at(x, y)); }

bool Plane::holds(QPointF p) const
{
    return p.x() >= box.left() - 0.5 && p.x() <= box.right() + 0.5 && p.y() >= box.top() - 0.5
        && p.y() <= box.bottom() + 0.5;
}

void addPlaneFrame(Plan &plan, const Plane &plane, const QString &yTitle, const QString &xTitle)
{
    const QRect &panel = plane.panel, &b = plane.box;
    plan.panels.push_back(panel);
    plan.write({panel.left() + TitleX, panel.top() + TitleY, Navy, yTitle});
    plan.write({panel.right() - TitleRight - textWidth(xTitle), panel.top() + TitleY, Navy, xTitle});
    const int left = b.left() - 1, bottom = b.bottom() + 1;
    plan.line(Black, 1, PenStyle::Solid, {left, b.top()}, {left, bottom + 1});
    plan.line(Black, 1, PenStyle::Solid, {left, bottom}, {b.right() + 1, bottom});
    for (const double v : marks(plane.yAxis)) {
        const int y = plane.pixel(plane.xAxis.low, v).y();
        plan.line(Black, 1, PenStyle::Solid, {left - MarkLength, y}, {left, y});
        const QString text = markLabel(plane.yAxis, v);
        plan.write({left - MarkLength - 1 - textWidth(text), y - textHeight() / 2, Black, text});
    }
    std::vector<std::pair<double, QString>> row;
    for (const double v : marks(plane.xAxis)) {
        const int x = plane.pixel(v, plane.yAxis.low).x();
        plan.line(Black, 1, PenStyle::Solid, {x, bottom}, {x, bottom + MarkLength});
        row.push_back({x, markLabel(plane.xAxis, v)});
    }
    addRow(plan, row, panel.left() + RowInsetLeft, panel.right() - RowInsetRight, bottom + ValueGap, Black);
}

void addClippedLine(Plan &plan, const Plane &plane, TColor colour, int width, PenStyle style,
                    const std::vector<QPointF> &points)
{
    const QRectF box(QPointF(plane.box.left(), plane.box.top()), QPointF(plane.box.right(), plane.box.bottom()));
    std::vector<QPointF> run;
    const auto flush = [&] {
        if (run.size() > 1)
            if (std::vector<QPoint> line = simplified(run); line.size() > 1)
                plan.stroke(colour, width, style, std::move(line));
        run.clear();
    };
    for (std::size_t i = 1; i < points.size(); ++i) {
        QPointF a = plane.at(points[i - 1].x(), points[i - 1].y()), b = plane.at(points[i].x(), points[i].y());
        const bool finite = std::isfinite(a.x()) && std::isfinite(a.y()) && std::isfinite(b.x()) && std::isfinite(b.y());
        const bool startsInside = finite && box.contains(a), endsInside = finite && box.contains(b);
        if (!finite || !clip(a, b, box)) {
            flush();
            continue;
        }
        if (!startsInside || run.empty()) {
            flush();
            run.push_back(a);
        }
        run.push_back(b);
        if (!endsInside)
            flush();
    }
    flush();
}

void addCross(Plan &plan, QPoint at, TColor colour, int reach, int width)
{
    plan.line(colour, width, PenStyle::Solid, at - QPoint(reach, reach), at + QPoint(reach, reach));
    plan.line(colour, width, PenStyle::Solid, at + QPoint(-reach, reach), at + QPoint(reach, -reach));
}

QRect chartPanel(const QRect &area, const std::vector<QString> &readouts)
{
    int column = ColumnWidth;
    for (const QString &text : readouts)
        column = std::max(column, TitleX + textWidth(text) + TitleRight);
    return QRect(area.left(), area.top(), area.width() - column - PanelGap, area.height());
}

void addColumn(Plan &plan, const QRect &area, const QRect &panel, const std::vector<QString> &readouts,
               const std::vector<LegendEntry> &legend)
{
    plan.ink.mark(QRect(area.right() + 1 - FreeCornerWidth, area.top(), FreeCornerWidth, FreeCornerHeight));
    const int top = area.top() + FreeCornerHeight + 1, left = panel.right() + 1 + PanelGap;
    plan.panels.push_back(QRect(left, top, area.right() + 1 - left, area.bottom() + 1 - top));
    int y = top + ColumnTop;
    for (const QString &text : readouts) {
        plan.write({left + TitleX, y, Red, text});
        y += LineHeight;
    }
    y += LegendGap;
    for (const LegendEntry &entry : legend) {
        const int middle = y + textHeight() / 2, sampleLeft = left + TitleX;
        if (entry.cross)
            addCross(plan, {sampleLeft + SampleWidth / 2, middle}, entry.colour, SampleCross, Bold);
        else
            plan.line(entry.colour, entry.width, entry.style, {sampleLeft, middle}, {sampleLeft + SampleWidth, middle});
        plan.write({sampleLeft + SampleWidth + SampleToText, y, Black, entry.text});
        y += LineHeight;
    }
}
}

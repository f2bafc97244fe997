#pragma once
// The frequency view's charts on two linear axes (Black-Nichols, Nyquist): a panel at the area's
// left with its plot, curves clipped to the plot, and a column at the right, under the area's
// free corner, with the chart's readouts and its legend.
#include "pages/lab/frequency_ink.h"

#include <QPointF>
#include <vector>

namespace FrequencyView {

// An axis: its ends and the step of its scale marks, a mark on every multiple of it.
struct Axis
{
    double low, high, step;
    const char *unit;  // UTF-8, after each mark's value
};

class Plane
{
public:
    // In `panel`, titled `yTitle` at its top left and `xTitle` at its top right; with `equalScales`
    // a unit as long on both axes, the plot as large as the panel holds.
    Plane(const QRect &panel, const Axis &x, const Axis &y, bool equalScales);
    QRect panel, box;
    Axis xAxis, yAxis;

    QPointF at(double x, double y) const;
    QPoint pixel(double x, double y) const;
    bool holds(QPointF p) const;
};

// The panel's frame: its titles, the plot's axes, scale marks and values.
void addPlaneFrame(Plan &plan, const Plane &plane, const QString &yTitle, const QString &xTitle);
// A line through `points` (the plane's values), cut where it leaves the plot or a point is not
// a number.
void addClippedLine(Plan &plan, const Plane &plane, TColor colour, int width, PenStyle style,
                    const std::vector<QPointF> &points);
// A small cross of `reach` pixels each way.
void addCross(Plan &plan, QPoint at, TColor colour, int reach, int width);

// The room the chart's panel leaves at the area's right for its column, at the least: enough for
// the readouts of most settings, so that the chart keeps its size as they change.
constexpr int ColumnWidth = 200;
// The panel, as wide as the area less the column, wider if a readout needs it.
QRect chartPanel(const QRect &area, const std::vector<QString> &readouts);

// A line of the column's legend: a sample of the line drawn, then its meaning.
struct LegendEntry
{
    TColor colour;
    PenStyle style;
    QString text;
    int width = 1;
    bool cross = false;  // a point marked by a cross, not a line
};
// The column right of `panel`, under the area's free corner: the readouts in red, then the legend.
void addColumn(Plan &plan, const QRect &area, const QRect &panel, const std::vector<QString> &readouts,
               const std::vector<LegendEntry> &legend);
}

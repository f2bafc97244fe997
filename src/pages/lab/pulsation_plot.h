#pragma once
// The frequency view's panels over a log pulsation axis, 0,1 to 10⁵ rad/s: a fixed scale, the
// panel's title and axes, the decades under it, and curves sampled a pixel column apart. The
// open loop's Bode diagram and the closed loop's chart are both laid out with them.
#include "pages/lab/frequency_ink.h"

#include <cmath>
#include <vector>

namespace FrequencyView {

// A panel's scale, fixed so that settings can be compared picture to picture.
struct Scale
{
    const char *title;  // UTF-8, as the units
    double top, bottom, step;
    const char *unit;   // after each scale value
};
// The phase as both Bode diagrams show it.
inline constexpr Scale PhaseScale{"Phase (°)", 0, -360, 90, "°"};
constexpr int Steps = 4;  // scale marks, top to bottom
constexpr double LowestOmega = 0.1;
constexpr int Decades = 6;  // up to 1e5 rad/s

// Panel layout, from each panel's top left; under the plot, the decades then the corners. The
// title at the left, the axis's name kept TitleRight from the right edge.
constexpr int TitleX = 4, TitleY = 2, TitleRight = 3, PanelGap = 3, PlotTop = 24, DecadeGap = 7;
constexpr int RowInsetLeft = 2, RowInsetRight = 1;  // the decades' and the corners' rows
constexpr int PlotRightMargin = 12;
// A scale mark's length; left of a plot, the room for the widest value and 7 pixels: 2 from the
// panel's edge, 1 to its mark, the mark and the axis.
constexpr int MarkLength = 3, ScaleRoom = 7;
constexpr int Bold = 2, Thick = 3;  // pens, in pixels

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
QString pulsationLabel(double omega);
QString scaleLabel(const Scale &scale, int step);

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

// Labels of a row across the plot's panel.
void addPanelRow(Plan &plan, const Plot &plot, const std::vector<std::pair<double, QString>> &marks, int y,
                 TColor colour, int size = TextSize);

// The panel with its title, axes, scale marks and the decades.
void addFrame(Plan &plan, const Plot &plot);

// The readouts in red on a line of their own across the area's top, ending short of its free
// corner (see FreeCornerWidth); the strip's box.
QRect addReadoutStrip(Plan &plan, const QRect &area, const std::vector<QString> &readouts);

// Two plots side by side under the strip, `left` and `right` scales; their plots alike, with the
// room the widest scale value needs, the decades and the corners' row under them.
struct Panels
{
    Plot left, right;
    int cornerRow;  // its top
};
Panels layOutPanels(const QRect &area, const QRect &strip, const Scale &left, const Scale &right);
}

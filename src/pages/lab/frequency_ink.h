#pragma once
// What the lab's frequency view draws, kept as records a tick only replays: white panels, lines
// and texts. And the ink they leave on the area, so that a text placed freely (a slope, the
// crossover's pulsation) finds a clear spot or is left out.
#include "drawing/colours.h"
#include "drawing/draw_op.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

namespace FrequencyView {
constexpr int TextSize = 8;
// The decades are written as powers of ten, whose exponents only the 9-point face has.
constexpr int DecadeSize = 9;

// Measured once each, in the page's faces: laying a text out costs more than the rest of the plan.
int textWidth(const QString &text, bool symbol = false, int size = TextSize);
int textHeight(int size = TextSize);

// The pixel nearest a coordinate.
inline int px(double v) { return int(std::lround(v)); }

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

// Which pixels of the area the lines and texts so far cover.
class Ink
{
public:
    explicit Ink(const QRect &area);
    void mark(const QRect &r);
    bool clear(const QRect &r) const;
    // A line of `width` pixels, with a pixel's clearance around it.
    void line(QPoint a, QPoint b, int width);

private:
    std::size_t index(int x, int y) const { return std::size_t((y - area.top()) * area.width() + x - area.left()); }
    QRect area;
    std::vector<char> covered; // a byte a pixel: marked and looked at by whole rows
};

// A place offered to a text about a point: so many halves of the text's width and so many of
// its heights counted off, then pixels.
struct Place
{
    int halfWidths, dx, heights, dy;
};

struct Plan
{
    explicit Plan(const QRect &area) : ink(area) {}
    std::vector<QRect> panels;
    std::vector<Stroke> strokes;
    std::vector<Label> labels;
    Ink ink;

    // Dashed lines may run under a text written opaque.
    void stroke(TColor colour, int width, PenStyle style, std::vector<QPoint> points);
    void line(TColor colour, int width, PenStyle style, QPoint from, QPoint to)
    {
        stroke(colour, width, style, {from, to});
    }
    void write(const Label &l);
    // Opaque, at the first of the places about `at` where it would cover nothing; none: left out.
    bool writeWhereClear(Label l, QPoint at, std::span<const Place> places);
};

// Labels of one row, each centred under its x unless it would run into the one before or past
// the row's end: then moved along just enough.
void addRow(Plan &plan, std::vector<std::pair<double, QString>> marks, int left, int right, int y, TColor colour,
            int size = TextSize);
}

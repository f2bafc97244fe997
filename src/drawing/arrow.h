#pragma once
// Lines and arrows of the diagrams and curves: a shaft, then for an arrow its two head
// strokes, each drawn from the tip back to a point beside the shaft; chains of segments.
#include <QPoint>
#include <span>

class Canvas;

struct Arrow
{
    QPoint from, to;
    bool headed = false;
    QPoint left, right;
    bool tipAtStart = false;

    QPoint tip() const { return tipAtStart ? from : to; }
    constexpr Arrow translated(QPoint by) const
    {
        return {from + by, to + by, headed, left + by, right + by, tipAtStart};
    }
};

void drawArrow(Canvas &canvas, const Arrow &arrow);

// A chain of segments through the points, with the pen in effect.
void drawPolyline(Canvas &canvas, std::span<const QPoint> points);

// Separate strokes, each drawn from its first point (the last pixel is left out).
struct Segment { QPoint from, to; };
void drawSegments(Canvas &canvas, std::span<const Segment> segments);

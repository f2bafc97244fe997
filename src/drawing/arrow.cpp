#include "drawing/arrow.h"

#include "drawing/canvas.h"

void drawArrow(Canvas &canvas, const Arrow &arrow)
{
    canvas.MoveTo(arrow.from.x(), arrow.from.y());
    canvas.LineTo(arrow.to.x(), arrow.to.y());
    if (!arrow.headed)
        return;
    for (const QPoint &end : {arrow.left, arrow.right}) {
        canvas.MoveTo(arrow.tip().x(), arrow.tip().y());
        canvas.LineTo(end.x(), end.y());
    }
}

void drawPolyline(Canvas &canvas, std::span<const QPoint> points)
{
    if (points.empty())
        return;
    canvas.MoveTo(points.front().x(), points.front().y());
    for (const QPoint &p : points.subspan(1))
        canvas.LineTo(p.x(), p.y());
}

void drawSegments(Canvas &canvas, std::span<const Segment> segments)
{
    for (const Segment &s : segments) {
        canvas.MoveTo(s.from.x(), s.from.y());
        canvas.LineTo(s.to.x(), s.to.y());
    }
}

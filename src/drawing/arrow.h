#pragma once
// Lines and arrows of the diagrams: a shaft, then for an arrow its two head strokes,
// each drawn from the tip back to a point beside the shaft.
#include <QPoint>

class Canvas;

struct Arrow
{
    QPoint from, to;
    bool headed = false;
    QPoint left, right;
    bool tipAtStart = false;

    QPoint tip() const { return tipAtStart ? from : to; }
};

void drawArrow(Canvas &canvas, const Arrow &arrow);

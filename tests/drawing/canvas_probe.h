#pragma once
// What the drawing tests ask of a canvas's picture, in the plain colours they draw with, and the
// solid box they build operations from.
#include "drawing/canvas.h"
#include "pixel_probe.h"

namespace CanvasProbe {
const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Lime = qRgb(0, 255, 0);

inline QRgb at(Canvas &c, int x, int y) { return Probe::opaque(c.image().pixel(x, y)); }
inline int count(Canvas &c, const QRect &r, QRgb colour) { return Probe::count(c.image(), r, colour); }
inline QRect inked(Canvas &c, QRgb background) { return Probe::inked(c.image(), background); }

// A rectangle filling `r`, outline and inside in `colour`.
inline DrawOp box(const QRect &r, QRgb colour)
{
    DrawOp op{OpKind::Rectangle};
    op.pen = op.brush = colour;
    op.at = {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    op.seal();
    return op;
}
}

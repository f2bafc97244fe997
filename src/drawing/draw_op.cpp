#include "drawing/draw_op.h"

#include <QHashFunctions>

void DrawOp::seal()
{
    // A colour that paints nothing is not part of the drawing.
    if (!isFilled())
        brush = 0;
    const bool gapsOrCells = kind == OpKind::Text || style == PenStyle::Dot;
    if (!opaque || !gapsOrCells) {
        opaque = opaque && gapsOrCells;
        background = 0;
    }
    if (kind == OpKind::Picture)
        pen = 0;

    std::size_t h = qHashMulti(0, int(kind), int(style), opaque, symbol, penWidth, points);
    h = qHashRange(at.begin(), at.end(), h);
    for (const QPoint &p : polygon)
        h = qHashMulti(h, p.x(), p.y());
    h = qHash(text, h);
    for (const TextShift &s : shifts)
        h = qHashMulti(h, s.from, s.dx);
    h = qHashMulti(h, picture.identity(), picture.isTransparent());
    coverageHash = h;
    hash = qHashMulti(h, pen, brush, background);
}

bool DrawOp::sameCoverage(const DrawOp &o) const
{
    return coverageHash == o.coverageHash && kind == o.kind && style == o.style && opaque == o.opaque
        && symbol == o.symbol && penWidth == o.penWidth && points == o.points && at == o.at
        && polygon == o.polygon && text == o.text && shifts == o.shifts && picture.identity() == o.picture.identity()
        && picture.isTransparent() == o.picture.isTransparent();
}

#include "drawing/draw_op.h"

#include <QHashFunctions>

namespace {
// Mixes a value into a hash. A page draws thousands of operations a tick and the hashes only
// pair them within the program, so one multiply a value serves.
inline std::size_t mix(std::size_t h, std::size_t value)
{
    constexpr std::size_t Multiplier = 0xff51afd7ed558ccdULL;
    h = (h ^ value) * Multiplier;
    return h ^ (h >> 33);
}
inline std::size_t mix(std::size_t h, int value) { return mix(h, std::size_t(unsigned(value))); }
}

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

    std::size_t h = mix(0, int(kind) | int(style) << 8 | int(opaque) << 16 | int(symbol) << 24);
    h = mix(mix(h, penWidth), points);
    for (int a : at)
        h = mix(h, a);
    for (const QPoint &p : polygon)
        h = mix(mix(h, p.x()), p.y());
    if (!text.isEmpty())
        h = qHash(text, h);
    for (const TextShift &s : shifts)
        h = mix(mix(h, s.from), s.dx);
    h = mix(mix(h, reinterpret_cast<std::size_t>(picture.identity())), int(picture.isTransparent()));
    coverageHash = h;
    hash = mix(mix(mix(h, std::size_t(pen)), std::size_t(brush)), std::size_t(background));
}

bool DrawOp::sameCoverage(const DrawOp &o) const
{
    return coverageHash == o.coverageHash && kind == o.kind && style == o.style && opaque == o.opaque
        && symbol == o.symbol && penWidth == o.penWidth && points == o.points && at == o.at
        && polygon == o.polygon && text == o.text && shifts == o.shifts && picture.identity() == o.picture.identity()
        && picture.isTransparent() == o.picture.isTransparent();
}

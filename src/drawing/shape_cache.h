#pragma once
// Shapes rasterised by Qt once per geometry, pen width and fill, then kept as the runs of pixels
// their brush and their pen painted: repeating a shape fills the runs instead of going through
// Qt's stroker and filler again, which cost most of a tick with wide pens.
//
// A shape is rendered on a scratch picture over its own extent, in marker colours, so the runs are
// the very pixels Qt paints. Its caller chooses the coordinates: those of a shape drawn from its
// own origin serve it wherever it is moved.
#include "drawing/pixel_run.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <vector>

class ShapeCache
{
public:
    struct Runs
    {
        std::vector<PixelRun> brush, pen; // disjoint: the pen's pixels are left out of the brush's
    };

    ShapeCache() = default;
    ShapeCache(const ShapeCache &) = delete;
    ShapeCache &operator=(const ShapeCache &) = delete;

    // The runs kept for `key`: the shape's kind, its geometry and everything about the pen and
    // fill that decides its pixels. Null when the shape was not drawn yet.
    const Runs *find(const QList<int> &key) const;

    // Renders the shape with `draw`, which paints it on the painter it is given, clipped to
    // `area`, keeps and returns its runs, without the pixels of `leftOut`. The runs are in the
    // coordinates of `area`, which must hold every pixel the shape paints that is wanted.
    template <typename Draw>
    const Runs &add(const QList<int> &key, const QRect &area, const QPen &pen, bool filled, Draw draw,
                    const QRect &leftOut = {})
    {
        draw(prepare(area, pen, filled));
        return keep(key, area, leftOut);
    }

private:
    QPainter &prepare(const QRect &area, QPen pen, bool filled);
    // Collects the marked pixels of the scratch and wipes them off it.
    const Runs &keep(const QList<int> &key, const QRect &area, const QRect &leftOut);

    // The bound only guards a long session against unbounded growth.
    static constexpr int MaxShapes = 4096;

    QImage m_scratch; // blank (all zero) between two renderings; as large as the largest shape yet
    QPainter m_painter;
    QHash<QList<int>, Runs> m_shapes;
};

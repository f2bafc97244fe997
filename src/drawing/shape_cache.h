#pragma once
// Shapes rasterised by Qt once per geometry, pen width and fill, then kept as the runs of pixels
// their brush and their pen painted: repeating a shape fills the runs instead of going through
// Qt's stroker and filler again, which cost most of a tick with wide pens.
//
// A shape is rendered on a scratch picture of the canvas's size with the same pen, transform
// and clipping as on the canvas, in marker colours, so the runs are the very pixels Qt paints.
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

    explicit ShapeCache(QSize area) : m_area(area) {}

    // The runs kept for `key`: the shape's kind, its geometry and everything about the pen and
    // fill that decides its pixels. Null when the shape was not drawn yet.
    const Runs *find(const QList<int> &key) const;

    // Renders the shape with `draw`, which paints it on the painter it is given, keeps and
    // returns its runs. `extent` holds the shape's geometry; the pen may reach beyond it by up
    // to its width.
    template <typename Draw>
    const Runs &add(const QList<int> &key, const QRect &extent, const QPen &pen, bool filled, Draw draw)
    {
        draw(prepare(pen, filled));
        return keep(key, extent.adjusted(-pen.width() - 2, -pen.width() - 2, pen.width() + 2, pen.width() + 2));
    }

private:
    QPainter &prepare(QPen pen, bool filled);
    // Collects the marked pixels inside `area` and wipes them off the scratch picture.
    const Runs &keep(const QList<int> &key, const QRect &area);

    // The bound only guards a long session against unbounded growth.
    static constexpr int MaxShapes = 4096;

    QSize m_area;
    QImage m_scratch; // blank (all zero) between two renderings
    std::vector<QRgb> m_blankRow;
    QPainter m_painter;
    QHash<QList<int>, Runs> m_shapes;
};

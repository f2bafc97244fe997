#pragma once
// The pixel rules: draws canvas operations on a picture of the drawing area at a scale of 1 or more.
// At scale 1 each operation paints exactly the pixels the pages were laid out for. At scale s the
// same operation is drawn again on s times as many pixels a side: a pixel of its own size becomes
// a block (s x s at a whole scale; at a fractional one, from the nearest picture pixel to its
// left edge times s to that of its right edge), pens are s times wider, text is set at s times its
// pixel size, and round shapes, slanted lines and glyphs get the finer outline that resolution
// allows. Nothing is smoothed, so every operation paints its own colours whatever it covers, at
// every scale.
#include "drawing/draw_op.h"
#include "drawing/fonts.h"
#include "drawing/glyph_cache.h"
#include "drawing/pixel_run.h"
#include "drawing/shape_cache.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <cmath>
#include <span>
#include <vector>

class Raster
{
public:
    static constexpr int Width = 775;
    static constexpr int Height = 465;
    // A text ends inside the drawing area: what lies past its right edge would be lost. The room
    // of a text whose cell starts at x.
    static int roomAt(int x) { return Width - x - Fonts::GlyphInset; }
    static int room(const DrawOp &op) { return roomAt(op.at[0]); }

    explicit Raster(qreal scale = 1);
    Raster(const Raster &) = delete;
    Raster &operator=(const Raster &) = delete;
    ~Raster();

    qreal scale() const { return m_scale; }
    // Where the edge at `x` pixels of the picture's own size lies at `scale`: whole scales
    // multiply, fractional ones round to the nearest pixel. Every block and size is taken from it.
    static int edge(int x, qreal scale) { return int(std::floor(x * scale + 0.5)); }
    static QPoint edge(QPoint p, qreal scale) { return {edge(p.x(), scale), edge(p.y(), scale)}; }
    QRect rect() const { return m_image.rect(); }
    // The picture; ends any painting in progress.
    const QImage &image();

    // Every pixel `op` may paint, within the picture.
    QRect bounds(const DrawOp &op);
    // Paints `op`, only inside `clips`.
    void paint(const DrawOp &op, std::span<const QRect> clips);
    void paint(const DrawOp &op) { paint(op, std::span(&m_whole, 1)); }

private:
    void rectangle(const DrawOp &op);
    void ellipse(const DrawOp &op);
    void pie(const DrawOp &op);
    void polygon(const DrawOp &op);
    void line(const DrawOp &op);
    void text(const DrawOp &op);
    void picture(const DrawOp &op);

    // A shape Qt rasterises, `draw(painter, origin)` giving its geometry at its own size less
    // `origin`: from the shape cache, or through QPainter for a dotted pen, which the cache does
    // not keep. `key` holds the kind and geometry (shapeKey); `leftOut`, in the drawing area's
    // pixels at its own size, is not painted.
    template <typename Draw>
    void shape(const DrawOp &op, QList<int> &key, const QRect &extent, Draw draw, const QRect &leftOut = {});
    template <typename Draw>
    void paintDotted(const DrawOp &op, Draw draw);
    // The painter, ready for geometry at the drawing area's own size, and the pen for `op`.
    QPainter &painter();
    void placeGeometry(QPainter &p, int penWidth) const;
    QPen pen(QRgb colour, const DrawOp &op, PenStyle style) const;

    // The picture's pixels a shape over `extent` may paint, edges not counted.
    QRect shapeArea(const DrawOp &op, const QRect &extent) const;
    // The shape cache's key, begun with the shape's kind and whether it is kept from its own
    // origin; sets m_origin. The caller adds the geometry less m_origin (keyPoint).
    QList<int> &shapeKey(const DrawOp &op, OpKind kind, const QRect &extent);
    QList<int> &keyPoint(QPoint p) { return m_shapeKey << p.x() - m_origin.x() << p.y() - m_origin.y(); }
    // A rectangle at the drawing area's own size, on the picture.
    QRect blocks(const QRect &r) const;
    // How far the exact place of `p` at the scale lies past its block's top left, in picture
    // pixels, to a quarter of a pixel: a shape kept for one quarter serves every place that falls
    // there (at x1.98, 16 places where each of 2500 would want its own), an eighth of a pixel off
    // at most, which an outline without smoothing seldom shows.
    QPointF offsetWithinBlock(QPoint p) const;
    static constexpr int OffsetSteps = 4;
    // Fills what lies in the clips of `area`, or of the runs moved by `offset`.
    void fill(const QRect &area, QRgb colour);
    void fill(std::span<const PixelRun> runs, QPoint offset, QRgb colour);
    // The pixels of a one-pixel line, its end pixel left out, at the drawing area's own size;
    // they go to `m_dots` or, between the dots of a dotted line, to `m_gaps`.
    int traceThinLine(QPoint from, QPoint to, int phase, PenStyle style);
    void plotThinLines(const DrawOp &op);

    const QFont &font(const DrawOp &op);
    int fontKey(const DrawOp &op) const { return op.points * 2 + (op.symbol ? 1 : 0); }

    QPoint edge(QPoint p) const { return edge(p, m_scale); }

    qreal m_scale;
    QImage m_image;
    QPainter m_painter;
    std::vector<QRect> m_clips; // where the operation being drawn may paint
    QRect m_whole;
    std::vector<QPoint> m_dots, m_gaps; // reused by every thin line
    ShapeCache m_shapes;
    QList<int> m_shapeKey; // reused by every shape
    QPoint m_origin;       // what the shape's geometry in its key is taken from
    GlyphCache m_glyphs;
    QHash<int, QFont> m_fonts; // by font key, at the drawing area's own size
};

#include "drawing/raster.h"

#include "drawing/fonts.h"

#include <QPen>
#include <algorithm>
#include <cmath>

namespace {
QRect box(int x1, int y1, int x2, int y2)
{
    // Qt's outline of QRect(x, y, w, h) covers w + 1 pixels: one less gives x1..x2-1.
    return QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

// The rectangle with both points in it, whichever way round they are.
QRect spanning(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)));
}

// The pixel value the picture stores for a colour.
QRgb opaque(QRgb colour) { return colour | 0xFF000000u; }

void fillPixels(QRgb *pixels, qsizetype count, QRgb value)
{
    // Eight at a time, which the compiler turns into vector stores.
    for (; count >= 8; count -= 8, pixels += 8)
        for (int i = 0; i < 8; ++i)
            pixels[i] = value;
    std::fill_n(pixels, count, value);
}

// Inline, unlike QRect's own: called for every operation and pixel of a frame.
QRect intersected(const QRect &a, const QRect &b)
{
    return QRect(QPoint(std::max(a.left(), b.left()), std::max(a.top(), b.top())),
                 QPoint(std::min(a.right(), b.right()), std::min(a.bottom(), b.bottom())));
}
bool holds(const QRect &r, QPoint p)
{
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

// How far past its geometry a shape's pen may reach, at the drawing area's own size.
int reach(const DrawOp &op) { return op.penWidth + 2; }
}

Raster::Raster(qreal scale)
    : m_scale(scale)
    , m_image(edge(Width, scale), edge(Height, scale), QImage::Format_RGB32)
    , m_whole(m_image.rect())
    , m_glyphs(scale)
{
    m_image.fill(Qt::white);
}

Raster::~Raster()
{
    if (m_painter.isActive())
        m_painter.end();
}

const QImage &Raster::image()
{
    if (m_painter.isActive())
        m_painter.end();
    return m_image;
}

QPainter &Raster::painter()
{
    if (!m_painter.isActive()) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::TextAntialiasing, false);
    }
    m_painter.resetTransform();
    if (m_clips.size() == 1 && m_clips.front() == m_image.rect()) {
        m_painter.setClipping(false);
    } else {
        QRegion clip;
        for (const QRect &r : m_clips)
            clip += r;
        m_painter.setClipRegion(clip);
    }
    return m_painter;
}

void Raster::placeGeometry(QPainter &p, int penWidth) const
{
    // A wide pen is centred on the pixel centres of the outline, so it spreads evenly both ways;
    // scaled, every outline runs through the centres of its blocks.
    if (m_scale > 1)
        p.scale(m_scale, m_scale);
    if (m_scale > 1 || penWidth > 1)
        p.translate(0.5, 0.5);
}

QPen Raster::pen(QRgb colour, const DrawOp &op, PenStyle style) const
{
    const bool wide = op.penWidth > 1;
    QPen pen(QColor(colour), wide || m_scale > 1 ? op.penWidth : 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    if (wide) {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    if (style == PenStyle::Dot)
        pen.setDashPattern({3, 3});
    return pen;
}

QRect Raster::shapeArea(const DrawOp &op, const QRect &extent) const
{
    // At its own size a one-pixel pen is Qt's cosmetic pen: the same pixels, on its fast path.
    const int margin = m_scale > 1 ? int(std::ceil(reach(op) * m_scale)) : (op.penWidth > 1 ? op.penWidth : 0) + 2;
    return blocks(extent).adjusted(-margin, -margin, margin, margin);
}

QList<int> &Raster::shapeKey(const DrawOp &op, OpKind kind, const QRect &extent)
{
    // A shape clear of the picture's edges is kept from its own origin, so it serves again
    // wherever it is moved (the recorder's traces move every tick); one the edges clip is kept
    // where it is. So is a wide line at its own size: Qt strokes it where it lies, and moved,
    // its round ends do not always cover the same pixels.
    const bool movable = kind != OpKind::Line || m_scale > 1;
    const bool clear = movable && rect().contains(shapeArea(op, extent));
    m_origin = clear ? extent.topLeft() : QPoint();
    m_shapeKey.clear();
    // At a fractional scale the origin's block starts up to half a pixel off its exact place:
    // the shape keeps its exact place within, so that offset is part of what it is.
    const QPointF offset = offsetWithinBlock(m_origin);
    m_shapeKey << int(kind) << clear << int(offset.x() * OffsetSteps) << int(offset.y() * OffsetSteps);
    return m_shapeKey;
}

QRect Raster::blocks(const QRect &r) const
{
    return QRect(edge(r.topLeft()), edge(r.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
}

QPointF Raster::offsetWithinBlock(QPoint p) const
{
    const QPointF exact = QPointF(p) * m_scale - QPointF(edge(p));
    return QPointF(std::round(exact.x() * OffsetSteps), std::round(exact.y() * OffsetSteps)) / OffsetSteps;
}

void Raster::fill(const QRect &area, QRgb colour)
{
    const QRgb value = opaque(colour);
    QRgb *const pixels = reinterpret_cast<QRgb *>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (const QRect &clip : m_clips) {
        const QRect r = area & clip;
        for (int y = r.top(); y <= r.bottom(); ++y)
            fillPixels(pixels + y * stride + r.left(), r.width(), value);
    }
}

void Raster::fill(std::span<const PixelRun> runs, QPoint offset, QRgb colour)
{
    const QRgb value = opaque(colour);
    QRgb *const pixels = reinterpret_cast<QRgb *>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (const QRect &clip : m_clips) {
        const int left = clip.left(), right = clip.right() + 1;
        for (const PixelRun &run : runs) {
            const int y = run.y + offset.y();
            const int from = std::max(run.x + offset.x(), left), to = std::min(run.x + offset.x() + run.length, right);
            if (y >= clip.top() && y <= clip.bottom() && from < to)
                fillPixels(pixels + y * stride + from, to - from, value);
        }
    }
}

const QFont &Raster::font(const DrawOp &op)
{
    const int key = fontKey(op);
    auto found = m_fonts.constFind(key);
    if (found == m_fonts.constEnd()) {
        Fonts::registerEmbedded();
        found = m_fonts.insert(key, Fonts::pageFont(op.symbol ? QStringLiteral("Symbol") : QStringLiteral("MS Sans Serif"),
                                                    op.points));
    }
    return *found;
}

QRect Raster::bounds(const DrawOp &op)
{
    const auto &a = op.at;
    const QPoint at(a[0], a[1]);
    switch (op.kind) {
    case OpKind::Text:
        return m_glyphs.run(op.text, font(op), fontKey(op), op.pen, room(op), op.shifts).bounds.translated(edge(at)) & rect();
    case OpKind::Picture:
        return QRect(edge(at), op.picture.sizeAt(m_scale)) & rect();
    case OpKind::Polygon: {
        QRect extent;
        for (const QPoint &p : op.polygon)
            extent |= QRect(p, QSize(1, 1));
        return blocks(extent.adjusted(-reach(op), -reach(op), reach(op), reach(op))) & rect();
    }
    default:
        return blocks(spanning(a[0], a[1], a[2], a[3]).adjusted(-reach(op), -reach(op), reach(op), reach(op))) & rect();
    }
}

void Raster::paint(const DrawOp &op, std::span<const QRect> clips)
{
    m_clips.clear();
    for (const QRect &clip : clips)
        if (const QRect r = intersected(clip, m_image.rect()); !clip.isEmpty() && !r.isEmpty())
            m_clips.push_back(r);
    if (m_clips.empty())
        return;
    switch (op.kind) {
    case OpKind::Rectangle: rectangle(op); break;
    case OpKind::Ellipse: ellipse(op); break;
    case OpKind::Pie: pie(op); break;
    case OpKind::Polygon: polygon(op); break;
    case OpKind::Line: line(op); break;
    case OpKind::Text: text(op); break;
    case OpKind::Picture: picture(op); break;
    }
}

template <typename Draw>
void Raster::shape(const DrawOp &op, QList<int> &key, const QRect &extent, Draw draw, const QRect &leftOut)
{
    if (op.style != PenStyle::Solid) {
        paintDotted(op, [&](QPainter &p) { draw(p, QPoint()); });
        return;
    }
    const bool filled = op.isFilled();
    const QPoint origin = m_origin, shift = edge(origin);
    // At a fractional scale the block left out is one pixel narrower or wider from place to place.
    const QRect leftOutBlock = leftOut.isNull() ? QRect() : blocks(leftOut).translated(-shift);
    key << op.penWidth << filled << leftOutBlock.x() << leftOutBlock.y() << leftOutBlock.width() << leftOutBlock.height();
    const ShapeCache::Runs *runs = m_shapes.find(key);
    if (!runs) {
        const QRect area = (shapeArea(op, extent) & rect()).translated(-shift);
        runs = &m_shapes.add(key, area, pen(0, op, PenStyle::Solid), filled, [&](QPainter &p) {
            p.translate(offsetWithinBlock(origin));
            placeGeometry(p, op.penWidth);
            draw(p, origin);
        }, leftOutBlock);
    }
    if (filled)
        fill(runs->brush, shift, op.brush);
    fill(runs->pen, shift, op.pen);
}

template <typename Draw>
void Raster::paintDotted(const DrawOp &op, Draw draw)
{
    QPainter &p = painter();
    const QTransform clipped = p.transform();
    const auto stroke = [&](const QPen &pen, const QBrush &brush) {
        p.setPen(pen);
        p.setBrush(brush);
        p.setTransform(clipped);
        placeGeometry(p, op.penWidth);
        draw(p);
    };
    // An opaque background fills the gaps of a dotted line with the background colour.
    if (op.style == PenStyle::Dot && op.opaque)
        stroke(pen(op.background, op, PenStyle::Solid), Qt::NoBrush);
    stroke(pen(op.pen, op, op.style), op.isFilled() ? QBrush(QColor(op.brush)) : QBrush(Qt::NoBrush));
}

void Raster::rectangle(const DrawOp &op)
{
    const int x1 = op.at[0], y1 = op.at[1], x2 = op.at[2], y2 = op.at[3];
    if (op.penWidth > 1 || x2 - x1 < 2 || y2 - y1 < 2) {
        const QRect extent = spanning(x1, y1, x2, y2);
        shapeKey(op, OpKind::Rectangle, extent);
        keyPoint({x1, y1});
        keyPoint({x2, y2});
        shape(op, m_shapeKey, extent, [r = box(x1, y1, x2, y2)](QPainter &p, QPoint o) { p.drawRect(r.translated(-o)); });
        return;
    }
    // A thin outline is the rectangle's border pixels, run clockwise from the top left corner so
    // that dots carry on round the corners; the brush fills the inside.
    fill(blocks(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x2 - 2, y2 - 2))), op.brush);
    if (op.style == PenStyle::Solid) {
        fill(blocks(QRect(x1, y1, x2 - x1, 1)), op.pen);
        fill(blocks(QRect(x1, y2 - 1, x2 - x1, 1)), op.pen);
        fill(blocks(QRect(x1, y1, 1, y2 - y1)), op.pen);
        fill(blocks(QRect(x2 - 1, y1, 1, y2 - y1)), op.pen);
        return;
    }
    const QPoint corners[] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}, {x1, y1}};
    int phase = 0;
    for (int i = 0; i < 4; ++i)
        phase = traceThinLine(corners[i], corners[i + 1], phase, op.style);
    plotThinLines(op);
}

void Raster::ellipse(const DrawOp &op)
{
    const int x1 = op.at[0], y1 = op.at[1], x2 = op.at[2], y2 = op.at[3];
    const QRect extent = spanning(x1, y1, x2, y2);
    shapeKey(op, OpKind::Ellipse, extent);
    keyPoint({x1, y1});
    keyPoint({x2, y2});
    shape(op, m_shapeKey, extent, [r = box(x1, y1, x2, y2)](QPainter &p, QPoint o) { p.drawEllipse(r.translated(-o)); });
}

void Raster::pie(const DrawOp &op)
{
    const int x1 = op.at[0], y1 = op.at[1], x2 = op.at[2], y2 = op.at[3];
    const int x3 = op.at[4], y3 = op.at[5], x4 = op.at[6], y4 = op.at[7];
    const QRect extent = spanning(x1, y1, x2, y2);
    shapeKey(op, OpKind::Pie, extent);
    for (const QPoint &p : {QPoint(x1, y1), QPoint(x2, y2), QPoint(x3, y3), QPoint(x4, y4)})
        keyPoint(p);
    shape(op, m_shapeKey, extent, [&](QPainter &p, QPoint o) {
        // Only the box moves: the angles depend on differences alone.
        const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
        const double rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
        // Qt measures an ellipse's angles parametrically, so scale each radial onto the unit circle.
        const auto angle = [&](int x, int y) {
            return std::atan2(-(y - cy) / ry, (x - cx) / rx) * 180.0 / M_PI;
        };
        const double start = angle(x3, y3);
        double span = std::fmod(angle(x4, y4) - start, 360.0);
        if (span <= 0)
            span += 360.0;
        p.drawPie(box(x1, y1, x2, y2).translated(-o), int(std::lround(start * 16)), int(std::lround(span * 16)));
    });
}

void Raster::polygon(const DrawOp &op)
{
    QRect extent;
    for (const QPoint &p : op.polygon)
        extent |= QRect(p, QSize(1, 1));
    shapeKey(op, OpKind::Polygon, extent);
    for (const QPoint &p : op.polygon)
        keyPoint(p);
    shape(op, m_shapeKey, extent, [&](QPainter &p, QPoint o) {
        std::vector<QPoint> moved(op.polygon.begin(), op.polygon.end());
        for (QPoint &point : moved)
            point -= o;
        p.drawPolygon(moved.data(), int(moved.size()));
    });
}

void Raster::line(const DrawOp &op)
{
    const QPoint from(op.at[0], op.at[1]), to(op.at[2], op.at[3]);
    const auto drawLine = [from, to](QPainter &p, QPoint o) { p.drawLine(from - o, to - o); };
    const QRect extent = spanning(from.x(), from.y(), to.x(), to.y());
    if (op.penWidth > 1) {
        shapeKey(op, OpKind::Line, extent);
        keyPoint(from);
        keyPoint(to);
        shape(op, m_shapeKey, extent, drawLine);
        return;
    }
    if (op.style == PenStyle::Solid && (from.x() == to.x() || from.y() == to.y())) {
        // The common straight line, as one filled run.
        const QPoint last = to - QPoint((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
        if (from != to)
            fill(blocks(spanning(from.x(), from.y(), last.x(), last.y())), op.pen);
        return;
    }
    if (op.style == PenStyle::Solid && m_scale > 1) {
        // Slanted, the line is drawn again at the finer resolution from its first pixel's block,
        // whole, to its end pixel's, left out.
        shapeKey(op, OpKind::Line, extent);
        keyPoint(from);
        keyPoint(to);
        shape(op, m_shapeKey, extent, [from, to](QPainter &p, QPoint o) {
            p.drawLine(from - o, to - o);
            p.fillRect(QRectF(QPointF(from - o) - QPointF(0.5, 0.5), QSizeF(1, 1)), p.pen().color());
        }, QRect(to, QSize(1, 1)));
        return;
    }
    traceThinLine(from, to, 0, op.style);
    plotThinLines(op);
}

int Raster::traceThinLine(QPoint from, QPoint to, int phase, PenStyle style)
{
    // Every pixel of the Bresenham run but the last, in whichever direction the line goes.
    const int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    for (QPoint p = from; p != to; ++phase) {
        (style == PenStyle::Dot && (phase / 3) % 2 ? m_gaps : m_dots).push_back(p);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; p.rx() += sx; }
        if (e2 <= dx) { err += dx; p.ry() += sy; }
    }
    return phase;
}

void Raster::plotThinLines(const DrawOp &op)
{
    // Single pixels are written straight into the picture: through QPainter each one would cost
    // as much as a whole line. Scaled, each is its block.
    QRgb *const pixels = reinterpret_cast<QRgb *>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto plot = [&](const std::vector<QPoint> &points, QRgb colour) {
        for (const QPoint &p : points) {
            if (m_scale > 1)
                fill(blocks(QRect(p, QSize(1, 1))), colour);
            else if (std::any_of(m_clips.begin(), m_clips.end(), [&](const QRect &clip) { return holds(clip, p); }))
                pixels[p.y() * stride + p.x()] = opaque(colour);
        }
    };
    if (op.opaque)
        plot(m_gaps, op.background);
    plot(m_dots, op.pen);
    m_dots.clear();
    m_gaps.clear();
}

void Raster::text(const DrawOp &op)
{
    const QPoint at = edge(QPoint(op.at[0], op.at[1]));
    const GlyphCache::Run &run = m_glyphs.run(op.text, font(op), fontKey(op), op.pen, room(op), op.shifts);
    if (op.opaque)
        fill(run.cell.translated(at), op.background);
    if (run.inkOnly)
        fill(run.ink, at, op.pen);
    else
        painter().drawImage(at + run.origin, run.glyphs);
}

void Raster::picture(const DrawOp &op)
{
    const QPoint at(op.at[0], op.at[1]);
    if (m_scale == 1) {
        painter().drawImage(at, op.picture.drawable());
        return;
    }
    for (const Picture::Run &run : op.picture.runsAt(m_scale)) {
        const PixelRun pixels{run.x, run.y, run.length};
        fill(std::span(&pixels, 1), edge(at), run.colour);
    }
}

#include "drawing/canvas.h"

#include "drawing/fonts.h"
#include "drawing/picture.h"

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

QPen makePen(QRgb colour, int width, PenStyle style)
{
    // A one-pixel pen is drawn as Qt's cosmetic pen: the same pixels, on its fast path.
    QPen pen(QColor(colour), width > 1 ? width : 0, Qt::SolidLine,
             width > 1 ? Qt::RoundCap : Qt::FlatCap, width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    if (style == PenStyle::Dot)
        pen.setDashPattern({3, 3});
    return pen;
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
}

Canvas::Canvas()
    : m_image(Width, Height, QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
}

Canvas::~Canvas()
{
    if (m_painter.isActive())
        m_painter.end();
}

QPainter &Canvas::painter()
{
    if (!m_painter.isActive()) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::TextAntialiasing, false);
        m_penApplied = m_brushApplied = false;
    }
    m_drawn = true;
    return m_painter;
}

const QImage &Canvas::image()
{
    if (m_painter.isActive())
        m_painter.end();
    m_drawn = false;
    return m_image;
}

Canvas::Snapshot Canvas::snapshot()
{
    // Ends the painting without counting the picture as read: it is still to be shown.
    if (m_painter.isActive())
        m_painter.end();
    return {m_image, m_pen, m_brush, m_font, m_penPos, m_brushInEffect, m_bkOpaque, m_bkColour};
}

void Canvas::restore(const Snapshot &s)
{
    if (m_painter.isActive())
        m_painter.end();
    m_image = s.image;
    m_pen = s.pen;
    m_brush = s.brush;
    m_font = s.font;
    m_penPos = s.penPos;
    m_brushInEffect = s.brushInEffect;
    m_bkOpaque = s.bkOpaque;
    m_bkColour = s.bkColour;
    m_penApplied = m_brushApplied = false;
    m_fontChanged = true;
    m_drawn = true;
}

void Canvas::fill(const QRect &area, QRgb colour)
{
    m_drawn = true;
    const QRect r = area & m_image.rect();
    if (r.isEmpty())
        return;
    const QRgb value = opaque(colour);
    QRgb *const pixels = reinterpret_cast<QRgb *>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (int y = r.top(); y <= r.bottom(); ++y)
        fillPixels(pixels + y * stride + r.left(), r.width(), value);
}

void Canvas::fill(std::span<const PixelRun> runs, QPoint offset, QRgb colour)
{
    m_drawn = true;
    const QRgb value = opaque(colour);
    QRgb *const pixels = reinterpret_cast<QRgb *>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (const PixelRun &run : runs) {
        const int y = run.y + offset.y();
        const int from = std::max(run.x + offset.x(), 0), to = std::min(run.x + offset.x() + run.length, int(Width));
        if (unsigned(y) < unsigned(Height) && from < to)
            fillPixels(pixels + y * stride + from, to - from, value);
    }
}

void Canvas::setPenColor(TColor colour) { m_pen.Color = colour; m_penApplied = false; }
void Canvas::setPenWidth(int width) { m_pen.Width = width; m_penApplied = false; }
void Canvas::setPenStyle(PenStyle style) { m_pen.Style = style; m_penApplied = false; }

void Canvas::setBrushColor(TColor colour)
{
    if (colour == m_brush.Color)
        return;
    m_brush.Color = colour;
    m_brushApplied = false;
    m_brushInEffect = false;
}

void Canvas::setPenAndBrush(TColor colour)
{
    setPenColor(colour);
    setBrushColor(colour);
}

void Canvas::setFontName(const QString &name)
{
    if (name != m_font.Name) {
        m_font.Name = name;
        m_fontChanged = true;
    }
}

void Canvas::setFontSize(int points)
{
    if (points != m_font.Size) {
        m_font.Size = points;
        m_fontChanged = true;
    }
}

void Canvas::setFontColor(TColor colour) { m_font.Color = colour; }

void Canvas::useBrush()
{
    if (!m_brushInEffect) {
        m_brushInEffect = true;
        m_bkOpaque = true;
        m_bkColour = toRgb(m_brush.Color);
    }
}

void Canvas::applyPen()
{
    if (!m_penApplied) {
        painter().setPen(makePen(toRgb(m_pen.Color), m_pen.Width, m_pen.Style));
        m_penApplied = true;
    }
}

void Canvas::applyBrush()
{
    if (!m_brushApplied) {
        painter().setBrush(QColor(toRgb(m_brush.Color)));
        m_brushApplied = true;
    }
}

void Canvas::applyFont()
{
    if (!m_fontChanged)
        return;
    // The face depends only on whether the name is the symbol font's.
    m_symbol = Fonts::isSymbol(m_font.Name);
    m_fontKey = m_font.Size * 2 + (m_symbol ? 1 : 0);
    auto found = m_fonts.constFind(m_fontKey);
    if (found == m_fonts.constEnd()) {
        Fonts::registerEmbedded();
        const QFont font = Fonts::pageFont(m_font.Name, m_font.Size);
        found = m_fonts.insert(m_fontKey, PageFont{font, QFontMetrics(font).height()});
    }
    m_qfont = found->font;
    m_fontHeight = found->height;
    m_fontChanged = false;
}

void Canvas::SetBkMode(BkMode mode)
{
    // Taking the canvas handle brings pen, brush and font into effect first.
    useBrush();
    m_bkOpaque = mode == BkMode::Opaque;
}

QList<int> &Canvas::shapeKey(ShapeKind kind)
{
    m_shapeKey.clear();
    m_shapeKey.append(int(kind));
    return m_shapeKey;
}

template <typename Shape>
void Canvas::drawShape(const QRect &extent, Shape shape, bool filled)
{
    if (filled)
        useBrush();
    if (m_pen.Style != PenStyle::Solid) {
        paintShape(shape, filled);
        return;
    }
    m_shapeKey << m_pen.Width << filled;
    const ShapeCache::Runs *runs = m_shapes.find(m_shapeKey);
    if (!runs) {
        const bool wide = m_pen.Width > 1;
        runs = &m_shapes.add(m_shapeKey, extent, makePen(0, m_pen.Width, PenStyle::Solid), filled, [&](QPainter &p) {
            // A wide pen is centred on the pixel centres of the outline, so it spreads evenly both ways.
            if (wide)
                p.translate(0.5, 0.5);
            shape(p);
            if (wide)
                p.translate(-0.5, -0.5);
        });
    }
    fill(runs->brush, {}, toRgb(m_brush.Color));
    fill(runs->pen, {}, toRgb(m_pen.Color));
}

template <typename Shape>
void Canvas::paintShape(Shape shape, bool filled)
{
    QPainter &p = painter();
    if (m_pen.Style == PenStyle::Dot && m_bkOpaque) {
        // An opaque background fills the gaps of a dotted line with the background colour.
        p.setPen(makePen(m_bkColour, m_pen.Width, PenStyle::Solid));
        p.setBrush(Qt::NoBrush);
        shape(p);
        m_penApplied = m_brushApplied = false;
    }
    applyPen();
    if (filled) {
        applyBrush();
    } else {
        p.setBrush(Qt::NoBrush);
        m_brushApplied = false;
    }
    const bool wide = m_pen.Width > 1;
    if (wide)
        p.translate(0.5, 0.5);
    shape(p);
    if (wide)
        p.translate(-0.5, -0.5);
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (m_pen.Width > 1 || x2 - x1 < 2 || y2 - y1 < 2) {
        shapeKey(ShapeKind::Rectangle) << x1 << y1 << x2 << y2;
        drawShape(spanning(x1, y1, x2, y2), [r = box(x1, y1, x2, y2)](QPainter &p) { p.drawRect(r); }, true);
        return;
    }
    // A thin outline is the rectangle's border pixels, run clockwise from the top left corner so
    // that dots carry on round the corners; the brush fills the inside.
    useBrush();
    fill(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x2 - 2, y2 - 2)), toRgb(m_brush.Color));
    if (m_pen.Style == PenStyle::Solid) {
        const QRgb pen = toRgb(m_pen.Color);
        fill(QRect(x1, y1, x2 - x1, 1), pen);
        fill(QRect(x1, y2 - 1, x2 - x1, 1), pen);
        fill(QRect(x1, y1, 1, y2 - y1), pen);
        fill(QRect(x2 - 1, y1, 1, y2 - y1), pen);
        return;
    }
    const QPoint corners[] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}, {x1, y1}};
    int phase = 0;
    for (int i = 0; i < 4; ++i)
        phase = traceThinLine(corners[i], corners[i + 1], phase);
    plotThinLines();
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2)
{
    shapeKey(ShapeKind::Ellipse) << x1 << y1 << x2 << y2;
    drawShape(spanning(x1, y1, x2, y2), [r = box(x1, y1, x2, y2)](QPainter &p) { p.drawEllipse(r); }, true);
}

void Canvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    shapeKey(ShapeKind::Pie) << x1 << y1 << x2 << y2 << x3 << y3 << x4 << y4;
    drawShape(spanning(x1, y1, x2, y2), [=](QPainter &p) {
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
        p.drawPie(box(x1, y1, x2, y2), int(std::lround(start * 16)), int(std::lround(span * 16)));
    }, true);
}

void Canvas::Polygon(std::span<const QPoint> points)
{
    QList<int> &key = shapeKey(ShapeKind::Polygon);
    QRect extent;
    for (const QPoint &p : points) {
        key << p.x() << p.y();
        extent |= QRect(p, QSize(1, 1));
    }
    drawShape(extent, [points](QPainter &p) { p.drawPolygon(points.data(), int(points.size())); }, true);
}

void Canvas::MoveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void Canvas::LineTo(int x, int y)
{
    const QPoint from = m_penPos, to(x, y);
    m_penPos = to;
    if (m_pen.Width > 1) {
        shapeKey(ShapeKind::Line) << from.x() << from.y() << to.x() << to.y();
        drawShape(spanning(from.x(), from.y(), to.x(), to.y()), [from, to](QPainter &p) { p.drawLine(from, to); }, false);
        return;
    }
    if (m_pen.Style == PenStyle::Solid && (from.x() == to.x() || from.y() == to.y())) {
        // The common straight line, as one filled run.
        const QPoint last = to - QPoint((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
        if (from != to)
            fill(spanning(from.x(), from.y(), last.x(), last.y()), toRgb(m_pen.Color));
        return;
    }
    traceThinLine(from, to, 0);
    plotThinLines();
}

int Canvas::traceThinLine(QPoint from, QPoint to, int phase)
{
    // Every pixel of the Bresenham run but the last, in whichever direction the line goes.
    const int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int err = dx + dy;
    for (QPoint p = from; p != to; ++phase) {
        (m_pen.Style == PenStyle::Dot && (phase / 3) % 2 ? m_gaps : m_dots).push_back(p);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; p.rx() += sx; }
        if (e2 <= dx) { err += dx; p.ry() += sy; }
    }
    return phase;
}

void Canvas::plotThinLines()
{
    // Single pixels are written straight into the picture: through QPainter each one would cost
    // as much as a whole line.
    m_drawn = true;
    QRgb *const pixels = reinterpret_cast<QRgb *>(m_image.bits());
    const qsizetype stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto plot = [&](const std::vector<QPoint> &points, QRgb colour) {
        for (const QPoint &p : points)
            if (unsigned(p.x()) < unsigned(Width) && unsigned(p.y()) < unsigned(Height))
                pixels[p.y() * stride + p.x()] = colour;
    };
    if (m_bkOpaque)
        plot(m_gaps, opaque(m_bkColour));
    plot(m_dots, opaque(toRgb(m_pen.Color)));
    m_dots.clear();
    m_gaps.clear();
}

void Canvas::TextOut(int x, int y, const QString &text)
{
    applyFont();
    useBrush();
    const QString shown = m_symbol ? Fonts::symbolText(text) : text;
    const GlyphCache::Run &run = m_glyphs.run(shown, m_qfont, m_fontKey, toRgb(m_font.Color));
    if (m_bkOpaque)
        fill(QRect(x, y, run.advance, m_fontHeight), m_bkColour);
    if (run.inkOnly)
        fill(run.ink, QPoint(x, y), toRgb(m_font.Color));
    else
        painter().drawImage(x + run.left, y, run.glyphs);
    if (m_textListener)
        m_textListener->textDrawn({QRect(x, y, run.advance, m_fontHeight), m_font.Name, m_font.Size,
                                   m_font.Color, text, shown, m_bkOpaque});
}

void Canvas::Draw(int x, int y, const Picture &picture)
{
    painter().drawImage(x, y, picture.drawable());
}

#include "drawing/canvas.h"

#include "drawing/fonts.h"
#include "drawing/picture.h"

#include <algorithm>

Canvas::Canvas()
    : m_raster(std::make_unique<Raster>(1))
{
}

void Canvas::setPenColor(TColor colour) { m_pen.Color = colour; }
void Canvas::setPenWidth(int width) { m_pen.Width = width; }
void Canvas::setPenStyle(PenStyle style) { m_pen.Style = style; }

void Canvas::setBrushColor(TColor colour)
{
    if (colour == m_brush.Color)
        return;
    m_brush.Color = colour;
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

void Canvas::applyFont()
{
    if (!m_fontChanged)
        return;
    m_symbol = Fonts::isSymbol(m_font.Name);
    m_texts.setFont(m_font.Name, m_font.Size);
    m_fontChanged = false;
}

void Canvas::SetBkMode(BkMode mode)
{
    // Taking the canvas handle brings pen, brush and font into effect first.
    useBrush();
    m_bkOpaque = mode == BkMode::Opaque;
}

DrawOp &Canvas::record(OpKind kind, bool filled)
{
    if (filled)
        useBrush();
    DrawOp &op = m_frame.emplace_back(DrawOp{kind});
    op.style = m_pen.Style;
    op.penWidth = m_pen.Width;
    op.pen = toRgb(m_pen.Color);
    op.brush = toRgb(m_brush.Color);
    op.opaque = m_bkOpaque;
    op.background = m_bkColour;
    return op;
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2)
{
    DrawOp &op = record(OpKind::Rectangle, true);
    op.at = {x1, y1, x2, y2};
    op.seal();
    // What it fills is gone: a text there no longer has a line.
    if (DrawingList::clearsAll(op))
        m_lines.clear();
    else
        m_lines.cover(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2)
{
    DrawOp &op = record(OpKind::Ellipse, true);
    op.at = {x1, y1, x2, y2};
    op.seal();
}

void Canvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    DrawOp &op = record(OpKind::Pie, true);
    op.at = {x1, y1, x2, y2, x3, y3, x4, y4};
    op.seal();
}

void Canvas::Polygon(std::span<const QPoint> points)
{
    DrawOp &op = record(OpKind::Polygon, true);
    op.polygon.assign(points.begin(), points.end());
    op.seal();
}

void Canvas::MoveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void Canvas::LineTo(int x, int y)
{
    DrawOp &op = record(OpKind::Line, false);
    op.at = {m_penPos.x(), m_penPos.y(), x, y};
    op.seal();
    m_penPos = QPoint(x, y);
}

void Canvas::TextOut(int x, int y, const QString &text)
{
    applyFont();
    useBrush();
    DrawOp &op = record(OpKind::Text, false);
    op.pen = toRgb(m_font.Color);
    op.points = m_font.Size;
    op.symbol = m_symbol;
    op.text = m_symbol ? Fonts::symbolText(text) : text;
    op.at = {x, y};
    op.seal();
    const std::size_t index = m_frame.size() - 1;
    const int advance = m_texts.advanceOf(op.text, Raster::room(op));
    if (m_texts.listening())
        m_texts.written(index, {QRect(x, y, 0, m_texts.cellHeight()), m_font.Name, m_font.Size, m_font.Color, text, op.text, m_bkOpaque},
                        advance);
    if (LineSetting::takesPart(m_symbol, op.text, text)) {
        m_lines.write({QPoint(x, y), m_symbol, m_font.Size, op.text, op.pen}, m_symbol,
                      QSize(advance + Fonts::GlyphInset, m_texts.cellHeight()), std::ptrdiff_t(index), m_moved);
        for (const auto &[moved, placement] : m_moved)
            place(moved, placement);
    }
}

void Canvas::place(std::ptrdiff_t index, const LineSetting::Placement &placement)
{
    DrawOp &op = m_frame[std::size_t(index)];
    if (op.at[0] != placement.x || op.shifts != placement.shifts) {
        op.at[0] = placement.x;
        op.shifts = placement.shifts;
        op.seal();
    }
    m_texts.spaced(std::size_t(index), placement.spacedBefore, placement.spacedAfter);
}

void Canvas::Draw(int x, int y, const Picture &picture)
{
    DrawOp &op = record(OpKind::Picture, false);
    op.picture = picture;
    op.at = {x, y};
    op.seal();
}

void Canvas::endFrame()
{
    if (m_frame.empty())
        return;
    m_texts.tell(m_frame);
    m_lines.frameDrawn();
    if (m_diff.draw(m_frame, *m_raster, m_changed))
        m_drawing.add(m_diff.last());
}

void Canvas::redraw()
{
    m_drawing.paint(*m_raster);
    m_diff.forget();
    m_changed = m_raster->rect();
}

Canvas::Snapshot Canvas::snapshot()
{
    // Draws the frame without counting the picture as read: it is still to be shown.
    endFrame();
    return {std::make_shared<const std::vector<DrawOp>>(m_drawing.compacted()), m_pen, m_brush, m_font, m_penPos,
            m_brushInEffect, m_bkOpaque, m_bkColour, m_lines.state()};
}

void Canvas::restore(const Snapshot &s)
{
    m_frame.clear();
    m_texts.forgetFrame();
    m_lines.setState(s.lines);
    m_drawing.assign(*s.drawing);
    m_pen = s.pen;
    m_brush = s.brush;
    m_font = s.font;
    m_penPos = s.penPos;
    m_brushInEffect = s.brushInEffect;
    m_bkOpaque = s.bkOpaque;
    m_bkColour = s.bkColour;
    m_fontChanged = true;
    redraw();
}

void Canvas::setScale(qreal scale)
{
    scale = std::clamp(scale, qreal(1), qreal(MaxScale));
    if (scale == m_raster->scale())
        return;
    endFrame();
    m_raster = std::make_unique<Raster>(scale);
    redraw();
}

const QImage &Canvas::image()
{
    endFrame();
    m_changed = QRegion();
    return m_raster->image();
}

QRegion Canvas::takeChanges()
{
    endFrame();
    return std::exchange(m_changed, QRegion());
}

QImage Canvas::render(qreal scale)
{
    endFrame();
    if (scale == m_raster->scale())
        return m_raster->image();
    Raster raster(std::clamp(scale, qreal(1), qreal(MaxScale)));
    m_drawing.paint(raster);
    return raster.image();
}

QImage Canvas::render(const Snapshot &snapshot, qreal scale)
{
    Raster raster(std::clamp(scale, qreal(1), qreal(MaxScale)));
    for (const DrawOp &op : *snapshot.drawing)
        raster.paint(op);
    return raster.image();
}

#pragma once
// The persistent 775 x 465 picture every page draws on, with the drawing operations the
// pages use. Pen, brush, font, pen position and the text background persist between
// operations, ticks and pages.
//
// Each operation is resolved with the attributes in effect (draw_op.h) and kept in the current
// frame's list; the frame is drawn when the picture is next read, where it differs from the frame
// before (frame_diff.h), and added to the operations that describe the picture (drawing_list.h).
// Texts take their place in their lines (line_setting.h) and are told to a listener
// (text_measures.h).
#include "drawing/colours.h"
#include "drawing/draw_op.h"
#include "drawing/drawing_list.h"
#include "drawing/frame_diff.h"
#include "drawing/line_setting.h"
#include "drawing/raster.h"
#include "drawing/text_measures.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <memory>
#include <span>
#include <vector>

class Picture;

enum class BkMode { Transparent = 1, Opaque = 2 };

class Canvas
{
public:
    static constexpr int Width = Raster::Width;
    static constexpr int Height = Raster::Height;
    // Scales the picture can be drawn at: the window's enlargement times the screen's pixel
    // ratio, a copy, a file, a printed page.
    static constexpr int MaxScale = 8;

    struct Pen { TColor Color = Colour::Black; int Width = 1; PenStyle Style = PenStyle::Solid; };
    struct Brush { TColor Color = Colour::White; };
    struct Font { QString Name = QStringLiteral("MS Sans Serif"); int Size = 8; TColor Color = Colour::WindowText; };

    Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    void setPenColor(TColor colour);
    void setPenWidth(int width);
    void setPenStyle(PenStyle style);
    void setBrushColor(TColor colour);
    void setFontName(const QString &name);
    void setFontSize(int points);
    void setFontColor(TColor colour);
    // Pen and brush in one colour, the usual set-up before filling or erasing a shape.
    void setPenAndBrush(TColor colour);

    const Pen &pen() const { return m_pen; }
    const Brush &brush() const { return m_brush; }
    const Font &font() const { return m_font; }
    QPoint penPos() const { return m_penPos; }

    // Outline with the pen, filled with the brush; covers x1..x2-1, y1..y2-1.
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    // The sector of the ellipse in the box, counter-clockwise from the radius through
    // (x3, y3) to the radius through (x4, y4).
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Polygon(std::span<const QPoint> points);
    void MoveTo(int x, int y);
    // A pen line from the pen position, its end pixel left out; the position moves there.
    void LineTo(int x, int y);
    // Text in the current font with its cell's top left at (x, y).
    void TextOut(int x, int y, const QString &text);
    void Draw(int x, int y, const Picture &picture);
    void SetBkMode(BkMode mode);

    // Everything later drawing depends on: what the picture holds, pen, brush, font, pen position
    // and the text background. Restoring one puts the canvas back exactly as it was when it was
    // taken, at whatever scale the picture is drawn then. It does not hold the pixels.
    struct Snapshot
    {
        std::shared_ptr<const std::vector<DrawOp>> drawing;
        Pen pen;
        Brush brush;
        Font font;
        QPoint penPos;
        bool brushInEffect, bkOpaque;
        QRgb bkColour;
        LineSetting::State lines;
    };
    Snapshot snapshot();
    void restore(const Snapshot &snapshot);

    // At most one listener; nullptr (the default) stops telling of the texts drawn from now on. The
    // canvas does not own it, and tells it when the frame is drawn: it must live until then.
    void setTextListener(TextListener *listener) { m_texts.setListener(listener); }

    // The picture is drawn at `scale` times its size (1 to MaxScale, whole or not): the same
    // operations drawn again.
    void setScale(qreal scale);
    qreal scale() const { return m_raster->scale(); }

    // True once something was drawn since the picture was last read.
    bool isPainting() const { return !m_frame.empty() || !m_changed.isEmpty(); }
    // The picture as drawn so far, at the canvas's scale; draws the frame in progress.
    const QImage &image();
    // Draws the frame in progress; returns the part of the picture that changed since the picture
    // was last read or this was last asked, and counts the picture as read.
    QRegion takeChanges();
    // The picture drawn again at another scale (itself at the canvas's scale).
    QImage render(qreal scale);
    // The picture a snapshot holds, drawn at `scale`.
    static QImage render(const Snapshot &snapshot, qreal scale);

    // Operations that describe the picture now: a measure of what drawing it again costs.
    std::size_t drawingSize() const { return m_drawing.size(); }

private:
    // Makes the attributes the next operation uses take effect: the brush brings back an opaque
    // text background in its colour.
    void useBrush();
    void applyFont();
    // A new operation in the current pen, brush and background.
    DrawOp &record(OpKind kind, bool filled);
    // Puts the frame's operation `index` where its line sets it.
    void place(std::ptrdiff_t index, const LineSetting::Placement &placement);
    // Draws the current frame and adds it to the drawing.
    void endFrame();
    // Draws the whole picture again from its operations.
    void redraw();

    std::unique_ptr<Raster> m_raster;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    QPoint m_penPos;
    bool m_fontChanged = true;
    bool m_symbol = false;
    // Text background: a brush change takes effect with the next operation that uses the
    // brush, and then brings back an opaque background in the brush colour.
    bool m_brushInEffect = false;
    bool m_bkOpaque = true;
    QRgb m_bkColour = qRgb(255, 255, 255);

    std::vector<DrawOp> m_frame; // drawn since the frame began
    QRegion m_changed;
    FrameDiff m_diff;
    DrawingList m_drawing;
    TextMeasures m_texts;
    LineSetting m_lines;
    std::vector<std::pair<std::ptrdiff_t, LineSetting::Placement>> m_moved; // reused by every text
};

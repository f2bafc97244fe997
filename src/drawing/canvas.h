#pragma once
// The persistent 775 x 465 picture every page draws on, with the drawing operations the
// pages use and their exact pixel rules. Pen, brush, font, pen position and the text
// background persist between operations, ticks and pages.
#include "drawing/colours.h"
#include "drawing/glyph_cache.h"
#include "drawing/pixel_run.h"
#include "drawing/shape_cache.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <span>
#include <vector>

class Picture;

enum class PenStyle { Solid, Dot };
enum class BkMode { Transparent = 1, Opaque = 2 };

// A text as the canvas drew it.
struct DrawnText
{
    QRect cell;       // top left where it was written; the text's advance by the font's height
    QString fontName; // as the page named it ("MS sans Serif", "Symbol")
    int points;
    TColor colour;
    QString text;     // as the page wrote it
    QString shown;    // as it reads on screen: in the symbol font j, D, W and p are Greek
    bool opaque;      // its cell was filled with the background colour before the glyphs
};

// Told of every text the canvas draws, just after drawing it: what the pages say, where and how,
// for a reader of the page (the legibility test, a description for assistive technology).
class TextListener
{
public:
    virtual ~TextListener() = default;
    virtual void textDrawn(const DrawnText &text) = 0;
};

class Canvas
{
public:
    static constexpr int Width = 775;
    static constexpr int Height = 465;

    struct Pen { TColor Color = Colour::Black; int Width = 1; PenStyle Style = PenStyle::Solid; };
    struct Brush { TColor Color = Colour::White; };
    struct Font { QString Name = QStringLiteral("MS Sans Serif"); int Size = 8; TColor Color = Colour::WindowText; };

    Canvas();
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;
    ~Canvas();

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

    // Everything later drawing depends on: the picture, pen, brush, font, pen position and the
    // text background. Restoring one puts the canvas back exactly as it was when it was taken.
    struct Snapshot
    {
        QImage image;
        Pen pen;
        Brush brush;
        Font font;
        QPoint penPos;
        bool brushInEffect, bkOpaque;
        QRgb bkColour;
    };
    Snapshot snapshot();
    void restore(const Snapshot &snapshot);

    // At most one listener; nullptr (the default) stops telling. The canvas does not own it.
    void setTextListener(TextListener *listener) { m_textListener = listener; }

    // True once something was drawn since the picture was last read.
    bool isPainting() const { return m_drawn; }
    // The picture as drawn so far; ends any painting in progress.
    const QImage &image();

private:
    // Most operations write their pixels straight into the picture; QPainter is left for
    // pictures, dotted shapes and smoothed text.
    QPainter &painter();
    void useBrush();
    void applyPen();
    void applyBrush();
    void applyFont();
    // Fills what lies in the picture of `area`, or of the runs moved by `offset`.
    void fill(const QRect &area, QRgb colour);
    void fill(std::span<const PixelRun> runs, QPoint offset, QRgb colour);
    enum class ShapeKind { Rectangle, Ellipse, Pie, Polygon, Line };
    // The shape cache's key, begun with the shape's kind; the caller adds the geometry.
    QList<int> &shapeKey(ShapeKind kind);
    // A shape in the current pen, and brush if filled, repeated from the shape cache when it was
    // drawn before; `extent` holds its geometry.
    template <typename Shape> void drawShape(const QRect &extent, Shape shape, bool filled);
    // The same through QPainter, for the dotted pen, which the cache does not keep.
    template <typename Shape> void paintShape(Shape shape, bool filled);
    int traceThinLine(QPoint from, QPoint to, int phase);
    void plotThinLines();

    QImage m_image;
    QPainter m_painter;
    bool m_drawn = false;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    QPoint m_penPos;
    std::vector<QPoint> m_dots, m_gaps; // reused by every thin line
    ShapeCache m_shapes{QSize(Width, Height)};
    QList<int> m_shapeKey; // reused by every shape

    // What the painter has in effect, brought up to date just before it is needed.
    bool m_penApplied = false;
    bool m_brushApplied = false;
    bool m_fontChanged = true;

    // The current font, made once per face and size.
    struct PageFont { QFont font; int height; };
    QHash<int, PageFont> m_fonts;
    QFont m_qfont;
    int m_fontKey = 0;
    int m_fontHeight = 0;
    bool m_symbol = false;
    GlyphCache m_glyphs;
    TextListener *m_textListener = nullptr;

    // Text background: a brush change takes effect with the next operation that uses the
    // brush, and then brings back an opaque background in the brush colour.
    bool m_brushInEffect = false;
    bool m_bkOpaque = true;
    QRgb m_bkColour = qRgb(255, 255, 255);
};

#pragma once
// Text drawn larger on its own layout: each glyph at a whole scale times its place and size, so a
// line keeps the layout it has at its own size (what is written over its spaces stays in them)
// while the glyphs get the finer outline of the larger size. The program's pages and the
// generator of its pictures draw enlarged text this way.
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <span>

// Glyphs of a text from character `from` on moved `dx` pixels along the line, to close up a run of
// spaces around what is written over it.
struct TextShift
{
    int from, dx;
    bool operator==(const TextShift &) const = default;
};

// A text set on one line: its glyphs in the font's face, each one's pen position from the start
// of the line on its baseline, and the line's advance in pixels.
struct LaidOutText
{
    QRawFont face;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    QList<int> starts; // of each character, and the advance past the last one
    int advance = 0;

    // Where the character at `i` starts (a ligature's letters share its glyph); the advance past
    // the last one.
    int x(qsizetype i) const { return i < starts.size() ? starts[i] : advance; }

    // Moves the glyphs from each shift's character on, in order.
    void shift(std::span<const TextShift> shifts);
};

LaidOutText setOnOneLine(const QFont &font, const QString &text);

// The glyphs of `laid`, set in `font`, drawn at `scale` times: each at the scale times its place.
// A fractional scale sets the face at the fractional pixel size.
QGlyphRun scaledGlyphs(const LaidOutText &laid, const QFont &font, qreal scale);

// `font` at `scale` times its pixel size, its spacing scaled alike.
QFont scaledFont(const QFont &font, int scale);

// Draws `text`, laid out in `font`, at `scale` times: `baseline` is where its baseline starts,
// in the painter's device pixels.
void drawScaledText(QPainter &painter, const QString &text, const QFont &font, int scale, QPointF baseline);

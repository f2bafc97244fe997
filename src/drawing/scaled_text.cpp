#include "drawing/scaled_text.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <cmath>

QFont scaledFont(const QFont &font, int scale)
{
    if (scale == 1)
        return font;
    QFont big = font;
    big.setPixelSize(font.pixelSize() * scale);
    big.setWordSpacing(font.wordSpacing() * scale);
    if (font.letterSpacingType() == QFont::AbsoluteSpacing)
        big.setLetterSpacing(QFont::AbsoluteSpacing, font.letterSpacing() * scale);
    return big;
}

LaidOutText setOnOneLine(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    LaidOutText laid;
    laid.face = QRawFont::fromFont(font);
    for (const QGlyphRun &run : layout.glyphRuns()) {
        laid.glyphs += run.glyphIndexes();
        for (const QPointF &p : run.positions())
            laid.positions.append(QPointF(p.x(), p.y() - line.ascent()));
    }
    laid.advance = QFontMetrics(font).horizontalAdvance(text);
    laid.starts.reserve(text.size() + 1);
    for (int i = 0; i < text.size(); ++i)
        laid.starts.append(int(std::lround(line.cursorToX(i))));
    laid.starts.append(laid.advance);
    return laid;
}

void LaidOutText::shift(std::span<const TextShift> shifts)
{
    for (const TextShift &s : shifts) {
        // Half a pixel of slack: a glyph starts where its character does, give or take rounding.
        const qreal from = x(s.from) - 0.5;
        for (QPointF &p : positions)
            if (p.x() >= from)
                p.rx() += s.dx;
        for (qsizetype i = s.from; i < starts.size(); ++i)
            starts[i] += s.dx;
        advance += s.dx;
    }
}

namespace {
QRawFont scaledFace(const LaidOutText &laid, const QFont &font, qreal scale)
{
    if (scale == 1)
        return laid.face;
    if (scale == std::floor(scale))
        return QRawFont::fromFont(scaledFont(font, int(scale)));
    QRawFont face = laid.face;
    face.setPixelSize(laid.face.pixelSize() * scale);
    return face;
}
}

QGlyphRun scaledGlyphs(const LaidOutText &laid, const QFont &font, qreal scale)
{
    QList<QPointF> positions = laid.positions;
    for (QPointF &p : positions)
        p *= scale;
    QGlyphRun run;
    run.setRawFont(scaledFace(laid, font, scale));
    run.setGlyphIndexes(laid.glyphs);
    run.setPositions(positions);
    return run;
}

void drawScaledText(QPainter &painter, const QString &text, const QFont &font, int scale, QPointF baseline)
{
    painter.drawGlyphRun(baseline, scaledGlyphs(setOnOneLine(font, text), font, scale));
}

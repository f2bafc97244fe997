#include "drawing/scaled_text.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

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
    return laid;
}

QGlyphRun scaledGlyphs(const LaidOutText &laid, const QFont &font, int scale)
{
    QList<QPointF> positions = laid.positions;
    for (QPointF &p : positions)
        p *= scale;
    QGlyphRun run;
    run.setRawFont(scale == 1 ? laid.face : QRawFont::fromFont(scaledFont(font, scale)));
    run.setGlyphIndexes(laid.glyphs);
    run.setPositions(positions);
    return run;
}

void drawScaledText(QPainter &painter, const QString &text, const QFont &font, int scale, QPointF baseline)
{
    painter.drawGlyphRun(baseline, scaledGlyphs(setOnOneLine(font, text), font, scale));
}

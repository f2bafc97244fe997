#include "drawing/scaled_text.h"

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

void drawScaledText(QPainter &painter, const QString &text, const QFont &font, int scale, QPointF baseline)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    const QRawFont drawn = QRawFont::fromFont(scaledFont(font, scale));
    for (QGlyphRun run : layout.glyphRuns()) {
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p = QPointF(p.x() * scale, (p.y() - line.ascent()) * scale);
        run.setRawFont(drawn);
        run.setPositions(positions);
        painter.drawGlyphRun(baseline, run);
    }
}

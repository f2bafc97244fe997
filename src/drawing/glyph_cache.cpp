#include "drawing/glyph_cache.h"

#include "drawing/fonts.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
// The opaque pixels of `glyphs` as runs shifted by `left`; false if any pixel is translucent.
bool opaqueRuns(const QImage &glyphs, int left, std::vector<PixelRun> &runs)
{
    for (int y = 0; y < glyphs.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(glyphs.constScanLine(y));
        for (int x = 0; x < glyphs.width();) {
            const int alpha = qAlpha(row[x]);
            if (alpha != 0 && alpha != 255)
                return false;
            int end = x + 1;
            while (end < glyphs.width() && qAlpha(row[end]) == alpha)
                ++end;
            if (alpha == 255)
                runs.push_back({x + left, y, end - x});
            x = end;
        }
    }
    return true;
}
}

const GlyphCache::Run &GlyphCache::run(const QString &text, const QFont &font, int fontKey, QRgb colour)
{
    Key key{text, fontKey, colour};
    if (auto found = m_runs.constFind(key); found != m_runs.constEnd())
        return *found;
    if (m_runs.size() >= MaxRuns)
        m_runs.clear();

    const QFontMetrics metrics(font);
    // Room on both sides for glyphs that reach past their advance.
    const int margin = metrics.height();
    const int advance = metrics.horizontalAdvance(text) + Fonts::GlyphInset;
    QImage glyphs(advance + 2 * margin, metrics.height(), QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    QPainter painter(&glyphs);
    painter.setFont(font);
    painter.setPen(QColor(colour));
    painter.drawText(margin + Fonts::GlyphInset, metrics.ascent(), text);
    painter.end();
    Run run{advance, false, {}, std::move(glyphs), -margin};
    run.inkOnly = opaqueRuns(run.glyphs, run.left, run.ink);
    if (run.inkOnly)
        run.glyphs = QImage();
    else
        run.ink.clear();
    return *m_runs.insert(std::move(key), std::move(run));
}

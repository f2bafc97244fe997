#include "drawing/glyph_cache.h"

#include "drawing/fonts.h"

#include "drawing/scaled_text.h"

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

QRect inkBounds(const std::vector<PixelRun> &runs)
{
    QRect r;
    for (const PixelRun &run : runs)
        r |= QRect(run.x, run.y, run.length, 1);
    return r;
}
}

const GlyphCache::Run &GlyphCache::run(const QString &text, const QFont &font, int fontKey, QRgb colour)
{
    Key key{text, fontKey, colour};
    if (auto found = m_runs.constFind(key); found != m_runs.constEnd())
        return *found;
    if (m_runs.size() >= MaxRuns)
        m_runs.clear();

    // The cell is laid out at the font's own size; the glyphs are drawn at the scale, on the
    // baseline where the scaled cell has it.
    const QFontMetrics metrics(font);
    const QRect cell(0, 0, (metrics.horizontalAdvance(text) + Fonts::GlyphInset) * m_scale, metrics.height() * m_scale);
    // Room on every side for glyphs that reach past their cell.
    const int margin = cell.height();
    const int top = m_scale == 1 ? 0 : margin;
    QImage glyphs(cell.width() + 2 * margin, cell.height() + 2 * top, QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    QPainter painter(&glyphs);
    painter.setFont(font);
    painter.setPen(QColor(colour));
    const QPoint baseline(margin + Fonts::GlyphInset * m_scale, top + metrics.ascent() * m_scale);
    if (m_scale == 1)
        painter.drawText(baseline, text);
    else
        drawScaledText(painter, text, font, m_scale, baseline);
    painter.end();
    Run run{cell, cell, false, {}, std::move(glyphs), QPoint(-margin, -top)};
    run.inkOnly = opaqueRuns(run.glyphs, run.origin.x(), run.ink);
    if (run.inkOnly) {
        if (top)
            for (PixelRun &r : run.ink)
                r.y -= top;
        run.bounds |= inkBounds(run.ink);
        run.glyphs = QImage();
    } else {
        run.ink.clear();
        run.bounds |= QRect(run.origin, run.glyphs.size());
    }
    // Finer glyphs may reach past the scaled cell: an opaque text covers them all, so that a text
    // written over another in the same place hides it as it does at the font's own size.
    if (m_scale > 1)
        run.cell = run.bounds;
    return *m_runs.insert(std::move(key), std::move(run));
}

#include "drawing/glyph_cache.h"

#include "drawing/fonts.h"
#include "drawing/raster.h"
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

const GlyphCache::Run &GlyphCache::run(const QString &text, const QFont &font, int fontKey, QRgb colour, int room,
                                       std::span<const TextShift> shifts)
{
    // Most texts fit their room: they share the run of the text as its font sets it.
    const std::vector<TextShift> moved(shifts.begin(), shifts.end());
    const Key natural{text, fontKey, colour, Unlimited, moved};
    auto found = m_runs.constFind(natural);
    const Run &set = found != m_runs.constEnd() ? *found : make(natural, font);
    if (set.advance <= room)
        return set;
    const Key fitted{text, fontKey, colour, room, moved};
    found = m_runs.constFind(fitted);
    return found != m_runs.constEnd() ? *found : make(fitted, font);
}

const GlyphCache::Run &GlyphCache::make(const Key &key, const QFont &font)
{
    if (m_runs.size() >= MaxRuns)
        m_runs.clear();

    // The cell is laid out at the font's own size; the glyphs are drawn at the scale, each at
    // the scale times its place, on the baseline where the scaled cell has it.
    const QFontMetrics metrics(font);
    const LaidOutText laid = Fonts::layOut(font, key.text, key.room, key.shifts);
    const QRect cell(0, 0, Raster::edge(laid.advance + Fonts::GlyphInset, m_scale), Raster::edge(metrics.height(), m_scale));
    // Room on every side for glyphs that reach past their cell.
    const int margin = cell.height();
    const int top = m_scale == 1 ? 0 : margin;
    QImage glyphs(cell.width() + 2 * margin, cell.height() + 2 * top, QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    QPainter painter(&glyphs);
    painter.setPen(QColor(key.colour));
    painter.drawGlyphRun(QPointF(margin + Fonts::GlyphInset * m_scale, top + metrics.ascent() * m_scale),
                         scaledGlyphs(laid, font, m_scale));
    painter.end();
    Run result{laid.advance, cell, cell, false, {}, std::move(glyphs), QPoint(-margin, -top)};
    result.inkOnly = opaqueRuns(result.glyphs, result.origin.x(), result.ink);
    if (result.inkOnly) {
        if (top)
            for (PixelRun &r : result.ink)
                r.y -= top;
        result.bounds |= inkBounds(result.ink);
        result.glyphs = QImage();
    } else {
        result.ink.clear();
        result.bounds |= QRect(result.origin, result.glyphs.size());
    }
    // Finer glyphs may reach past the scaled cell: an opaque text covers them all, so that a text
    // written over another in the same place hides it as it does at the font's own size.
    if (m_scale > 1)
        result.cell = result.bounds;
    return *m_runs.insert(key, std::move(result));
}

#include "drawing/glyph_cache.h"

#include <QFontMetrics>
#include <QPainter>

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
    QImage glyphs(metrics.horizontalAdvance(text) + 2 * margin, metrics.height(), QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    QPainter painter(&glyphs);
    painter.setFont(font);
    painter.setPen(QColor(colour));
    painter.drawText(margin, metrics.ascent(), text);
    painter.end();
    return *m_runs.insert(std::move(key), Run{std::move(glyphs), -margin});
}

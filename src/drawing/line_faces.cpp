#include "drawing/line_faces.h"

#include "drawing/fonts.h"

#include <algorithm>

namespace {
// Texts measured at most: far more than any page shows at once.
constexpr qsizetype MostMeasures = 1024;

QString faceName(bool symbol) { return symbol ? QStringLiteral("Symbol") : QStringLiteral("MS Sans Serif"); }
int fontKey(bool symbol, int points) { return points * 2 + (symbol ? 1 : 0); }

// The widest stretch of empty columns between the ink of `ink`.
int widestGap(const std::vector<PixelRun> &ink)
{
    std::vector<char> inked;
    for (const PixelRun &r : ink) {
        if (int(inked.size()) < r.x + r.length)
            inked.resize(std::size_t(r.x + r.length), 0);
        std::fill_n(inked.begin() + r.x, r.length, 1);
    }
    const auto first = std::find(inked.begin(), inked.end(), 1);
    int widest = 0, run = 0;
    for (auto c = first; c != inked.end(); ++c)
        widest = std::max(widest, run = *c ? 0 : run + 1);
    return widest;
}
}

const LineFaces::Face &LineFaces::face(bool symbol, int points)
{
    const int key = fontKey(symbol, points);
    auto found = m_faces.find(key);
    if (found == m_faces.end()) {
        Face f{Fonts::pageFont(faceName(symbol), points), 0, 0};
        found = m_faces.insert(key, f);
        found->wordSpace = widestGap(measure(symbol, points, QStringLiteral("n n")).ink);
        found->letterSpace = std::max(1, widestGap(measure(symbol, points, QStringLiteral("nn")).ink));
    }
    return *found;
}

const LineFaces::Measure &LineFaces::measure(bool symbol, int points, const QString &text)
{
    const MeasureKey key{fontKey(symbol, points), text};
    auto found = m_measures.constFind(key);
    if (found != m_measures.constEnd())
        return *found;
    if (m_measures.size() >= MostMeasures)
        m_measures.clear();
    const QFont &font = face(symbol, points).font;
    const GlyphCache::Run &run = m_glyphs.run(text, font, key.font, qRgb(0, 0, 0));
    return *m_measures.insert(key, {Fonts::layOut(font, text), run.ink});
}

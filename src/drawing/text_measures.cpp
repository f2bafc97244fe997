#include "drawing/text_measures.h"

#include "drawing/fonts.h"
#include "drawing/raster.h"

#include <QFontMetrics>

void TextMeasures::setFont(const QString &name, int points)
{
    // The face depends only on whether the name is the symbol font's.
    const int key = points * 2 + (Fonts::isSymbol(name) ? 1 : 0);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        Fonts::registerEmbedded();
        const QFont font = Fonts::pageFont(name, points);
        found = m_fonts.emplace(key, PageFont{font, QFontMetrics(font).height(), {}}).first;
    }
    m_font = &found->second;
}

int TextMeasures::advanceOf(const QString &text, int room)
{
    const int natural = naturalAdvanceOf(text);
    return natural <= room ? natural : Fonts::layOut(m_font->font, text, room).advance;
}

int TextMeasures::naturalAdvanceOf(const QString &text)
{
    // Bounded: a long run of changing numbers starts the table afresh.
    constexpr qsizetype MostKept = 4096;
    QHash<QString, int> &advances = m_font->advances;
    auto found = advances.constFind(text);
    if (found != advances.constEnd())
        return *found;
    if (advances.size() >= MostKept)
        advances.clear();
    return *advances.insert(text, QFontMetrics(m_font->font).horizontalAdvance(text));
}

void TextMeasures::written(std::size_t op, const DrawnText &text, int advance)
{
    if (m_listener)
        m_told.push_back({op, m_listener, m_font, advance, text});
}

void TextMeasures::spaced(std::size_t op, bool before, bool after)
{
    for (auto told = m_told.rbegin(); told != m_told.rend(); ++told) {
        if (told->op == op) {
            told->text.spacedBefore = before;
            told->text.spacedAfter = after;
            return;
        }
    }
}

void TextMeasures::tell(const std::vector<DrawOp> &frame)
{
    for (Told &told : m_told) {
        const DrawOp &op = frame[told.op];
        DrawnText &text = told.text;
        int advance = told.advance;
        if (op.at[0] != text.cell.x() || !op.shifts.empty())
            advance = Fonts::layOut(told.font->font, op.text, Raster::room(op), op.shifts).advance;
        text.cell = QRect(op.at[0], op.at[1], advance + Fonts::GlyphInset, text.cell.height());
        text.shifts = op.shifts;
        told.listener->textDrawn(text);
    }
    m_told.clear();
}

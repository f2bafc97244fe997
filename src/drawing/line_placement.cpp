#include "drawing/line_placement.h"

#include "drawing/fonts.h"
#include "drawing/space_runs.h"

#include <algorithm>

namespace {
bool isOperator(QChar c) { return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-'); }

// Where a Greek letter meets the text beside it: the characters on either side, and the ones
// beyond them (null past the end of a text).
struct Junction
{
    QChar beforeLeft, left, right, afterRight;
    bool letterOnRight;
    bool letterGluedToNumber; // the letter on the left multiplies the number before it: "2π"
};

// Whether the line reads the two sides glued, with no space between: a number and the letter it
// multiplies or divides ("2πft", "2000π)", "(25/2π)", "π/2"), an operator written tight against a
// name on its other side ("φ1=wt"); a word, a value beyond an operator ("Δφ =5/π", "t - π/2"), a
// colon or an opening bracket is set apart.
bool glued(const Junction &j)
{
    if (j.left == QLatin1Char(':') || j.right == QLatin1Char(':') || j.left == QLatin1Char(';') || j.right == QLatin1Char(';'))
        return false;
    if (QStringLiteral("(/*").contains(j.left) || QStringLiteral("/*).,").contains(j.right))
        return true;
    if (isOperator(j.left))
        return j.beforeLeft.isLetter();
    if (isOperator(j.right))
        return j.afterRight.isLetter();
    if (j.letterOnRight)
        return j.left.isDigit();
    return j.right.isDigit() || (j.right.isLetter() && j.letterGluedToNumber);
}
}

LinePlacement::LinePlacement(LineFaces &faces, std::vector<const LinePiece *> line)
    : m_faces(faces), m_line(std::move(line))
{
    for (std::size_t i = 0; i < m_line.size(); ++i)
        (m_line[i]->letter ? m_letters : m_texts).push_back(i);
    const auto byX = [&](std::size_t a, std::size_t b) { return written(a).at.x() < written(b).at.x(); };
    std::sort(m_texts.begin(), m_texts.end(), byX);
    std::sort(m_letters.begin(), m_letters.end(), byX);
}

const LineFaces::Measure &LinePlacement::measure(std::size_t piece)
{
    const WrittenText &w = written(piece);
    return m_faces.measure(w.symbol, w.points, w.text);
}

std::vector<TextPlacement> LinePlacement::placements()
{
    std::vector<TextPlacement> placed(m_line.size());
    for (std::size_t k = 0; k < m_line.size(); ++k)
        placed[k].x = written(k).at.x();
    if (m_texts.empty() || m_letters.empty())
        return placed;
    holdLetters();
    listItems();
    m_anchor = std::size_t(std::find_if(m_items.begin(), m_items.end(), [](const Item &i) { return !i.letter; }) - m_items.begin());
    // Texts of spaces alone: nothing to set the letters around.
    if (m_anchor == m_items.size())
        return placed;
    m_x.assign(m_items.size(), 0);
    m_spacedBefore.assign(m_items.size(), 1);
    m_spacedAfter.assign(m_items.size(), 1);
    m_x[m_anchor] = m_items[m_anchor].left;
    setAfterAnchor();
    setBeforeAnchor();
    place(placed);
    return placed;
}

void LinePlacement::holdLetters()
{
    m_held.assign(m_letters.size(), std::nullopt);
    for (std::size_t l = 0; l < m_letters.size(); ++l) {
        const int letterLeft = written(m_letters[l]).at.x();
        for (std::size_t t : m_texts) {
            const WrittenText &w = written(t);
            if (letterLeft <= w.at.x() || letterLeft >= m_line[t]->right)
                continue;
            const int run = SpaceRuns(w.text).holding(measure(t).laid, w.at.x(), letterLeft);
            if (run >= 0) {
                m_held[l] = Held{t, run};
                break;
            }
        }
    }
}

void LinePlacement::listItems()
{
    m_items.clear();
    for (std::size_t t : m_texts)
        listFragments(t);
    insertFreeLetters();
}

void LinePlacement::listFragments(std::size_t t)
{
    const WrittenText &w = written(t);
    const LaidOutText &laid = measure(t).laid;
    const SpaceRuns runs(w.text);
    int from = 0, lo = INT_MIN;
    const auto fragment = [&](int to, int hi) {
        if (!w.text.mid(from, to - from).trimmed().isEmpty())
            m_items.push_back({t, false, from, to, lo, hi, w.at.x() + laid.x(from)});
    };
    for (int r = 0; r < int(runs.runs().size()); ++r) {
        const SpaceRuns::Run run = runs.runs()[std::size_t(r)];
        std::vector<std::size_t> in;
        for (std::size_t l = 0; l < m_letters.size(); ++l)
            if (m_held[l] && m_held[l]->text == t && m_held[l]->run == r)
                in.push_back(m_letters[l]);
        if (in.empty())
            continue;
        const int middle = Fonts::GlyphInset + (laid.x(run.first) + laid.x(run.end)) / 2;
        fragment(run.first, middle);
        for (std::size_t l : in)
            m_items.push_back({l, true, 0, 0, INT_MIN, INT_MAX, written(l).at.x()});
        from = run.end;
        lo = middle;
    }
    fragment(int(w.text.size()), INT_MAX);
}

void LinePlacement::insertFreeLetters()
{
    for (std::size_t l = 0; l < m_letters.size(); ++l) {
        if (m_held[l])
            continue;
        const int x = written(m_letters[l]).at.x();
        const auto next = std::find_if(m_items.begin(), m_items.end(), [&](const Item &i) { return i.left > x; });
        m_items.insert(next, {m_letters[l], true, 0, 0, INT_MIN, INT_MAX, x});
    }
}

void LinePlacement::setAfterAnchor()
{
    bool gluedToNumber = false;
    int carried = 0; // how far the line has moved where the page placed its texts
    for (std::size_t i = m_anchor + 1; i < m_items.size(); ++i) {
        const Item &a = m_items[i - 1], &b = m_items[i];
        if (!a.letter && !b.letter) {
            m_x[i] = b.left + carried;
            continue;
        }
        const auto [top, bottom] = rowsOf(a.letter ? a : b);
        const Gap gap = gapBetween(a, b, gluedToNumber);
        gluedToNumber = b.letter && gap.glued && gap.afterDigit;
        m_spacedAfter[i - 1] = m_spacedBefore[i] = !gap.glued;
        m_x[i] = m_x[i - 1] + extent(a, top, bottom).last + 1 + gap.width - extent(b, top, bottom).first;
        if (!b.letter)
            carried = m_x[i] - b.left;
    }
}

void LinePlacement::setBeforeAnchor()
{
    for (std::size_t i = m_anchor; i-- > 0;) {
        const Item &a = m_items[i], &b = m_items[i + 1];
        const auto [top, bottom] = rowsOf(a);
        const Gap gap = gapBetween(a, b, false);
        m_spacedAfter[i] = m_spacedBefore[i + 1] = !gap.glued;
        m_x[i] = m_x[i + 1] + extent(b, top, bottom).first - gap.width - 1 - extent(a, top, bottom).last;
    }
}

LinePlacement::Gap LinePlacement::gapBetween(const Item &a, const Item &b, bool aGluedToNumber)
{
    const QString &aText = written(a.piece).text, &bText = written(b.piece).text;
    const int aFrom = a.letter ? 0 : a.from, aEnd = a.letter ? int(aText.size()) : a.to;
    int l = aEnd - 1;
    while (l >= aFrom && aText[l] == QLatin1Char(' '))
        --l;
    int r = b.letter ? 0 : b.from;
    while (r < bText.size() && bText[r] == QLatin1Char(' '))
        ++r;
    const Junction j{l > 0 ? aText[l - 1] : QChar(), l >= 0 ? aText[l] : QChar(), r < bText.size() ? bText[r] : QChar(),
                     r + 1 < bText.size() ? bText[r + 1] : QChar(), b.letter, a.letter && aGluedToNumber};
    const bool isGlued = glued(j);
    // Between two letters, the spacing of the line's face; beside a text, that of the text's.
    const int points = written((a.letter && b.letter ? m_items[m_anchor] : a.letter ? b : a).piece).points;
    const LineFaces::Face &face = m_faces.face(false, points);
    return {isGlued ? face.letterSpace : face.wordSpace, isGlued, j.left.isDigit()};
}

LinePlacement::Extent LinePlacement::extent(const Item &item, int top, int bottom)
{
    const WrittenText &w = written(item.piece);
    const LineFaces::Measure &m = measure(item.piece);
    const int origin = item.letter ? 0 : m.laid.x(item.from);
    Extent inBand, all;
    for (const PixelRun &r : m.ink) {
        if (r.x < item.lo || r.x >= item.hi)
            continue;
        const Extent e{r.x - origin, r.x + r.length - 1 - origin};
        all = {std::min(all.first, e.first), std::max(all.last, e.last)};
        const int y = w.at.y() + r.y;
        if (y >= top && y <= bottom)
            inBand = {std::min(inBand.first, e.first), std::max(inBand.last, e.last)};
    }
    if (!inBand.empty())
        return inBand;
    if (!all.empty())
        return all;
    return Extent{0, std::max(0, (item.letter ? m.laid.advance : m.laid.x(item.to) - origin) - 1)};
}

std::pair<int, int> LinePlacement::rowsOf(const Item &item)
{
    const WrittenText &w = written(item.piece);
    int top = INT_MAX, bottom = INT_MIN;
    for (const PixelRun &r : measure(item.piece).ink)
        top = std::min(top, w.at.y() + r.y), bottom = std::max(bottom, w.at.y() + r.y);
    return {top, bottom};
}

void LinePlacement::place(std::vector<TextPlacement> &placed) const
{
    std::vector<int> lastMove(m_line.size(), INT_MIN);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const Item &item = m_items[i];
        TextPlacement &p = placed[item.piece];
        if (item.letter) {
            p.x = m_x[i];
            p.spacedBefore = m_spacedBefore[i];
            p.spacedAfter = m_spacedAfter[i];
            continue;
        }
        const int move = m_x[i] - item.left;
        int &last = lastMove[item.piece];
        if (last == INT_MIN)
            p.x = written(item.piece).at.x() + move;
        else if (move != last)
            p.shifts.push_back({item.from, move - last});
        last = move;
    }
}

#include "drawing/line_setting.h"

#include "drawing/fonts.h"
#include "drawing/space_runs.h"

#include <QRect>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <tuple>

namespace {
// Texts whose tops lie this close (pixels) are on one row: a Greek letter in a larger face is
// written a little higher than the line it belongs to.
constexpr int RowDrift = 4;
// Texts kept at most: far more than any page shows at once.
constexpr std::size_t MostPieces = 1024;
// Lines whose setting is kept: a page has a few dozen.
constexpr std::size_t MostLines = 256;

QString faceName(bool symbol) { return symbol ? QStringLiteral("Symbol") : QStringLiteral("MS Sans Serif"); }

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

// Columns of ink, first and last.
struct Extent
{
    int first = INT_MAX, last = INT_MIN;
    bool empty() const { return first > last; }
};
}

bool LineSetting::takesPart(bool symbol, const QString &shown, const QString &asWritten)
{
    return !symbol || shown != asWritten;
}

const LineSetting::Face &LineSetting::face(bool symbol, int points)
{
    const int key = points * 2 + (symbol ? 1 : 0);
    auto found = m_faces.find(key);
    if (found == m_faces.end()) {
        Face f{Fonts::pageFont(faceName(symbol), points), 0, 0};
        found = m_faces.insert(key, f);
        found->wordSpace = widestGap(measure({{}, symbol, points, QStringLiteral("n n"), 0}).ink);
        found->letterSpace = std::max(1, widestGap(measure({{}, symbol, points, QStringLiteral("nn"), 0}).ink));
    }
    return *found;
}

const LineSetting::Measure &LineSetting::measure(const Written &text)
{
    const int fontKey = text.points * 2 + (text.symbol ? 1 : 0);
    const MeasureKey key{fontKey, text.text};
    auto found = m_measures.constFind(key);
    if (found != m_measures.constEnd())
        return *found;
    if (m_measures.size() >= qsizetype(MostPieces))
        m_measures.clear();
    const QFont &font = face(text.symbol, text.points).font;
    const GlyphCache::Run &run = m_glyphs.run(text.text, font, fontKey, qRgb(0, 0, 0));
    return *m_measures.insert(key, {Fonts::layOut(font, text.text), run.ink});
}

void LineSetting::cover(const QRect &area)
{
    std::erase_if(m_pieces, [&](Piece &p) {
        return area.contains(QRect(p.written.at, QPoint(p.right - 1, p.written.at.y() + p.height - 1)));
    });
}

void LineSetting::frameDrawn()
{
    for (Piece &p : m_pieces)
        p.op = -1;
}

std::vector<std::size_t> LineSetting::lineOf(std::size_t index)
{
    const Piece &own = m_pieces[index];
    // Only texts near its row can be on its line.
    std::vector<std::size_t> row;
    for (std::size_t i = 0; i < m_pieces.size(); ++i)
        if (std::abs(m_pieces[i].written.at.y() - own.written.at.y()) <= 2 * RowDrift)
            row.push_back(i);
    std::vector<std::size_t> line{index};
    std::vector<char> taken(row.size(), 0);
    for (std::size_t k = 0; k < line.size(); ++k) {
        const Piece &m = m_pieces[line[k]];
        for (std::size_t r = 0; r < row.size(); ++r) {
            const Piece &p = m_pieces[row[r]];
            if (taken[r] || row[r] == index || p.written.colour != m.written.colour
                || std::abs(p.written.at.y() - m.written.at.y()) > RowDrift)
                continue;
            // Texts no more than a cell's height apart are pieces of one line.
            const int reach = std::max(m.height, p.height);
            if (p.written.at.x() <= m.right + reach && m.written.at.x() <= p.right + reach) {
                taken[r] = 1;
                line.push_back(row[r]);
            }
        }
    }
    return line;
}

void LineSetting::write(const Written &text, bool letter, QSize cell, std::ptrdiff_t op,
                        std::vector<std::pair<std::ptrdiff_t, Placement>> &moved)
{
    moved.clear();
    const Piece piece{text, letter, text.at.x() + cell.width(), cell.height(), op};
    moved.emplace_back(op, Placement{text.at.x(), {}, true, true});
    // What is written where the same face and size wrote before takes its place.
    const auto replaced = std::find_if(m_pieces.begin(), m_pieces.end(), [&](const Piece &p) {
        return p.written.at == text.at && p.written.symbol == text.symbol && p.written.points == text.points;
    });
    std::size_t index;
    if (replaced != m_pieces.end()) {
        *replaced = piece;
        index = std::size_t(replaced - m_pieces.begin());
    } else {
        if (m_pieces.size() >= MostPieces)
            m_pieces.erase(m_pieces.begin(), m_pieces.begin() + std::ptrdiff_t(MostPieces / 2));
        m_pieces.push_back(piece);
        index = m_pieces.size() - 1;
    }
    // Most texts have no Greek letter near them, nor a letter a line: they stay as written.
    const bool partnered = std::any_of(m_pieces.begin(), m_pieces.end(), [&](const Piece &p) {
        return p.letter != letter && p.written.colour == text.colour && std::abs(p.written.at.y() - text.at.y()) <= 2 * RowDrift;
    });
    if (partnered)
        set(lineOf(index), moved);
}

void LineSetting::set(std::vector<std::size_t> line, std::vector<std::pair<std::ptrdiff_t, Placement>> &moved)
{
    // The same line comes back every tick: its setting is worked out once.
    std::sort(line.begin(), line.end(), [&](std::size_t a, std::size_t b) {
        const Written &p = m_pieces[a].written, &q = m_pieces[b].written;
        return std::tuple(p.at.x(), p.at.y(), p.symbol) < std::tuple(q.at.x(), q.at.y(), q.symbol);
    });
    LineKey key;
    for (std::size_t i : line)
        key.texts.push_back(m_pieces[i].written);
    auto found = m_settings.constFind(key);
    if (found == m_settings.constEnd()) {
        if (m_settings.size() >= qsizetype(MostLines))
            m_settings.clear();
        found = m_settings.insert(key, placements(line));
    }
    const std::vector<Placement> &placed = *found;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const Piece &piece = m_pieces[line[k]];
        if (piece.op < 0)
            continue;
        const auto entry = std::find_if(moved.begin(), moved.end(), [&](const auto &m) { return m.first == piece.op; });
        if (entry != moved.end())
            entry->second = placed[k];
        else
            moved.emplace_back(piece.op, placed[k]);
    }
}

std::vector<LineSetting::Placement> LineSetting::placements(const std::vector<std::size_t> &line)
{
    std::vector<std::size_t> texts, letters;
    for (std::size_t i : line)
        (m_pieces[i].letter ? letters : texts).push_back(i);
    std::vector<Placement> placed(line.size());
    const auto at = [&](std::size_t piece) { return std::size_t(std::find(line.begin(), line.end(), piece) - line.begin()); };
    for (std::size_t k = 0; k < line.size(); ++k)
        placed[k].x = m_pieces[line[k]].written.at.x();

    if (!texts.empty() && !letters.empty()) {
        const auto byX = [&](std::size_t a, std::size_t b) { return m_pieces[a].written.at.x() < m_pieces[b].written.at.x(); };
        std::sort(texts.begin(), texts.end(), byX);
        std::sort(letters.begin(), letters.end(), byX);

        // Each letter in the run of spaces nearest to it, of the text whose cell it starts in.
        struct Held { std::size_t text; int run; };
        std::vector<std::optional<Held>> held(letters.size());
        for (std::size_t l = 0; l < letters.size(); ++l) {
            const Written &g = m_pieces[letters[l]].written;
            for (std::size_t t : texts) {
                const Written &w = m_pieces[t].written;
                if (g.at.x() <= w.at.x() || g.at.x() >= m_pieces[t].right)
                    continue;
                const int best = SpaceRuns(w.text).holding(measure(w).laid, w.at.x(), g.at.x());
                if (best >= 0) {
                    held[l] = Held{t, best};
                    break;
                }
            }
        }

        // The line left to right: the texts' fragments between the runs that hold letters, with
        // those letters in their runs, and the other letters where the page put them.
        struct Item
        {
            std::size_t piece;
            bool letter;
            int from = 0, to = 0; // a fragment's characters
            int lo = INT_MIN, hi = INT_MAX; // its columns of the text's ink, in the text's cell
            int left;             // where the page placed its first character
        };
        std::vector<Item> items;
        for (std::size_t t : texts) {
            const Written &w = m_pieces[t].written;
            const LaidOutText &laid = measure(w).laid;
            const SpaceRuns spaceRuns(w.text);
            const std::vector<SpaceRuns::Run> &runs = spaceRuns.runs();
            int from = 0, lo = INT_MIN;
            const auto fragment = [&](int to, int hi) {
                if (w.text.mid(from, to - from).trimmed().isEmpty())
                    return;
                items.push_back({t, false, from, to, lo, hi, w.at.x() + laid.x(from)});
            };
            for (int r = 0; r < int(runs.size()); ++r) {
                std::vector<std::size_t> in;
                for (std::size_t l = 0; l < letters.size(); ++l)
                    if (held[l] && held[l]->text == t && held[l]->run == r)
                        in.push_back(letters[l]);
                if (in.empty())
                    continue;
                const int middle = Fonts::GlyphInset + (laid.x(runs[r].first) + laid.x(runs[r].end)) / 2;
                fragment(runs[r].first, middle);
                for (std::size_t l : in)
                    items.push_back({l, true, 0, 0, INT_MIN, INT_MAX, m_pieces[l].written.at.x()});
                from = runs[r].end;
                lo = middle;
            }
            fragment(int(w.text.size()), INT_MAX);
        }
        for (std::size_t l = 0; l < letters.size(); ++l) {
            if (held[l])
                continue;
            const int x = m_pieces[letters[l]].written.at.x();
            const auto next = std::find_if(items.begin(), items.end(), [&](const Item &i) { return i.left > x; });
            items.insert(next, {letters[l], true, 0, 0, INT_MIN, INT_MAX, x});
        }

        // An item's ink columns relative to its left, on the page's rows top..bottom (all its
        // rows when it has none there).
        const auto extent = [&](const Item &item, int top, int bottom) {
            const Written &w = m_pieces[item.piece].written;
            const Measure &m = measure(w);
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
        };
        // The rows of a letter's ink, on the page.
        const auto rowsOf = [&](const Item &item) {
            const Written &w = m_pieces[item.piece].written;
            int top = INT_MAX, bottom = INT_MIN;
            for (const PixelRun &r : measure(w).ink)
                top = std::min(top, w.at.y() + r.y), bottom = std::max(bottom, w.at.y() + r.y);
            return std::pair{top, bottom};
        };
        const auto characters = [&](const Item &item) {
            const Written &w = m_pieces[item.piece].written;
            return item.letter ? std::pair{w.text, 0} : std::pair{w.text, item.from};
        };
        const std::size_t anchor = std::size_t(std::find_if(items.begin(), items.end(), [](const Item &i) { return !i.letter; }) - items.begin());
        // Texts of spaces alone: nothing to set the letters around.
        if (anchor == items.size())
            return placed;
        const Face &lineFace = face(false, m_pieces[items[anchor].piece].written.points);

        // The gap between two neighbours: a word space or the letter spacing of the line's face.
        bool gluedToNumber = false;
        const auto gapBetween = [&](const Item &a, const Item &b, bool &gluedResult) {
            const auto [aText, aFrom] = characters(a);
            const int aEnd = a.letter ? int(aText.size()) : a.to;
            int l = aEnd - 1;
            while (l >= aFrom && aText[l] == QLatin1Char(' '))
                --l;
            const auto [bText, bFrom] = characters(b);
            int r = bFrom;
            while (r < bText.size() && bText[r] == QLatin1Char(' '))
                ++r;
            Junction j{l > 0 ? aText[l - 1] : QChar(), l >= 0 ? aText[l] : QChar(), r < bText.size() ? bText[r] : QChar(),
                       r + 1 < bText.size() ? bText[r + 1] : QChar(), b.letter, a.letter && gluedToNumber};
            gluedResult = glued(j);
            const Face &f = a.letter && b.letter ? lineFace
                                                 : face(false, m_pieces[(a.letter ? b : a).piece].written.points);
            return std::pair{gluedResult ? f.letterSpace : f.wordSpace, j.left.isDigit()};
        };

        std::vector<int> x(items.size());
        std::vector<char> spacedBefore(items.size(), 1), spacedAfter(items.size(), 1);
        x[anchor] = items[anchor].left;
        int carried = 0; // how far the line has moved where the page placed its texts
        for (std::size_t i = anchor + 1; i < items.size(); ++i) {
            const Item &a = items[i - 1], &b = items[i];
            if (!a.letter && !b.letter) {
                x[i] = b.left + carried;
                continue;
            }
            const auto [top, bottom] = rowsOf(a.letter ? a : b);
            bool isGlued = false;
            const auto [gap, leftIsDigit] = gapBetween(a, b, isGlued);
            gluedToNumber = b.letter && isGlued && leftIsDigit;
            spacedAfter[i - 1] = spacedBefore[i] = !isGlued;
            x[i] = x[i - 1] + extent(a, top, bottom).last + 1 + gap - extent(b, top, bottom).first;
            if (!b.letter)
                carried = x[i] - b.left;
        }
        for (std::size_t i = anchor; i-- > 0;) {
            const Item &a = items[i], &b = items[i + 1];
            const auto [top, bottom] = rowsOf(a);
            bool isGlued = false;
            gluedToNumber = false;
            const int gap = gapBetween(a, b, isGlued).first;
            spacedAfter[i] = spacedBefore[i + 1] = !isGlued;
            x[i] = x[i + 1] + extent(b, top, bottom).first - gap - 1 - extent(a, top, bottom).last;
        }

        // Each text where its first fragment now starts, its later fragments shifted from there;
        // each letter where it now sits.
        std::vector<int> lastMove(line.size(), INT_MIN);
        for (std::size_t i = 0; i < items.size(); ++i) {
            Placement &p = placed[at(items[i].piece)];
            if (items[i].letter) {
                p.x = x[i];
                p.spacedBefore = spacedBefore[i];
                p.spacedAfter = spacedAfter[i];
                continue;
            }
            const int move = x[i] - items[i].left;
            int &last = lastMove[at(items[i].piece)];
            if (last == INT_MIN)
                p.x = m_pieces[items[i].piece].written.at.x() + move;
            else if (move != last)
                p.shifts.push_back({items[i].from, move - last});
            last = move;
        }
    }

    return placed;
}

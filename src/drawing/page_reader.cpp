#include "drawing/page_reader.h"

#include "drawing/fonts.h"
#include "drawing/space_runs.h"

#include <algorithm>
#include <cstdlib>

namespace {
// A text counts as still shown while this share of its ink is still in its colour.
constexpr double ShownInk = 0.9;
// Texts whose tops lie this close (pixels) are on one row; a Greek letter sits that close to
// the top of its line.
constexpr int RowDrift = 4;
// Lines of a paragraph follow each other by at most this many times their height.
constexpr double ParagraphSpacing = 1.3;
// Where a text is drawn alone to find its ink: far enough from the scratch picture's edges for
// any glyph's overhang. A text wider than the picture keeps the ink of what fits in it.
constexpr int InkMargin = 16;
// Inks kept at most; no page writes so many different texts.
constexpr int MostInks = 4000;

QRgb opaque(QRgb colour) { return colour | 0xFF000000u; }

// The ink of each text met so far, relative to its cell's top left.
QList<QPoint> inkAtOrigin(const DrawnText &text)
{
    static QHash<QString, QList<QPoint>> inks;
    // A text near the area's right edge is drawn where it was, so that it is fitted to the same room.
    const bool nearEdge = text.cell.right() + InkMargin >= Canvas::Width;
    const int left = nearEdge ? std::max(text.cell.x(), InkMargin) : InkMargin;
    QString key = text.fontName + QLatin1Char('|') + QString::number(text.points) + QLatin1Char('|')
                + QString::number(nearEdge ? left : 0) + QLatin1Char('|') + text.text;
    for (const TextShift &s : text.shifts)
        key += QStringLiteral("|%1:%2").arg(s.from).arg(s.dx);
    if (const auto found = inks.constFind(key); found != inks.cend())
        return *found;

    // Drawn as the canvas drew it, its glyphs moved as its line set them.
    static Raster scratch(1);
    const QRect around(left - InkMargin, 0, text.cell.width() + 2 * InkMargin, text.cell.height() + 2 * InkMargin);
    const QRgb white = qRgb(255, 255, 255), black = opaque(qRgb(0, 0, 0));
    DrawOp clearing{OpKind::Rectangle};
    clearing.pen = clearing.brush = white;
    clearing.at = {around.left(), around.top(), around.right() + 2, around.bottom() + 2};
    clearing.seal();
    scratch.paint(clearing);
    DrawOp op{OpKind::Text};
    op.symbol = Fonts::isSymbol(text.fontName);
    op.points = text.points;
    op.pen = black;
    op.text = text.shown;
    op.shifts = text.shifts;
    op.at = {left, InkMargin};
    op.seal();
    scratch.paint(op);
    const QImage &image = scratch.image();
    QList<QPoint> ink;
    const QRect r = around & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (opaque(image.pixel(x, y)) == black)
                ink.append(QPoint(x - left, y - InkMargin));
    if (inks.size() >= MostInks)
        inks.clear();
    inks.insert(key, ink);
    return ink;
}

// Each page font met so far.
const QFont &fontOf(const DrawnText &text)
{
    static QHash<QString, QFont> fonts;
    const QString key = text.fontName + QLatin1Char('|') + QString::number(text.points);
    auto found = fonts.find(key);
    if (found == fonts.end())
        found = fonts.insert(key, Fonts::pageFont(text.fontName, text.points));
    return *found;
}

// `line` as it reads with the Greek texts written over its gaps: each goes into the run of
// spaces that holds it where its line set it, parted by spaces as the setting reads it; after the
// line's last character when no run holds it.
QString withGreek(const DrawnText &line, QList<DrawnText> greek)
{
    std::sort(greek.begin(), greek.end(), [](const DrawnText &a, const DrawnText &b) { return a.cell.x() < b.cell.x(); });
    const SpaceRuns runs(line.shown);
    const LaidOutText laid = runs.empty() ? LaidOutText() : Fonts::layOut(fontOf(line), line.shown, Raster::roomAt(line.cell.x()), line.shifts);
    QList<QList<const DrawnText *>> inRun(qsizetype(runs.runs().size()));
    QString following;
    for (const DrawnText &g : greek) {
        const int run = runs.empty() ? -1 : runs.holding(laid, line.cell.x(), g.cell.x());
        if (run >= 0)
            inRun[run].append(&g);
        else
            following += (g.spacedBefore ? QStringLiteral(" ") : QString()) + g.shown;
    }
    QString read = line.shown;
    for (qsizetype r = inRun.size() - 1; r >= 0; --r) {
        if (inRun[r].isEmpty())
            continue;
        const SpaceRuns::Run run = runs.runs()[std::size_t(r)];
        QString filled;
        for (const DrawnText *g : inRun[r])
            filled += (g->spacedBefore ? QStringLiteral(" ") : QString()) + g->shown;
        if (inRun[r].last()->spacedAfter)
            filled += QLatin1Char(' ');
        read.replace(run.first, run.end - run.first, filled);
    }
    // No run holds the line's trailing spaces: what follows the line is glued to its last character
    // or parted from it as the setting reads it.
    if (!following.isEmpty()) {
        while (read.endsWith(QLatin1Char(' ')))
            read.chop(1);
        read += following;
    }
    return read;
}

// A piece of the page's text: one text, or texts of a row that follow each other.
struct Piece
{
    QRect cell;
    QString text;
    bool spacedBefore = true, spacedAfter = true; // a Greek letter standing beside a text
};

bool readsBefore(const Piece &a, const Piece &b)
{
    if (std::abs(a.cell.top() - b.cell.top()) > RowDrift)
        return a.cell.top() < b.cell.top();
    return a.cell.left() < b.cell.left();
}

// Texts of one row written one after the other read as one piece: "de fréquence 2 kHz." and
// "Sa valeur moyenne U0 = 2,5V." are one line of the page, two texts of the program.
QList<Piece> joinedAlongRows(QList<Piece> pieces)
{
    std::sort(pieces.begin(), pieces.end(), readsBefore);
    QList<Piece> joined;
    for (const Piece &p : pieces) {
        const auto before = std::find_if(joined.begin(), joined.end(), [&](const Piece &j) {
            return std::abs(j.cell.top() - p.cell.top()) <= RowDrift && p.cell.left() >= j.cell.left()
                && p.cell.left() - j.cell.right() <= j.cell.height();
        });
        if (before == joined.end()) {
            joined.append(p);
            continue;
        }
        before->text += (before->spacedAfter && p.spacedBefore ? QStringLiteral(" ") : QString()) + p.text;
        before->cell |= p.cell;
        before->spacedAfter = p.spacedAfter;
    }
    return joined;
}

// The lines of a paragraph or of a label in a box, close one under the other and overlapping
// across, are read together before what lies beside them.
bool continues(const Piece &last, const Piece &p)
{
    const int down = p.cell.top() - last.cell.top();
    const int reach = last.cell.height();
    const bool aligned = p.cell.left() < last.cell.right() && last.cell.left() < p.cell.right();
    return down > RowDrift && down <= ParagraphSpacing * reach && aligned;
}

QList<QList<Piece>> blocksOf(const QList<Piece> &pieces)
{
    QList<QList<Piece>> blocks;
    for (const Piece &p : pieces) {
        QList<Piece> *into = nullptr;
        for (QList<Piece> &block : blocks)
            if (continues(block.last(), p) && (!into || block.last().cell.top() > into->last().cell.top()))
                into = &block;
        if (into)
            into->append(p);
        else
            blocks.append({p});
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const QList<Piece> &a, const QList<Piece> &b) { return readsBefore(a.first(), b.first()); });
    return blocks;
}

// A Greek text is written over the gap a line of the page's own font leaves for it: the text,
// among `texts`, whose gap holds `greek`, if any.
const DrawnText *lineHolding(const DrawnText &greek, const QList<DrawnText> &texts)
{
    const DrawnText *holder = nullptr;
    for (const DrawnText &t : texts) {
        if (Fonts::isSymbol(t.fontName) || std::abs(t.cell.y() - greek.cell.y()) > RowDrift)
            continue;
        if (greek.cell.left() <= t.cell.left() || greek.cell.left() >= t.cell.right())
            continue;
        if (!holder || std::abs(t.cell.y() - greek.cell.y()) < std::abs(holder->cell.y() - greek.cell.y()))
            holder = &t;
    }
    return holder;
}

// The texts in reading order; Greek letters in their gaps, runs of spaces as one.
QString readingOrder(const QList<DrawnText> &texts)
{
    QHash<const DrawnText *, QList<DrawnText>> greekIn;
    QList<const DrawnText *> standing;
    for (const DrawnText &t : texts) {
        const DrawnText *holder = Fonts::isSymbol(t.fontName) ? lineHolding(t, texts) : nullptr;
        if (holder)
            greekIn[holder].append(t);
        else
            standing.append(&t);
    }
    QList<Piece> pieces;
    for (const DrawnText *t : standing) {
        const auto greek = greekIn.constFind(t);
        const QString read = greek == greekIn.cend() ? t->shown : withGreek(*t, *greek);
        if (!read.trimmed().isEmpty())
            pieces.append({t->cell, read.simplified(), t->spacedBefore, t->spacedAfter});
    }
    QStringList lines;
    for (const QList<Piece> &block : blocksOf(joinedAlongRows(pieces)))
        for (const Piece &p : block)
            lines.append(p.text);
    // The symbol face draws phi in its stroked form; it reads as the letter.
    return lines.join(QLatin1Char('\n')).replace(QChar(0x03D5), QChar(0x03C6));
}
}

QList<QPoint> inkOf(const DrawnText &text)
{
    QList<QPoint> ink = inkAtOrigin(text);
    for (QPoint &p : ink)
        p += text.cell.topLeft();
    return ink;
}

bool stillShown(const DrawnText &text, const QImage &picture)
{
    if (text.colour == Colour::BtnFace)
        return false;
    const QList<QPoint> ink = inkAtOrigin(text);
    const QRgb colour = opaque(toRgb(text.colour));
    const QPoint at = text.cell.topLeft();
    const auto kept = std::count_if(ink.begin(), ink.end(), [&](QPoint p) {
        p += at;
        return picture.rect().contains(p) && opaque(picture.pixel(p)) == colour;
    });
    return !ink.isEmpty() && kept >= ShownInk * ink.size();
}

void PageReader::textDrawn(const DrawnText &text)
{
    m_texts.insert(keyOf(text), {text, ++m_drawn});
    if (m_texts.size() > MostKept)
        forgetOldest();
}

void PageReader::forgetOldest()
{
    QList<quint64> orders;
    orders.reserve(m_texts.size());
    for (const Kept &k : std::as_const(m_texts))
        orders.append(k.order);
    const auto middle = orders.begin() + orders.size() / 2;
    std::nth_element(orders.begin(), middle, orders.end());
    const quint64 oldestKept = *middle;
    m_texts.removeIf([&](const auto &entry) { return entry.value().order < oldestKept; });
}

QString PageReader::read(const QImage &picture)
{
    m_texts.removeIf([&](const auto &entry) { return !stillShown(entry.value().text, picture); });
    QList<Kept> kept = m_texts.values();
    std::sort(kept.begin(), kept.end(), [](const Kept &a, const Kept &b) { return a.order < b.order; });
    // A text written later on an opaque cell that holds an earlier one hides it, even where
    // both ink the same pixels: "3.75" over "3.7".
    QList<DrawnText> texts;
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        const DrawnText &t = it->text;
        const bool covered = std::any_of(it + 1, kept.cend(), [&](const Kept &later) {
            return later.text.opaque && later.text.cell.contains(t.cell);
        });
        if (covered)
            m_texts.remove(keyOf(t));
        else
            texts.append(t);
    }
    return readingOrder(texts);
}

#include "drawing/frame_diff.h"

#include <algorithm>

namespace {
// A frame's changed area is gathered into at most so many rectangles.
constexpr std::size_t MaxPieces = 32;

// Whether the two rectangles share a pixel, or touch when `gap` is 1. (Inline: called for every
// operation and piece of a frame.)
inline bool overlaps(const QRect &a, const QRect &b, int gap = 0)
{
    return a.left() - gap <= b.right() && b.left() <= a.right() + gap && a.top() - gap <= b.bottom()
        && b.top() <= a.bottom() + gap;
}

inline QRect united(const QRect &a, const QRect &b)
{
    return QRect(QPoint(std::min(a.left(), b.left()), std::min(a.top(), b.top())),
                 QPoint(std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())));
}

inline qint64 area(const QRect &a) { return qint64(a.width()) * a.height(); }

// Adds `r` to the pieces: into one it touches when that wastes little, or as a new one, or when
// there are enough, into the one it enlarges least. The piece `last` took the operation before,
// which a trace's next segment mostly touches, is tried first; then `last` is the one that took `r`.
void addPiece(std::vector<QRect> &pieces, const QRect &r, std::size_t &last)
{
    if (r.isEmpty())
        return;
    const auto growth = [&](const QRect &p) { return area(united(p, r)) - area(p); };
    if (last < pieces.size() && overlaps(pieces[last], r, 1) && growth(pieces[last]) <= area(r)) {
        pieces[last] = united(pieces[last], r);
        return;
    }
    auto best = pieces.end();
    qint64 bestGrowth = 0;
    for (auto p = pieces.begin(); p != pieces.end(); ++p) {
        const qint64 g = growth(*p);
        if (g <= area(r) && overlaps(*p, r, 1)) {
            *p = united(*p, r);
            last = std::size_t(p - pieces.begin());
            return;
        }
        if (best == pieces.end() || g < bestGrowth)
            best = p, bestGrowth = g;
    }
    if (pieces.size() < MaxPieces) {
        last = pieces.size();
        pieces.push_back(r);
    } else {
        last = std::size_t(best - pieces.begin());
        *best = united(*best, r);
    }
}
}

bool FrameDiff::draw(std::vector<DrawOp> &frame, Raster &raster, QRegion &changed)
{
    if (frame == m_previous) {
        frame.clear();
        return false;
    }
    match(m_previous, frame, m_keptBefore, m_keptAfter);
    // An operation kept from the frame before reaches what it reached there.
    m_frameBounds.resize(frame.size());
    for (std::size_t i = 0; i < frame.size(); ++i)
        m_frameBounds[i] = m_keptAfter[i] ? m_previousBounds[m_matched[i]] : raster.bounds(frame[i]);
    findPieces(frame);
    paintPieces(frame, raster);
    for (const QRect &piece : m_pieces)
        changed += piece;
    std::swap(m_previous, frame);
    std::swap(m_previousBounds, m_frameBounds);
    frame.clear();
    return true;
}

void FrameDiff::forget()
{
    m_previous.clear();
    m_previousBounds.clear();
}

void FrameDiff::findPieces(const std::vector<DrawOp> &frame)
{
    m_pieces.clear();
    std::size_t last = 0;
    for (std::size_t i = 0; i < m_previous.size(); ++i)
        if (!m_keptBefore[i])
            addPiece(m_pieces, m_previousBounds[i], last);
    for (std::size_t i = 0; i < frame.size(); ++i)
        if (!m_keptAfter[i])
            addPiece(m_pieces, m_frameBounds[i], last);
}

void FrameDiff::paintPieces(const std::vector<DrawOp> &frame, Raster &raster)
{
    if (m_pieces.empty())
        return;
    QRect all = m_pieces.front();
    for (const QRect &piece : m_pieces)
        all = united(all, piece);
    // Where pieces overlap an operation paints the same pixels twice, which leaves them as once.
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (!overlaps(m_frameBounds[i], all))
            continue;
        m_reached.clear();
        for (const QRect &piece : m_pieces)
            if (overlaps(m_frameBounds[i], piece))
                m_reached.push_back(piece);
        raster.paint(frame[i], m_reached);
    }
}

void FrameDiff::match(std::span<const DrawOp> before, std::span<const DrawOp> after, std::vector<char> &keptBefore,
                      std::vector<char> &keptAfter)
{
    keptBefore.assign(before.size(), 0);
    keptAfter.assign(after.size(), 0);
    m_matched.resize(after.size());
    const auto keep = [&](std::size_t i, std::size_t j) {
        keptBefore[i] = keptAfter[j] = 1;
        m_matched[j] = i;
    };
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        keep(head, head), ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        keep(before.size() - 1 - tail, after.size() - 1 - tail);
        ++tail;
    }

    m_byHash.clear();
    for (std::size_t i = head; i < before.size() - tail; ++i)
        m_byHash.emplace_back(before[i].hash, i);
    std::sort(m_byHash.begin(), m_byHash.end());
    std::size_t next = head; // in `before`: matches must come after the last one
    for (std::size_t j = head; j < after.size() - tail; ++j) {
        auto candidate = std::lower_bound(m_byHash.begin(), m_byHash.end(), std::pair(after[j].hash, next));
        for (; candidate != m_byHash.end() && candidate->first == after[j].hash; ++candidate) {
            if (before[candidate->second] == after[j]) {
                keep(candidate->second, j);
                next = candidate->second + 1;
                break;
            }
        }
    }
}

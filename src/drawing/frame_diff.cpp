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
// there are enough, into the one it enlarges least.
void addPiece(std::vector<QRect> &pieces, const QRect &r)
{
    if (r.isEmpty())
        return;
    const auto growth = [&](const QRect &p) { return area(united(p, r)) - area(p); };
    auto best = pieces.end();
    qint64 bestGrowth = 0;
    for (auto p = pieces.begin(); p != pieces.end(); ++p) {
        const qint64 g = growth(*p);
        if (g <= area(r) && overlaps(*p, r, 1)) {
            *p = united(*p, r);
            return;
        }
        if (best == pieces.end() || g < bestGrowth)
            best = p, bestGrowth = g;
    }
    if (pieces.size() < MaxPieces)
        pieces.push_back(r);
    else
        *best = united(*best, r);
}
}

bool FrameDiff::draw(std::vector<DrawOp> &frame, Raster &raster, QRegion &changed)
{
    if (frame == m_previous) {
        frame.clear();
        return false;
    }
    m_frameBounds.clear();
    for (const DrawOp &op : frame)
        m_frameBounds.push_back(raster.bounds(op));
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
    match(m_previous, frame, m_keptBefore, m_keptAfter);
    m_pieces.clear();
    for (std::size_t i = 0; i < m_previous.size(); ++i)
        if (!m_keptBefore[i])
            addPiece(m_pieces, m_previousBounds[i]);
    for (std::size_t i = 0; i < frame.size(); ++i)
        if (!m_keptAfter[i])
            addPiece(m_pieces, m_frameBounds[i]);
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
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        keptBefore[head] = keptAfter[head] = 1, ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        keptBefore[before.size() - 1 - tail] = keptAfter[after.size() - 1 - tail] = 1;
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
                keptBefore[candidate->second] = keptAfter[j] = 1;
                next = candidate->second + 1;
                break;
            }
        }
    }
}

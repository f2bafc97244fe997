#include "drawing/drawing_list.h"

#include <QRect>
#include <algorithm>
#include <cstring>

namespace {
// Hidden operations are dropped once they outnumber the others and this many.
constexpr std::size_t CompactAfter = 1024;
// Operations wholly covered by later ones are looked for once the list has grown to this many,
// then each time it has doubled since.
constexpr std::size_t SweepFrom = 1500;

// The pixels of an operation that paints a whole rectangle at every scale (a one-pixel solid
// straight line, a rectangle with a one-pixel solid outline), within the area; null otherwise.
QRect solidBlock(const DrawOp &op)
{
    if (op.penWidth != 1 || op.style != PenStyle::Solid)
        return {};
    const QPoint from(op.at[0], op.at[1]), to(op.at[2], op.at[3]);
    QRect r;
    if (op.kind == OpKind::Line && from != to && (from.x() == to.x() || from.y() == to.y())) {
        const QPoint last = to - QPoint((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
        r = QRect(QPoint(std::min(from.x(), last.x()), std::min(from.y(), last.y())),
                  QPoint(std::max(from.x(), last.x()), std::max(from.y(), last.y())));
    } else if (op.kind == OpKind::Rectangle && to.x() - from.x() >= 2 && to.y() - from.y() >= 2) {
        r = QRect(from, to - QPoint(1, 1));
    }
    return r & QRect(0, 0, Raster::Width, Raster::Height);
}

// Which pixels of the area later operations cover, one byte a pixel.
class Coverage
{
public:
    Coverage() : m_covered(std::size_t(Raster::Width) * Raster::Height, 0) {}
    bool covers(const QRect &r) const
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            if (std::memchr(row(y) + r.left(), 0, std::size_t(r.width())))
                return false;
        return true;
    }
    void add(const QRect &r)
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memset(row(y) + r.left(), 1, std::size_t(r.width()));
    }

private:
    unsigned char *row(int y) { return m_covered.data() + std::size_t(y) * Raster::Width; }
    const unsigned char *row(int y) const { return m_covered.data() + std::size_t(y) * Raster::Width; }
    std::vector<unsigned char> m_covered;
};

DrawOp blankArea()
{
    DrawOp op{OpKind::Rectangle};
    op.pen = op.brush = qRgb(255, 255, 255);
    op.at = {0, 0, Raster::Width, Raster::Height};
    op.seal();
    return op;
}
}

DrawingList::DrawingList()
{
    const DrawOp blank = blankArea();
    add(std::span(&blank, 1));
}

bool DrawingList::clearsAll(const DrawOp &op)
{
    return op.kind == OpKind::Rectangle && op.style == PenStyle::Solid && op.at[0] <= 0 && op.at[1] <= 0
        && op.at[2] >= Raster::Width && op.at[3] >= Raster::Height;
}

void DrawingList::add(std::span<const DrawOp> ops)
{
    for (const DrawOp &op : ops) {
        if (clearsAll(op)) {
            m_ops.clear();
            m_isHidden.clear();
            // A page that clears the area each tick draws about as much again: room made once.
            const qsizetype drawn = m_latestCovering.size();
            m_latestCovering.clear();
            m_latestCovering.reserve(drawn);
            m_hidden = 0;
            m_sweepAt = SweepFrom;
        }
        const auto earlier = m_latestCovering.constFind(op.coverageHash);
        if (earlier != m_latestCovering.constEnd() && !m_isHidden[*earlier] && m_ops[*earlier].sameCoverage(op)) {
            m_isHidden[*earlier] = 1;
            ++m_hidden;
        }
        m_latestCovering.insert(op.coverageHash, m_ops.size());
        m_ops.push_back(op);
        m_isHidden.push_back(0);
    }
    if (m_ops.size() - m_hidden > m_sweepAt)
        sweep();
    else if (m_hidden > CompactAfter + m_ops.size() - m_hidden)
        compact();
}

void DrawingList::assign(const std::vector<DrawOp> &ops)
{
    m_ops = ops;
    m_isHidden.assign(m_ops.size(), 0);
    m_hidden = 0;
    compact();
    m_sweepAt = std::max(SweepFrom, 2 * m_ops.size());
}

const std::vector<DrawOp> &DrawingList::compacted()
{
    if (m_hidden)
        compact();
    return m_ops;
}

void DrawingList::paint(Raster &raster) const
{
    for (std::size_t i = 0; i < m_ops.size(); ++i)
        if (!m_isHidden[i])
            raster.paint(m_ops[i]);
}

void DrawingList::sweep()
{
    // From the last operation back: one that paints a block already covered by later blocks is
    // hidden at every scale.
    Coverage later;
    for (std::size_t i = m_ops.size(); i-- > 0;) {
        if (m_isHidden[i])
            continue;
        const QRect block = solidBlock(m_ops[i]);
        if (block.isNull())
            continue;
        if (later.covers(block)) {
            m_isHidden[i] = 1;
            ++m_hidden;
        } else {
            later.add(block);
        }
    }
    compact();
    m_sweepAt = std::max(SweepFrom, 2 * m_ops.size());
}

void DrawingList::compact()
{
    std::vector<DrawOp> shown;
    shown.reserve(m_ops.size() - m_hidden);
    for (std::size_t i = 0; i < m_ops.size(); ++i)
        if (!m_isHidden[i])
            shown.push_back(std::move(m_ops[i]));
    m_ops = std::move(shown);
    m_isHidden.assign(m_ops.size(), 0);
    m_hidden = 0;
    m_latestCovering.clear();
    for (std::size_t i = 0; i < m_ops.size(); ++i)
        m_latestCovering.insert(m_ops[i].coverageHash, i);
}

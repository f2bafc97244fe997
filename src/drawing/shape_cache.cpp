#include "drawing/shape_cache.h"

#include <algorithm>
#include <cstring>

namespace {
// Aliased drawing in opaque colours writes these exactly; the blank scratch is zero.
constexpr QRgb PenMark = 0xFFFF0000u;
constexpr QRgb BrushMark = 0xFF0000FFu;
}

const ShapeCache::Runs *ShapeCache::find(const QList<int> &key) const
{
    const auto found = m_shapes.constFind(key);
    return found == m_shapes.constEnd() ? nullptr : &*found;
}

QPainter &ShapeCache::prepare(QPen pen, bool filled)
{
    if (m_scratch.isNull()) {
        m_scratch = QImage(m_area, QImage::Format_RGB32);
        m_blankRow.assign(std::size_t(m_area.width()), 0);
        std::memset(m_scratch.bits(), 0, std::size_t(m_scratch.sizeInBytes()));
        m_painter.begin(&m_scratch);
    }
    pen.setColor(QColor::fromRgb(PenMark));
    m_painter.setPen(pen);
    m_painter.setBrush(filled ? QBrush(QColor::fromRgb(BrushMark)) : QBrush(Qt::NoBrush));
    return m_painter;
}

const ShapeCache::Runs &ShapeCache::keep(const QList<int> &key, const QRect &area)
{
    if (m_shapes.size() >= MaxShapes)
        m_shapes.clear();
    Runs runs;
    const QRect r = area & m_scratch.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(m_scratch.scanLine(y));
        // Rows the shape does not reach are passed over whole.
        if (std::memcmp(row + r.left(), m_blankRow.data(), std::size_t(r.width()) * sizeof(QRgb)) == 0)
            continue;
        for (int x = r.left(); x <= r.right();) {
            const QRgb colour = row[x];
            int end = x + 1;
            while (end <= r.right() && row[end] == colour)
                ++end;
            if (colour != 0) {
                (colour == PenMark ? runs.pen : runs.brush).push_back({x, y, end - x});
                std::fill(row + x, row + end, 0);
            }
            x = end;
        }
    }
    return *m_shapes.insert(key, std::move(runs));
}

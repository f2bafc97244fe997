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

QPainter &ShapeCache::prepare(const QRect &area, QPen pen, bool filled)
{
    if (m_scratch.width() < area.width() || m_scratch.height() < area.height()) {
        if (m_painter.isActive())
            m_painter.end();
        m_scratch = QImage(std::max(m_scratch.width(), area.width()), std::max(m_scratch.height(), area.height()),
                           QImage::Format_RGB32);
        std::memset(m_scratch.bits(), 0, std::size_t(m_scratch.sizeInBytes()));
    }
    if (!m_painter.isActive())
        m_painter.begin(&m_scratch);
    m_painter.resetTransform();
    // Clipped to the shape's area, which the drawing area's edges bound where they clip it.
    m_painter.setClipRect(QRect(QPoint(), area.size()));
    m_painter.translate(-area.left(), -area.top());
    pen.setColor(QColor::fromRgb(PenMark));
    m_painter.setPen(pen);
    m_painter.setBrush(filled ? QBrush(QColor::fromRgb(BrushMark)) : QBrush(Qt::NoBrush));
    return m_painter;
}

const ShapeCache::Runs &ShapeCache::keep(const QList<int> &key, const QRect &area, const QRect &leftOut)
{
    if (m_shapes.size() >= MaxShapes)
        m_shapes.clear();
    Runs runs;
    const auto add = [&](QRgb colour, int x, int y, int length) {
        (colour == PenMark ? runs.pen : runs.brush).push_back({x, y, length});
    };
    for (int y = 0; y < area.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(m_scratch.scanLine(y));
        const int areaY = area.top() + y;
        const bool cut = areaY >= leftOut.top() && areaY <= leftOut.bottom();
        for (int x = 0; x < area.width();) {
            const QRgb colour = row[x];
            int end = x + 1;
            while (end < area.width() && row[end] == colour)
                ++end;
            if (colour != 0) {
                std::fill(row + x, row + end, 0);
                const int from = area.left() + x, to = area.left() + end;
                if (!cut) {
                    add(colour, from, areaY, to - from);
                } else {
                    // The pixels before and after the part left out.
                    if (from < leftOut.left())
                        add(colour, from, areaY, std::min(to, leftOut.left()) - from);
                    if (to > leftOut.right() + 1)
                        add(colour, std::max(from, leftOut.right() + 1), areaY, to - std::max(from, leftOut.right() + 1));
                }
            }
            x = end;
        }
    }
    return *m_shapes.insert(key, std::move(runs));
}

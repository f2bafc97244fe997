#pragma once
// Pieces shared by the two open-loop Bode pictures: asymptotes given as corner points, square
// steps of exact pixel thickness, and labels laid out from tables.
#include "picture_kit.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <algorithm>
#include <initializer_list>

namespace bode {

struct Label
{
    int x, y; // top left of the text cell
    const char *text;
};

inline void labels(kit::Sheet &sheet, std::initializer_list<Label> table, const QFont &font)
{
    for (const Label &label : table)
        sheet.text(label.x, label.y, QString::fromUtf8(label.text), font);
}

// A straight asymptote through its corners, one pixel wide.
inline void polyline(kit::Sheet &sheet, std::initializer_list<QPoint> corners)
{
    const QPoint *previous = nullptr;
    for (const QPoint &corner : corners) {
        if (previous)
            sheet.line(*previous, corner);
        previous = &corner;
    }
}

// A staircase of horizontal and vertical strokes through `corners`, filled pixel for pixel: a
// thick stroke covers exactly the `thickness` rows (or columns) ending at the given coordinate,
// and the ends stay where they are given, whatever side a pen would put its extra pixels on.
inline void staircase(kit::Sheet &sheet, std::initializer_list<QPoint> corners, int thickness)
{
    const QPoint *previous = nullptr;
    for (const QPoint &corner : corners) {
        if (previous) {
            const QPoint low(std::min(previous->x(), corner.x()), std::min(previous->y(), corner.y()));
            const QPoint high(std::max(previous->x(), corner.x()), std::max(previous->y(), corner.y()));
            // Widen across the stroke only, and let verticals also fill the corners they turn.
            const int grow = thickness - 1;
            const QPoint from = low - (low.x() == high.x() ? QPoint(grow, grow) : QPoint(0, grow));
            sheet.fill(QRect(from, high));
        }
        previous = &corner;
    }
}

}

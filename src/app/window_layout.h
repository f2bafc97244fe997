#pragma once
// Where the window's classic layout goes: every position, size and font of its controls and of
// the drawing area multiplied by a whole factor, from an origin (the window's top left, or the
// place that centres the layout on a full screen).
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

class WindowLayout
{
public:
    static constexpr int MaxFactor = 4;
    // The controls' extent at factor 1, the speed marks and a margin included: the list, lowest,
    // ends 8 pixels above its bottom.
    static constexpr QSize Classic{800, 563};
    // What a window's title bar and borders take at most.
    static constexpr QSize FrameAllowance{16, 48};
    // The drawing area's top left in the classic layout: a control over a drawn place sits there
    // plus that place.
    static constexpr QPoint DrawingOrigin{10, 16};

    int factor = 1;
    QPoint origin;

    QRect place(const QRect &classic) const;
    QPoint place(QPoint classic) const { return origin + classic * factor; }
    QRect area() const { return QRect(origin, Classic * factor); }
    // A font of the classic layout, enlarged with it.
    QFont font(const QFont &classic) const;

    // The largest factor whose layout fits `room` (at least 1).
    static int largestFitting(QSize room);
};

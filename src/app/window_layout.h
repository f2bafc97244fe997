#pragma once
// Where the window's classic layout goes: every position, size and font of its controls and of
// the drawing area multiplied by a factor, whole or not, from an origin (the window's top left, or
// the place that centres the layout on a full screen). Edges are rounded to the pixel as the
// drawing area's picture rounds its own, so a control over a drawn place stays on it.
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

class WindowLayout
{
public:
    static constexpr qreal MaxFactor = 4;
    // The factors the zoom keys step through.
    static constexpr std::array<qreal, 8> Steps{1, 1.25, 1.5, 1.75, 2, 2.5, 3, 4};
    // The controls' extent at factor 1, the speed marks and a margin included: the list, lowest,
    // ends 8 pixels above its bottom.
    static constexpr QSize Classic{800, 563};
    // What a window's title bar and borders take at most.
    static constexpr QSize FrameAllowance{16, 48};
    // The drawing area's top left in the classic layout: a control over a drawn place sits there
    // plus that place.
    static constexpr QPoint DrawingOrigin{10, 16};

    qreal factor = 1;
    QPoint origin;

    QRect place(const QRect &classic) const;
    QPoint place(QPoint classic) const;
    // A size of the classic layout, enlarged (the drawing area's is its picture's).
    QSize scaled(QSize classic) const;
    QRect area() const { return QRect(origin, scaled(Classic)); }
    // A font of the classic layout, enlarged with it.
    QFont font(const QFont &classic) const;

    // The largest whole factor whose layout fits `room` (at least 1): the window's first size.
    static int largestWholeFitting(QSize room);
    // The largest factor to the hundredth whose layout fits `room`, from 1 to MaxFactor.
    static qreal largestFitting(QSize room);
    // The zoom keys' next factor up from `factor`, no larger than `largest`; and down.
    static qreal stepUp(qreal factor, qreal largest);
    static qreal stepDown(qreal factor);
};

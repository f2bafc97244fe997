#include "app/window_layout.h"

#include "drawing/raster.h"

#include <algorithm>
#include <cmath>

QPoint WindowLayout::place(QPoint classic) const
{
    return origin + Raster::edge(classic, factor);
}

QRect WindowLayout::place(const QRect &classic) const
{
    return QRect(place(classic.topLeft()), place(classic.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
}

QSize WindowLayout::scaled(QSize classic) const
{
    return QSize(Raster::edge(classic.width(), factor), Raster::edge(classic.height(), factor));
}

QFont WindowLayout::font(const QFont &classic) const
{
    QFont font = classic;
    if (classic.pixelSize() > 0)
        font.setPixelSize(int(std::lround(classic.pixelSize() * factor)));
    else
        font.setPointSizeF(classic.pointSizeF() * factor);
    return font;
}

int WindowLayout::largestWholeFitting(QSize room)
{
    int factor = int(MaxFactor);
    while (factor > 1 && (Classic.width() * factor > room.width() || Classic.height() * factor > room.height()))
        --factor;
    return factor;
}

qreal WindowLayout::largestFitting(QSize room)
{
    constexpr int Hundredths = 100;
    int hundredths = int(std::floor(std::min(qreal(room.width()) / Classic.width(), qreal(room.height()) / Classic.height())
                                    * Hundredths));
    hundredths = std::clamp(hundredths, Hundredths, int(MaxFactor * Hundredths));
    // The rounding of the edges may take a pixel more than the exact product.
    const auto fits = [&](int h) {
        const WindowLayout layout{qreal(h) / Hundredths, {}};
        return h == Hundredths || QRect(QPoint(), room).contains(layout.area());
    };
    while (!fits(hundredths))
        --hundredths;
    return qreal(hundredths) / Hundredths;
}

qreal WindowLayout::stepUp(qreal factor, qreal largest)
{
    const auto next = std::upper_bound(Steps.begin(), Steps.end(), factor);
    return next == Steps.end() ? std::min(factor, largest) : std::min(*next, largest);
}

qreal WindowLayout::stepDown(qreal factor)
{
    const auto below = std::lower_bound(Steps.begin(), Steps.end(), factor);
    return below == Steps.begin() ? Steps.front() : *std::prev(below);
}

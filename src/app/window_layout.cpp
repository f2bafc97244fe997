#include "app/window_layout.h"

QRect WindowLayout::place(const QRect &classic) const
{
    return QRect(place(classic.topLeft()), classic.size() * factor);
}

QFont WindowLayout::font(const QFont &classic) const
{
    QFont font = classic;
    if (classic.pixelSize() > 0)
        font.setPixelSize(classic.pixelSize() * factor);
    else
        font.setPointSizeF(classic.pointSizeF() * factor);
    return font;
}

int WindowLayout::largestFitting(QSize room)
{
    int factor = MaxFactor;
    while (factor > 1 && (Classic.width() * factor > room.width() || Classic.height() * factor > room.height()))
        --factor;
    return factor;
}

#pragma once
// Questions the tests ask of a picture: how many pixels of a colour, where the ink is, where
// two pictures differ. Colours are compared without their alpha byte.
#include "drawing/colours.h"

#include <QCryptographicHash>
#include <QImage>
#include <QRect>

namespace Probe {
inline QRgb opaque(QRgb colour) { return colour | 0xFF000000u; }
inline QRgb rgb(TColor colour) { return opaque(toRgb(colour)); }

// Pixels of `colour` inside `area`.
inline int count(const QImage &image, const QRect &area, QRgb colour)
{
    int n = 0;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += opaque(image.pixel(x, y)) == opaque(colour);
    return n;
}

// The smallest rectangle holding every pixel that differs from `background`.
inline QRect inked(const QImage &image, QRgb background)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (opaque(image.pixel(x, y)) != opaque(background))
                r |= QRect(x, y, 1, 1);
    return r;
}

// The smallest rectangle holding every pixel where the two pictures differ.
inline QRect difference(const QImage &a, const QImage &b)
{
    QRect r;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (opaque(a.pixel(x, y)) != opaque(b.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

// The SHA-1 of the pixels, row by row, cut to 16 hex digits: plenty to tell two frames apart.
inline QByteArray hash(const QImage &image)
{
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    for (int y = 0; y < image.height(); ++y)
        sha1.addData(QByteArrayView(image.constScanLine(y), qsizetype(image.width()) * 4));
    return sha1.result().toHex().left(16);
}
}

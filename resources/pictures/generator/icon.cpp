// The desktop icon, drawn in the window icon's 32 x 32 grid and scaled to the wanted size: the red
// dish shaded maroon underneath, the yellow feed on its black stalk, the navy pedestal with its
// white dot, and the blue square wave along the bottom.
#include "icon.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

const QColor grey(192, 192, 192);
const QColor red(255, 0, 0);
const QColor maroon(128, 0, 0);
const QColor yellow(255, 255, 0);
const QColor navy(0, 0, 128);
const QColor blue(0, 0, 255);

// The dish seen from the side: its rim and its back run from the long left horn to the short
// right one, each leaving its horn along the slope the window icon's pixels show.
struct Curve { QPointF left, leftBend, rightBend, right; };
const Curve rim{{2.0, 2.0}, {19.9, 12.2}, {21.1, 11.95}, {31.0, 7.0}};
const Curve back{{2.0, 4.0}, {17.8, 19.8}, {25.9, 13.6}, {31.0, 8.5}};

void drawDish(QPainter &p)
{
    QPainterPath dish(rim.left);
    dish.cubicTo(rim.leftBend, rim.rightBend, rim.right);
    dish.lineTo(back.right);
    dish.cubicTo(back.rightBend, back.leftBend, back.left);
    dish.closeSubpath();
    p.fillPath(dish, red);
    // The shade: a band one grid unit wide along the back.
    QPainterPath shade(back.left);
    shade.cubicTo(back.leftBend, back.rightBend, back.right);
    p.save();
    p.setClipPath(dish);
    p.strokePath(shade, QPen(maroon, 2.2));
    p.restore();

    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(20.5, 10.8), QPointF(22.6, 5.6));
    p.setBrush(yellow);
    p.drawEllipse(QPointF(23.5, 4.0), 2.0, 1.55);
}

void drawPedestal(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    p.drawRect(QRectF(19.5, 17.0, 2.0, 4.5));
    p.drawEllipse(QPointF(20.5, 16.0), 3.5, 2.0);
    const QPointF base[] = {{18.5, 21.0}, {22.5, 21.0}, {26.5, 24.0}, {14.5, 24.0}};
    p.drawPolygon(base, 4);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(20.5, 15.5), 0.6, 0.6);
}

// The square wave as the window icon's blue bars, in grid units; their edges fall on whole
// pixels at every size so the wave stays crisp.
struct Bar { int left, top, right, bottom; };
const Bar wave[] = {
    {2, 26, 10, 28}, {17, 26, 25, 28},                                   // the high steps
    {2, 28, 4, 30},  {8, 28, 10, 30}, {17, 28, 19, 30}, {23, 28, 25, 30}, // the edges
    {0, 30, 4, 32},  {8, 30, 19, 32}, {23, 30, 32, 32},                  // the low steps
};

void drawSquareWave(QPainter &p, int size)
{
    const auto pixel = [size](int unit) { return int(std::lround(unit * size / 32.0)); };
    p.save();
    p.resetTransform();
    for (const Bar &bar : wave)
        p.fillRect(QRect(QPoint(pixel(bar.left), pixel(bar.top)), QPoint(pixel(bar.right) - 1, pixel(bar.bottom) - 1)), blue);
    p.restore();
}

}

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(grey);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    drawDish(p);
    drawPedestal(p);
    drawSquareWave(p, size);
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

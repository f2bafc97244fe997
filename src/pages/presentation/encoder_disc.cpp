#include "pages/presentation/encoder_disc.h"

#include "drawing/canvas.h"

#include <cmath>

namespace {
// The disc's box; the teeth are wedges of the same ellipse, so only the ring the hub leaves
// uncovered shows them.
constexpr int X1 = 250, Y1 = 250, X2 = 450, Y2 = 450;
constexpr double Cx = 350, Cy = 350, Radius = 100;
constexpr int HubInset = 10;

// Start and end angle (radians, counter-clockwise from the right) of each tooth at rest.
struct Tooth { double from, to; };
constexpr Tooth Teeth[] = {{1.47, 1.57}, {1.67, 1.77}, {1.87, 1.97}, {2.07, 2.17}, {2.27, 2.37}};

QPoint onRim(double angle)
{
    // Truncated, not rounded: the radials' points are whole pixels towards the centre lines.
    return {int(Cx + Radius * std::cos(angle)), int(Cy - Radius * std::sin(angle))};
}
}

void drawEncoderDisc(Canvas &canvas, int s)
{
    // The button-face fill wipes whatever the disc showed at its previous rotation.
    canvas.setPenColor(Colour::Navy);
    canvas.setPenWidth(2);
    canvas.setBrushColor(Colour::BtnFace);
    canvas.Ellipse(X1, Y1, X2, Y2);

    canvas.setPenWidth(1);
    canvas.setBrushColor(Colour::Navy);
    const double turned = 0.01 * s; // clockwise, so the angles shrink
    for (const Tooth &t : Teeth) {
        const QPoint a = onRim(t.from - turned), b = onRim(t.to - turned);
        canvas.Pie(X1, Y1, X2, Y2, a.x(), a.y(), b.x(), b.y());
    }
    canvas.Ellipse(X1 + HubInset, Y1 + HubInset, X2 - HubInset, Y2 - HubInset);
}

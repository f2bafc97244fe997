#include "drawing/antenna.h"

#include "drawing/canvas.h"

#include <cmath>

namespace {
constexpr int PivotX = 720, PivotY = 80;

// Vertex angles relative to a, and radii; the decimal constants are the design's own (not pi).
struct Vertex { double offset; double radius; };
constexpr Vertex Vertices[5] = {{-3.14, 30}, {-2.88, 40}, {-0.26, 40}, {0.0, 30}, {-3.14, 30}};
}

AntennaOutline AntennaPolygon(double a)
{
    AntennaOutline outline;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const double theta = a + Vertices[i].offset;
        const double r = Vertices[i].radius;
        outline[i] = QPoint(int(PivotX + r * std::cos(theta)), int(PivotY - r * std::sin(theta)));
    }
    return outline;
}

void drawAntenna(Canvas &canvas, double a, TColor colour, QPoint offset)
{
    AntennaOutline outline = AntennaPolygon(a);
    for (QPoint &p : outline)
        p += offset;
    canvas.setPenWidth(3);
    canvas.setPenAndBrush(colour);
    canvas.Polygon(outline);
}

void drawAntennaPivot(Canvas &canvas, TColor colour, QPoint offset)
{
    canvas.setPenAndBrush(colour);
    canvas.Ellipse(716 + offset.x(), 76 + offset.y(), 724 + offset.x(), 84 + offset.y());
}

void drawTurningAntenna(Canvas &canvas, double twoStepsAgo, double oneStepAgo, double now)
{
    drawAntenna(canvas, twoStepsAgo, Colour::BtnFace);
    drawAntenna(canvas, oneStepAgo, Colour::BtnFace);
    drawAntenna(canvas, now, Colour::Red);
    drawAntennaPivot(canvas);
}

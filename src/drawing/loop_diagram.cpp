#include "drawing/loop_diagram.h"

#include "drawing/antenna.h"
#include "drawing/arrow.h"
#include "drawing/canvas.h"
#include "drawing/page_text.h"

#include <QString>

namespace {
using namespace Colour;

// Which variants draw a table row.
enum Variants : unsigned {
    InFull = 1u << int(DiagramVariant::Full),
    InPresentation = 1u << int(DiagramVariant::Presentation),
    InOperatingPoint = 1u << int(DiagramVariant::OperatingPoint),
    InSpeedChange = 1u << int(DiagramVariant::SpeedChange),
    InAll = InFull | InPresentation | InOperatingPoint | InSpeedChange,
    WithOscillator = InAll & ~InSpeedChange,
};

bool drawnIn(unsigned variants, DiagramVariant variant)
{
    return variants & (1u << int(variant));
}

struct Connection { unsigned variants; Arrow arrow; };
const Connection Connections[] = {
    {WithOscillator, {{35, 55}, {35, 65}, true, {30, 60}, {40, 60}}},    // oscillator to divider
    {InAll, {{70, 80}, {110, 80}, true, {103, 73}, {103, 87}}},          // setpoint into the comparator
    {InAll, {{160, 80}, {180, 80}}},                                     // comparator to its gain box
    {InAll, {{208, 80}, {236, 80}, true, {229, 73}, {229, 87}}},         // gain box to regulator
    {InAll, {{280, 80}, {320, 80}, true, {313, 73}, {313, 87}}},         // regulator to amplifier
    {InAll, {{420, 80}, {460, 80}, true, {453, 73}, {453, 87}}},         // amplifier to motor
    {InAll, {{560, 80}, {600, 80}, true, {593, 73}, {593, 87}}},         // motor to reducer
    {InAll, {{135, 30}, {135, 55}, true, {128, 48}, {142, 48}}},         // feedback into the comparator
    {InAll, {{135, 30}, {470, 30}}},                                     // feedback line from the sensor
    {InAll, {{550, 30}, {580, 30}, true, {557, 23}, {557, 37}, true}},   // speed into the sensor
    {InAll, {{580, 30}, {580, 80}}},                                     // tap on the motor's output
};

struct Box { unsigned variants; int x1, y1, x2, y2; TColor fill; };
const Box Boxes[] = {
    {InAll, 180, 70, 208, 90, White},          // comparator gain
    {InAll, 236, 60, 296, 100, White},         // regulator
    {InAll, 320, 60, 420, 100, White},         // power amplifier
    {InAll, 460, 60, 560, 100, White},         // DC motor
    {InAll, 470, 10, 550, 50, White},          // speed sensor
    {InAll, 600, 60, 660, 100, Yellow},        // reducer
    {WithOscillator, 1, 25, 70, 55, Lime},     // quartz oscillator
    {WithOscillator, 1, 65, 70, 95, Lime},     // frequency divider
};

struct Label { unsigned variants; PageText text; };
using FontFace::Sans;
using FontFace::Symbol;
const Label Labels[] = {
    {InAll, {115, 70, {}, 15, Red, QStringLiteral("+")}},
    {InAll, {132, 55, {}, 15, Red, QStringLiteral("-")}},
    {WithOscillator, {2, 27, Sans, 6, Black, QStringLiteral("Oscillateur")}},
    {WithOscillator, {20, 40, Sans, 6, Black, QStringLiteral("100kHz")}},
    {InFull | InPresentation, {2, 67, Sans, 6, Black, QStringLiteral("Diviseur de")}},
    {InOperatingPoint, {2, 67, Sans, 6, Black, QStringLiteral("Diviseur")}},
    {InFull, {10, 80, Sans, 6, Black, QStringLiteral("fréquence")}},
    {InPresentation, {2, 80, Sans, 6, Black, QStringLiteral("fréquence (N)")}},
    {InOperatingPoint, {10, 80, Sans, 6, Black, QStringLiteral("  N=1/100")}},
    {InAll, {182, 72, Sans, 6, Blue, QStringLiteral("Gcp")}},
    {InAll, {240, 70, Sans, 6, Blue, QStringLiteral("Régulateur")}},
    {InAll, {330, 65, Sans, 6, Blue, QStringLiteral("Amplificateur de")}},
    {InAll, {325, 80, Sans, 6, Blue, QStringLiteral("puissance (gain=1)")}},
    {InAll, {467, 65, Sans, 6, Blue, QStringLiteral("Moteur à courant")}},
    {InAll, {490, 80, Sans, 6, Blue, QStringLiteral("continu")}},
    {InAll, {604, 70, Sans, 6, Blue, QStringLiteral("Réducteur")}},
    {InAll, {490, 15, Sans, 6, Blue, QStringLiteral("Capteur ")}},
    {InAll, {485, 30, Sans, 6, Blue, QStringLiteral("de vitesse")}},
    {InAll, {100, 110, Sans, 8, Navy, QStringLiteral("Comparateur de phase")}},
    {InAll, {216, 55, Sans, 10, Blue, QStringLiteral("U0")}},
    {InAll, {300, 55, Sans, 10, Maroon, QStringLiteral("U1")}},
    {InAll, {430, 60, Sans, 12, Black, QStringLiteral("U")}},
    {WithOscillator, {1, 100, Sans, 10, Green, QStringLiteral("CONSIGNE")}},
    {InSpeedChange, {20, 85, Sans, 10, Green, QStringLiteral("CONSIGNE")}},
    {InAll, {735, 60, Sans, 8, Red, QStringLiteral("Radar")}},
    {InAll, {80, 50, Symbol, 15, Highlight, QStringLiteral("j")}},
    {InAll, {105, 16, Symbol, 15, Highlight, QStringLiteral("j1")}},
    {InAll, {160, 50, Symbol, 12, Highlight, QStringLiteral("Dj")}},
    {InAll, {565, 80, Symbol, 12, Highlight, QStringLiteral("W1")}},
    {InAll, {665, 80, Symbol, 12, Highlight, QStringLiteral("W")}},
};

void drawComparator(Canvas &canvas)
{
    canvas.setBrushColor(BtnFace);
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::Dot);
    canvas.setPenColor(Navy);
    canvas.Rectangle(100, 45, 212, 110);

    canvas.setPenStyle(PenStyle::Solid);
    canvas.setPenColor(Red);
    canvas.setBrushColor(White);
    canvas.Ellipse(110, 55, 160, 105);
    drawArrow(canvas, {{117, 62}, {153, 97}});
    drawArrow(canvas, {{153, 62}, {117, 97}});
}

void drawConnectionsAndBoxes(Canvas &canvas, DiagramVariant variant)
{
    for (const Connection &c : Connections)
        if (drawnIn(c.variants, variant))
            drawArrow(canvas, c.arrow);
    for (const Box &b : Boxes) {
        if (drawnIn(b.variants, variant)) {
            canvas.setBrushColor(b.fill);
            canvas.Rectangle(b.x1, b.y1, b.x2, b.y2);
        }
    }
}

void drawLabels(Canvas &canvas, DiagramVariant variant)
{
    canvas.setBrushColor(Red);
    canvas.SetBkMode(BkMode::Transparent);
    for (const Label &l : Labels)
        if (drawnIn(l.variants, variant))
            drawText(canvas, l.text);
    canvas.setFontName(Sans);
}

void drawOutputShaft(Canvas &canvas)
{
    canvas.setPenWidth(5);
    canvas.setPenColor(Navy);
    canvas.MoveTo(660, 80);
    canvas.LineTo(720, 80);
}
}

void drawLoopDiagram(Canvas &canvas, DiagramVariant variant)
{
    drawComparator(canvas);
    drawConnectionsAndBoxes(canvas, variant);
    drawLabels(canvas, variant);
    drawOutputShaft(canvas);
    if (variant == DiagramVariant::Full || variant == DiagramVariant::Presentation) {
        drawAntenna(canvas, StillAntennaAngle, Red);
        drawAntennaPivot(canvas);
    }
}

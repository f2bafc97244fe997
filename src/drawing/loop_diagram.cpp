#include "drawing/loop_diagram.h"

#include "drawing/antenna.h"
#include "drawing/arrow.h"
#include "drawing/canvas.h"
#include "drawing/page_text.h"

#include <QString>

namespace Diagram {
using namespace Colour;

const PageText ComparatorSigns[2] = {
    {115, 70, {}, 15, Red, QStringLiteral("+")},
    {132, 55, {}, 15, Red, QStringLiteral("-")},
};
const PageText GainLabel = {182, 72, FontFace::Sans, 6, Blue, QStringLiteral("Gcp")};
const PageText AmplifierLabels[2] = {
    {330, 65, FontFace::Sans, 6, Blue, QStringLiteral("Amplificateur de")},
    {325, 80, FontFace::Sans, 6, Blue, QStringLiteral("puissance (gain=1)")},
};
const PageText MotorLabels[2] = {
    {467, 65, FontFace::Sans, 6, Blue, QStringLiteral("Moteur à courant")},
    {490, 80, FontFace::Sans, 6, Blue, QStringLiteral("continu")},
};
const PageText ReducerLabel = {604, 70, FontFace::Sans, 6, Blue, QStringLiteral("Réducteur")};
const PageText SensorLabels[2] = {
    {490, 15, FontFace::Sans, 6, Blue, QStringLiteral("Capteur ")},
    {485, 30, FontFace::Sans, 6, Blue, QStringLiteral("de vitesse")},
};
const PageText RadarLabel = {735, 60, FontFace::Sans, 8, Red, QStringLiteral("Radar")};


void Box::draw(Canvas &canvas, QPoint offset) const
{
    canvas.Rectangle(x1 + offset.x(), y1 + offset.y(), x2 + offset.x(), y2 + offset.y());
}

void drawComparatorSymbol(Canvas &canvas, QPoint offset)
{
    canvas.Ellipse(110 + offset.x(), 55 + offset.y(), 160 + offset.x(), 105 + offset.y());
    drawArrow(canvas, Arrow{{117, 62}, {153, 97}}.translated(offset));
    drawArrow(canvas, Arrow{{153, 62}, {117, 97}}.translated(offset));
}
}

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

using namespace Diagram;

struct Connection { unsigned variants; Arrow arrow; };
const Connection Connections[] = {
    {WithOscillator, OscillatorToDivider},
    {InAll, SetpointIn},
    {InAll, ComparatorToGain},
    {InAll, GainToRegulator},
    {InAll, RegulatorToAmplifier},
    {InAll, AmplifierToMotor},
    {InAll, MotorToReducer},
    {InAll, FeedbackIn},
    {InAll, FeedbackLine},
    {InAll, SpeedIntoSensor},
    {InAll, SpeedTap},
};

struct PlacedBox { unsigned variants; Box box; };
const PlacedBox Boxes[] = {
    {InAll, ComparatorGain}, {InAll, Regulator}, {InAll, PowerAmplifier}, {InAll, DcMotor},
    {InAll, SpeedSensor},    {InAll, Reducer},   {WithOscillator, Oscillator}, {WithOscillator, Divider},
};

struct Label { unsigned variants; PageText text; };
using FontFace::Sans;
using FontFace::Symbol;
const Label Labels[] = {
    {InAll, ComparatorSigns[0]},
    {InAll, ComparatorSigns[1]},
    {WithOscillator, {2, 27, Sans, 6, Black, QStringLiteral("Oscillateur")}},
    {WithOscillator, {20, 40, Sans, 6, Black, QStringLiteral("100kHz")}},
    {InFull | InPresentation, {2, 67, Sans, 6, Black, QStringLiteral("Diviseur de")}},
    {InOperatingPoint, {2, 67, Sans, 6, Black, QStringLiteral("Diviseur")}},
    {InFull, {10, 80, Sans, 6, Black, QStringLiteral("fréquence")}},
    {InPresentation, {2, 80, Sans, 6, Black, QStringLiteral("fréquence (N)")}},
    {InOperatingPoint, {10, 80, Sans, 6, Black, QStringLiteral("  N=1/100")}},
    {InAll, GainLabel},
    {InAll, {240, 70, Sans, 6, Blue, QStringLiteral("Régulateur")}},
    {InAll, AmplifierLabels[0]},
    {InAll, AmplifierLabels[1]},
    {InAll, MotorLabels[0]},
    {InAll, MotorLabels[1]},
    {InAll, ReducerLabel},
    {InAll, SensorLabels[0]},
    {InAll, SensorLabels[1]},
    {InAll, {100, 110, Sans, 8, Navy, QStringLiteral("Comparateur de phase")}},
    {InAll, {216, 55, Sans, 10, Blue, QStringLiteral("U0")}},
    {InAll, {300, 55, Sans, 10, Maroon, QStringLiteral("U1")}},
    {InAll, {430, 60, Sans, 12, Black, QStringLiteral("U")}},
    {WithOscillator, {1, 100, Sans, 10, Green, QStringLiteral("CONSIGNE")}},
    {InSpeedChange, {20, 85, Sans, 10, Green, QStringLiteral("CONSIGNE")}},
    {InAll, RadarLabel},
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
    drawComparatorSymbol(canvas);
}

void drawConnectionsAndBoxes(Canvas &canvas, DiagramVariant variant)
{
    for (const Connection &c : Connections)
        if (drawnIn(c.variants, variant))
            drawArrow(canvas, c.arrow);
    for (const PlacedBox &b : Boxes) {
        if (drawnIn(b.variants, variant)) {
            canvas.setBrushColor(b.box.fill);
            b.box.draw(canvas);
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

// The speed sensor, an optical encoder: the diagram's sensor block slides down and left to
// the motor shaft's end, and its page shows the disc between emitter and receiver, with
// Button3 to watch it turn.
#include "pages/stage.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/presentation/encoder_disc.h"
#include "pages/presentation/sections.h"
#include "pages/presentation/slide.h"

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;

QPoint offsetAt(int l) { return {-6 * l, 3 * l}; }

void sensorGroup(Canvas &canvas, QPoint offset)
{
    drawArrow(canvas, Diagram::SpeedIntoSensor.translated(offset));
    Diagram::SpeedSensor.draw(canvas, offset);
}

// The output of the block at rest, each stroke drawn towards the tip.
const Segment OutputArrow[] = {
    {{87, 203}, {80, 210}},
    {{87, 217}, {80, 210}},
    {{110, 210}, {80, 210}},
};

const PageText BlockLabels[] = {
    {210, 185, Symbol, 12, Highlight, QStringLiteral("W1")},
    {90, 185, Symbol, 12, Highlight, QStringLiteral("j1")},
    {70, 185, Sans, 10, Highlight, QStringLiteral("(X)")},
    {150, 320, Sans, 10, Red, QStringLiteral("Arbre Moteur")},
    {150, 360, Sans, 10, Red, QStringLiteral("vitesse")},
    {200, 357, Symbol, 12, Red, QStringLiteral("W1")},
};

// Written straight after the fuchsia boxes, so their cells are filled in fuchsia.
const PageText BoxLabels[] = {
    {160, 240, Sans, 8, Blue, QStringLiteral("Emetteur")},
    {180, 255, Sans, 8, Blue, QStringLiteral("infra-rouge")},
    {462, 240, Sans, 8, Blue, QStringLiteral("Récepteur")},
    {482, 255, Sans, 8, Blue, QStringLiteral("infra-rouge")},
};

// The gaps in the transfer function's lines are filled by the Greek fragments.
const PageText Explanation[] = {
    {250, 200, Sans, 8, Blue, QStringLiteral("Le codeur optique possède 100 pas/tour. La fréquence du signal de sortie X est proportionnelle")},
    {250, 215, Sans, 8, Blue, QStringLiteral("à la vitesse de rotation de l'arbre moteur.")},
    {550, 300, Sans, 8, Blue, QStringLiteral("Observation de la rotation du capteur :")},
    {550, 360, Sans, 8, Blue, QStringLiteral("La fonction de transfert du capteur de vitesse : ")},
    {620, 380, Sans, 8, Blue, QStringLiteral("= (2*     *100)/p")},
    {620, 400, Sans, 8, Blue, QStringLiteral(": en radians")},
    {620, 420, Sans, 8, Blue, QStringLiteral(": en tour/sec")},
    {580, 378, Symbol, 10, Blue, QStringLiteral("j1/W1")},
    {646, 376, Symbol, 10, Blue, QStringLiteral("p")},
    {600, 398, Symbol, 10, Blue, QStringLiteral("j1")},
    {600, 418, Symbol, 10, Blue, QStringLiteral("W1")},
};

struct Stroke { QPoint from, to; int width; };
const Stroke LeftShaft{{150, 345}, {250, 345}, 10};
const Stroke BeamToDisc{{250, 256}, {316, 256}, 2};
const Stroke BeamToReceiver{{348, 256}, {450, 256}, 2};
const Stroke RightShaft{{350, 345}, {550, 345}, 10};
const Arrow ReceiverOutput{{550, 256}, {590, 256}, true, {583, 249}, {583, 263}};

void drawStroke(Canvas &canvas, const Stroke &s)
{
    canvas.setPenColor(Red);
    canvas.setPenWidth(s.width);
    canvas.MoveTo(s.from.x(), s.from.y());
    canvas.LineTo(s.to.x(), s.to.y());
}
}

void SensorIntro(Stage &stage, int l)
{
    Canvas &canvas = stage.canvas;
    // The button-face fill of the previous block takes its labels with it.
    slideStep(canvas, offsetAt(l - 1), offsetAt(l), sensorGroup, Diagram::SensorLabels);
}

void SensorPage(Stage &stage)
{
    Canvas &canvas = stage.canvas;
    canvas.setPenColor(Red);
    canvas.setPenWidth(1);
    drawSegments(canvas, OutputArrow);

    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, BlockLabels);

    canvas.setPenColor(Red);
    canvas.setBrushColor(Fuchsia);
    canvas.Rectangle(150, 236, 251, 276);
    canvas.Rectangle(451, 236, 550, 276);
    drawTexts(canvas, BoxLabels);
    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, Explanation);

    drawStroke(canvas, LeftShaft);
    drawStroke(canvas, BeamToDisc);
    canvas.setPenWidth(1);
    drawArrow(canvas, ReceiverOutput);
    drawEncoderDisc(canvas, 0);
    drawStroke(canvas, BeamToReceiver);
    // Drawn after the disc: the shaft passes in front of it.
    drawStroke(canvas, RightShaft);
    stage.controls.show(Control::Button3);

    canvas.setFontName(Sans);
    canvas.setFontSize(10);
}

// The DC motor: the diagram's motor block, with its input and output arrows, slides down and
// left, then four lines give its first-order transfer function.
#include "pages/stage.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/presentation/sections.h"
#include "pages/presentation/slide.h"

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;

QPoint offsetAt(int l) { return {-6 * l, 2 * l}; }

void motorGroup(Canvas &canvas, QPoint offset)
{
    drawArrow(canvas, Diagram::AmplifierToMotor.translated(offset));
    drawArrow(canvas, Diagram::MotorToReducer.translated(offset));
    Diagram::DcMotor.draw(canvas, offset);
}

// The blanks in the second line leave room for the Greek letters written over them below.
const PageText Explanation[] = {
    {250, 190, Sans, 10, Blue, QStringLiteral("La fonction de transfert approchée du moteur et de sa charge est de type")},
    {250, 210, Sans, 10, Blue, QStringLiteral("passe-bas d'ordre 1 :            U = (25/2     )/(1+0,5p)")},
    {250, 230, Sans, 10, Blue, QStringLiteral("La vitesse est exprimée en (tours/seconde) et la tension de commande en (volts)")},
    {250, 250, Sans, 10, Blue, QStringLiteral("Le moteur filtre la composante alternative du signal de commande U")},
};

// "W1/" and "p" in the Symbol face read as omega-1 over, and pi.
const PageText GreekLetters[] = {
    {385, 207, Symbol, 12, Blue, QStringLiteral("W1/")},
    {466, 206, Symbol, 12, Blue, QStringLiteral("p")},
};
}

void MotorIntro(Stage &stage, int l)
{
    Canvas &canvas = stage.canvas;
    slideStep(canvas, offsetAt(l - 1), offsetAt(l), motorGroup, Diagram::MotorLabels);
}

void MotorPage(Stage &stage)
{
    Canvas &canvas = stage.canvas;
    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, Explanation);
    drawTexts(canvas, GreekLetters);
    // Later pages expect the usual face and size.
    canvas.setFontSize(10);
    canvas.setFontName(Sans);
}

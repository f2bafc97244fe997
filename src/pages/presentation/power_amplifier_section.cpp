// The power amplifier: the diagram's own amplifier group slides down and left, then three
// lines say why its gain is 1.
#include "pages/stage.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/presentation/sections.h"
#include "pages/presentation/slide.h"

namespace {
using namespace Colour;

QPoint offsetAt(int l) { return {-4 * l, 2 * l}; }

void amplifierGroup(Canvas &canvas, QPoint offset)
{
    drawArrow(canvas, Diagram::RegulatorToAmplifier.translated(offset));
    drawArrow(canvas, Diagram::AmplifierToMotor.translated(offset));
    Diagram::PowerAmplifier.draw(canvas, offset);
}

const PageText Explanation[] = {
    {230, 190, {}, 10, Blue, QStringLiteral("Il fournit la puissance dont le moteur a besoin pour tourner.")},
    {230, 210, {}, 10, Blue, QStringLiteral("Son gain en tension est fixé à '1' de façon à garantir")},
    {230, 230, {}, 10, Blue, QStringLiteral("une large bande passante.")},
};
}

void AmplifierIntro(Stage &stage, int l)
{
    Canvas &canvas = stage.canvas;
    slideStep(canvas, offsetAt(l - 1), offsetAt(l), amplifierGroup, Diagram::AmplifierLabels);
}

void AmplifierPage(Stage &stage)
{
    stage.canvas.SetBkMode(BkMode::Transparent);
    drawTexts(stage.canvas, Explanation);
}

// The reducer and the radar: the diagram's reducer group, antenna included, slides down and
// left, then three lines say why the reduction ratio stays out of the loop.
#include "pages/stage.h"
#include "drawing/antenna.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/presentation/sections.h"

namespace {
using namespace Colour;

QPoint offsetAt(int l) { return {-8 * l, 2 * l}; }

// The copy's label is written smaller than the diagram's.
constexpr int CopyRadarLabelSize = 6;

enum class Ink { Erase, Own };

// The group has several colours, so it is drawn either all in button face (erasing it) or in
// its own colours; both passes draw the same pieces in the same order.
void reducerGroup(Canvas &canvas, QPoint offset, Ink ink)
{
    const bool own = ink == Ink::Own;
    const auto colour = [own](TColor c) { return own ? c : BtnFace; };

    canvas.setPenWidth(1);
    canvas.setPenColor(colour(Red));
    drawArrow(canvas, Diagram::MotorToReducer.translated(offset));
    canvas.setBrushColor(colour(Diagram::Reducer.fill));
    Diagram::Reducer.draw(canvas, offset);
    // Comes out opaque on the box's fill: the brush has just changed.
    PageText label = Diagram::ReducerLabel.translated(offset);
    label.colour = colour(label.colour);
    drawText(canvas, label);

    canvas.setPenWidth(5);
    canvas.setPenColor(colour(Navy));
    canvas.MoveTo(660 + offset.x(), 80 + offset.y());
    canvas.LineTo(720 + offset.x(), 80 + offset.y());

    drawAntenna(canvas, StillAntennaAngle, colour(Red), offset);
    drawAntennaPivot(canvas, colour(Navy), offset);

    // The pivot changed the brush; without this the name would sit on a navy patch.
    canvas.SetBkMode(BkMode::Transparent);
    // Made here, not as a constant beside the others: the diagram's label is another file's
    // constant, which may not be made yet when this file's constants are.
    PageText radar = Diagram::RadarLabel.translated(offset);
    radar.size = CopyRadarLabelSize;
    radar.colour = colour(radar.colour);
    drawText(canvas, radar);
}

const PageText Explanation[] = {
    {280, 220, FontFace::Sans, 10, Blue,
     QStringLiteral("Le radar tourne à une vitesse lente qui est celle de l'arbre de sortie du réducteur.")},
    {280, 240, FontFace::Sans, 10, Blue,
     QStringLiteral("Le rapport de réduction n'intervient pas dans la boucle, car le capteur de vitesse")},
    {280, 260, FontFace::Sans, 10, Blue, QStringLiteral("est placé sur l'arbre rapide.")},
};
}

void ReducerIntro(Stage &stage, int l)
{
    Canvas &canvas = stage.canvas;
    canvas.SetBkMode(BkMode::Transparent);
    reducerGroup(canvas, offsetAt(l - 1), Ink::Erase);
    reducerGroup(canvas, offsetAt(l), Ink::Own);
}

void ReducerPage(Stage &stage)
{
    stage.canvas.SetBkMode(BkMode::Transparent);
    drawTexts(stage.canvas, Explanation);
}

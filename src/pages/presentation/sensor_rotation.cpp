// The encoder disc turning under the infrared beam, with the receiver's output plotted beside
// it: high while the beam passes between two teeth, low while a tooth blocks it.
#include "pages/page_state.h"
#include "pages/stage.h"
#include "drawing/canvas.h"
#include "drawing/page_text.h"
#include "pages/presentation/encoder_disc.h"
#include "pages/commands.h"
#include "pages/presentation/sections.h"

namespace {
using namespace Colour;

constexpr int ChartLeft = 600, High = 230, Low = 260;
// The chart with its labels, wiped at each start.
constexpr int ChartRight = 750, ChartTop = 220, ChartBottom = 270;

// One stretch of the chart: the steps it lasts, whether the beam passes, and where it began
// (its edge, or the chart's left side for the first one).
struct ChartSegment { int first, last; bool passes; int startX; bool edge; };
constexpr ChartSegment Segments[] = {
    {2, 7, true, ChartLeft, false},
    {8, 17, false, 615, true},
    {18, 27, true, 635, true},
    {28, 37, false, 655, true},
    {38, 47, true, 675, true},
    {48, 57, false, 695, true},
    {58, 67, true, 715, true},
};

const PageText Levels[] = {
    {660, 220, FontFace::Sans, 6, Highlight, QStringLiteral("5V")},
    {660, 262, FontFace::Sans, 6, Highlight, QStringLiteral("0V")},
};

void line(Canvas &canvas, TColor colour, int width, QPoint from, QPoint to)
{
    canvas.setPenColor(colour);
    canvas.setPenWidth(width);
    canvas.MoveTo(from.x(), from.y());
    canvas.LineTo(to.x(), to.y());
}

void beamToDisc(Canvas &canvas) { line(canvas, Red, 2, {250, 256}, {316, 256}); }
void beamToReceiver(Canvas &canvas, TColor colour) { line(canvas, colour, 2, {348, 256}, {450, 256}); }
void rightShaft(Canvas &canvas) { line(canvas, Red, 10, {350, 345}, {550, 345}); }

void drawSegment(Canvas &canvas, const ChartSegment &seg, int s)
{
    if (seg.passes) {
        drawEncoderDisc(canvas, s);
        beamToReceiver(canvas, Red);
    } else {
        beamToReceiver(canvas, BtnFace);
        drawEncoderDisc(canvas, s);
    }
    rightShaft(canvas);
    const int level = seg.passes ? High : Low;
    if (seg.edge)
        line(canvas, Black, 1, {seg.startX, seg.passes ? Low : High}, {seg.startX, level});
    // From the trace's head back to where this stretch began.
    line(canvas, Black, 1, {ChartLeft + 2 * s, level}, {seg.startX, level});
}
}

void SensorRotation(Stage &stage)
{
    Canvas &canvas = stage.canvas;
    if (SensorStep > 0 && SensorStep < RotationLastStep) {
        ++SensorStep;
        beamToDisc(canvas);
        canvas.setPenColor(Navy);
        canvas.setPenWidth(2);
        canvas.setBrushColor(BtnFace);
        canvas.Ellipse(250, 250, 450, 450);
        canvas.SetBkMode(BkMode::Transparent);
        drawTexts(canvas, Levels);
        for (const ChartSegment &seg : Segments)
            if (SensorStep >= seg.first && SensorStep <= seg.last)
                drawSegment(canvas, seg, SensorStep);
    }
    // In the same tick as the last step, and held from then on: the beam blocked, the last edge.
    if (SensorStep == RotationLastStep) {
        beamToReceiver(canvas, BtnFace);
        drawEncoderDisc(canvas, RotationLastStep);
        rightShaft(canvas);
        line(canvas, Black, 1, {735, High}, {735, Low});
        line(canvas, Black, 1, {735, Low}, {737, Low});
    }
}

void Button3Click(Stage &stage)
{
    stage.canvas.setPenAndBrush(BtnFace);
    stage.canvas.Rectangle(ChartLeft, ChartTop, ChartRight, ChartBottom);
    ElementStep = -1;
    SensorStep = 1;
}

// The setpoint: a 100 kHz quartz oscillator divided by N. The label "CONSIGNE :" slides from
// the diagram to the start of the explanation, which shows the two blocks and the square wave.
#include "pages/stage.h"
#include "drawing/arrow.h"
#include "drawing/canvas.h"
#include "drawing/page_text.h"
#include "pages/presentation/sections.h"

namespace {
using namespace Colour;
using FontFace::Sans;

const QString Label = QStringLiteral("CONSIGNE :");

const PageText Explanation[] = {
    {150, 160, {}, 10, Black, QStringLiteral("Elle est constituée d'un oscillateur pilote à quartz à 100kHz (bonne stabilité en fréquence).")},
    {150, 180, {}, 10, Black, QStringLiteral("suivi d'un diviseur par N (N:ajustable).")},
    {340, 250, {}, 10, Black, QStringLiteral("Signal carré de fréquence")},
    {340, 270, {}, 10, Black, QStringLiteral("1 kHz si N=1/100 :")},
    {500, 280, {}, 10, Black, QStringLiteral("0V")},
    {540, 230, {}, 10, Black, QStringLiteral("5V")},
};

// 5 V at y = 250, 0 V at y = 300; each high stretch starts a pixel left of its rising edge.
const QPoint SquareWave1[] = {{500, 300}, {530, 300}, {530, 250}};
const QPoint SquareWave2[] = {{529, 250}, {580, 250}, {580, 300}, {630, 300}, {630, 250}};
const QPoint SquareWave3[] = {{629, 250}, {680, 250}, {680, 300}, {710, 300}};

const QRect OscillatorBlock(QPoint(200, 225), QPoint(269, 255));
const QRect DividerBlock(QPoint(200, 265), QPoint(269, 297));

const PageText BlockLabels[] = {
    {202, 227, Sans, 6, Black, QStringLiteral("Oscillateur")},
    {220, 240, Sans, 6, Black, QStringLiteral("100kHz")},
    {202, 267, Sans, 6, Black, QStringLiteral("Diviseur ")},
    {205, 280, Sans, 10, Red, QStringLiteral("rapport : N")},
};

const Arrow BlockArrows[] = {
    {{235, 255}, {235, 265}, true, {230, 260}, {240, 260}},
    {{269, 280}, {310, 280}, true, {303, 273}, {303, 287}},
};
}

void SetpointIntro(Stage &stage, int n)
{
    Canvas &canvas = stage.canvas;
    canvas.SetBkMode(BkMode::Transparent);
    canvas.setFontSize(10);
    canvas.setFontColor(BtnFace);
    canvas.TextOut(2 * n - 1, 3 * n + 97, Label);
    canvas.setFontColor(Green);
    canvas.TextOut(2 * n + 1, 3 * n + 100, Label);
}

void SetpointPage(Stage &stage)
{
    Canvas &canvas = stage.canvas;
    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, Explanation);

    canvas.setPenColor(Black);
    canvas.setPenWidth(2);
    drawPolyline(canvas, SquareWave1);
    drawPolyline(canvas, SquareWave2);
    drawPolyline(canvas, SquareWave3);

    canvas.setPenColor(Red);
    canvas.setPenWidth(1);
    canvas.setBrushColor(Lime);
    for (const QRect &block : {OscillatorBlock, DividerBlock})
        canvas.Rectangle(block.left(), block.top(), block.right(), block.bottom());
    // The lime brush is now in effect: the labels are written opaque, on lime.
    drawTexts(canvas, BlockLabels);

    for (const Arrow &arrow : BlockArrows)
        drawArrow(canvas, arrow);
}

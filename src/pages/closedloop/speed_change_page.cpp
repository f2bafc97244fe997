#include "pages/closedloop/speed_change_page.h"

#include "pages/page_state.h"
#include "pages/stage.h"
#include "drawing/antenna.h"
#include "drawing/arrow.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/closedloop/closed_loop_page.h"

#include <QLocale>
#include <array>
#include <cmath>

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;

const PageText PageTexts[] = {
    {230, 120, Sans, 10, Red, QStringLiteral("Variation lente autour d'un point de fonctionnement :")},
    {1, 150, Sans, 8, Blue, QStringLiteral("Consigne = signal carré dont la fréquence augmente lentement")},
    {1, 165, Sans, 8, Blue, QStringLiteral("de 500Hz à 1,5kHz")},
    {595, 445, Sans, 8, Blue, QStringLiteral("t")},
    {1, 200, Sans, 8, Black, QStringLiteral("Le signal de retour : signal carré de même fréquence que")},
    {1, 215, Sans, 8, Black, QStringLiteral("la consigne, mais en retard de phase. Ce retard évolue ")},
    {1, 230, Sans, 8, Black, QStringLiteral("de    /4 à 3    /4")},
    {1, 265, Sans, 8, Green, QStringLiteral("La sortie du comparateur de phase est un signal carré dont")},
    {1, 280, Sans, 8, Red, QStringLiteral("la valeur moyenne évolue de 1,25V à 3,75V.")},
    {1, 295, Sans, 8, Red, QStringLiteral("Cette valeur moyenne est conservée sur les signaux U1 et U.")},
    {385, 310, Sans, 8, Green, QStringLiteral("0V")},
    {385, 260, Sans, 8, Green, QStringLiteral("5V")},
    {1, 330, Sans, 8, Blue, QStringLiteral("La tension de commande U du moteur")},
    {1, 345, Sans, 8, Red, QStringLiteral("a une valeur moyenne variant de 1,25V à 3,75V (signal 'utile')")},
    {1, 400, Sans, 8, Navy, QStringLiteral("La vitesse      augmente de 5tr/s (pour : U = 1,25V)")},
    {1, 415, Sans, 8, Navy, QStringLiteral("à 15tr/s (pour : U = 3,75V.")},
    {17, 230, Symbol, 8, Black, QStringLiteral("p")},
    {57, 230, Symbol, 8, Black, QStringLiteral("p")},
    {390, 420, Symbol, 8, Blue, QStringLiteral("j")},
    {390, 440, Symbol, 8, Black, QStringLiteral("j1")},
};

// The lag's labels, shown once the ramps have spread enough for each.
constexpr int QuarterFrom = 21, ThreeQuartersFrom = 301;
const PageText QuarterLabel[] = {
    {385, 386, Symbol, 8, Black, QStringLiteral("p")},
    {391, 386, Sans, 8, Black, QStringLiteral("/4")},
};
const PageText ThreeQuartersLabel[] = {
    {540, 416, Symbol, 8, Black, QStringLiteral("p")},
    {530, 416, Sans, 8, Black, QStringLiteral("3    /4")},
};
const PageText SpeedSymbol = {52, 400, Symbol, 8, Navy, QStringLiteral("W1")};

const Segment TimeAxis[] = {{{400, 460}, {610, 460}}, {{605, 465}, {610, 460}}, {{605, 455}, {610, 460}}};
const Segment QuarterMarker[] = {
    {{410, 450}, {410, 400}}, {{380, 400}, {411, 400}},
    {{410, 425}, {405, 418}}, {{410, 425}, {415, 418}},
    {{410, 435}, {405, 443}}, {{410, 435}, {415, 443}},
};
const Segment ThreeQuartersMarker[] = {
    {{570, 330}, {570, 430}}, {{570, 430}, {530, 430}},
    {{570, 345}, {565, 338}}, {{570, 345}, {575, 338}},
    {{570, 377}, {565, 385}}, {{570, 377}, {575, 385}},
};

const RampLaw Ramps = {400, 0.6, 430, -0.3, 440, -0.22};

// The laws of the run for a step s. The step's multipliers in the edges (n/8) and the mean
// line (1/16) are binary fractions, so these are exact.
int edge(int n, int s) { return int(400 + 60.0 * n - n / 8.0 * s); }
int meanLineY(int s) { return int(300 - s / 16.0); }
double antennaAngle(int s) { return (0.000235 * s + 0.00248) * s; }

constexpr int FeedbackDelay = 15;

// The waves are shown left of WavesRight; what they draw beyond is wiped by a mask that reaches
// past the area's right edge (775) between the top of the setpoint and the bottom of the
// comparator's output.
constexpr int WavesRight = 540;
constexpr int MaskTop = 150, MaskBottom = 320, MaskRight = 840;

// A wave as a chain of points; its first `fixed` points never move and are not erased.
struct Chain
{
    std::array<QPoint, 32> points;
    int count = 0;
    int fixed = 0;
    void add(int x, int y) { points[count++] = QPoint(x, y); }
    std::span<const QPoint> all() const { return {points.data(), std::size_t(count)}; }
    std::span<const QPoint> moving() const { return all().subspan(fixed); }
};

// The setpoint (delay 0) or the feedback (delay 15): a square wave rising at 400 + delay.
Chain squareWave(int s, int delay, int high, int low)
{
    Chain c;
    c.add(400, low);
    if (delay > 0)
        c.add(400 + delay, low);
    c.fixed = c.count;
    int level = high;
    c.add(400 + delay, level);
    for (int n = 1; n <= 6; ++n) {
        c.add(edge(n, s) + delay, level);
        level = level == high ? low : high;
        c.add(edge(n, s) + delay, level);
    }
    c.add(edge(7, s) + delay, level);
    return c;
}

// The exclusive OR of the two: a pulse of the delay's width at every setpoint edge.
Chain comparatorOutput(int s)
{
    constexpr int High = 270, Low = 310;
    Chain c;
    c.add(400, Low);
    c.add(400, High);
    c.add(400 + FeedbackDelay, High);
    c.fixed = c.count;
    c.add(400 + FeedbackDelay, Low);
    for (int n = 1; n <= 6; ++n) {
        const int e = edge(n, s);
        c.add(e, Low);
        c.add(e, High);
        c.add(e + FeedbackDelay, High);
        c.add(e + FeedbackDelay, Low);
    }
    c.add(edge(7, s), Low);
    return c;
}

void drawReadout(Canvas &canvas, int k)
{
    canvas.setPenWidth(1);
    canvas.setPenAndBrush(BtnFace);
    canvas.Rectangle(370, 280, 390, 300);
    // The rectangle brought the button-face brush into effect: the value is written on an
    // opaque cell that covers the previous one.
    canvas.setFontColor(Red);
    canvas.setFontName(Symbol);
    canvas.setFontSize(8);
    canvas.TextOut(363, 280, comparatorMeanText(k));
    canvas.setFontName(Sans);
    canvas.TextOut(387, 280, QStringLiteral("V"));
}

void drawWaves(Canvas &canvas, int k)
{
    canvas.setPenWidth(1);
    const struct { TColor colour; Chain previous, now; } waves[] = {
        {Blue, squareWave(k - 1, 0, 150, 190), squareWave(k, 0, 150, 190)},
        {Black, squareWave(k - 1, FeedbackDelay, 210, 250), squareWave(k, FeedbackDelay, 210, 250)},
        {Green, comparatorOutput(k - 1), comparatorOutput(k)},
    };
    for (const auto &wave : waves) {
        canvas.setPenColor(BtnFace);
        drawPolyline(canvas, wave.previous.moving());
        canvas.setPenColor(wave.colour);
        drawPolyline(canvas, wave.now.all());
    }
    canvas.setPenColor(BtnFace);
    drawPolyline(canvas, std::array{QPoint(400, meanLineY(k - 1)), QPoint(WavesRight, meanLineY(k - 1))});
    canvas.setPenColor(Red);
    drawPolyline(canvas, std::array{QPoint(400, meanLineY(k)), QPoint(WavesRight, meanLineY(k))});

    canvas.setPenAndBrush(BtnFace);
    canvas.Rectangle(WavesRight, MaskTop, MaskRight, MaskBottom);
}
}

QString comparatorMeanText(int k)
{
    const double volts = std::ceil(100 * (1.25 + k / 128.0)) / 100;
    return QLocale().toString(volts, 'g', 15);
}

void SpeedChangePage(Stage &stage)
{
    const int k = ElementStep;
    Canvas &canvas = stage.canvas;
    showRestartOnly(stage);
    drawLoopDiagram(canvas, DiagramVariant::SpeedChange);
    drawTurningAntenna(canvas, antennaAngle(k - 2), antennaAngle(k - 1), antennaAngle(k));

    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, PageTexts);
    if (k >= QuarterFrom)
        drawTexts(canvas, QuarterLabel);
    if (k >= ThreeQuartersFrom)
        drawTexts(canvas, ThreeQuartersLabel);
    drawText(canvas, SpeedSymbol);

    drawReadout(canvas, k);
    drawWaves(canvas, k);

    canvas.setPenColor(Blue);
    drawSegments(canvas, TimeAxis);
    PhaseRampPlot(canvas, Ramps, k);
    canvas.setPenColor(Navy);
    if (k >= QuarterFrom)
        drawSegments(canvas, QuarterMarker);
    if (k >= ThreeQuartersFrom)
        drawSegments(canvas, ThreeQuartersMarker);
}

// Section B of the presentation: the phase comparator, an exclusive-OR gate whose output mean
// grows with the phase shift between the setpoint and the speed sensor's square.
#include "pages/page_state.h"
#include "pages/stage.h"
#include "drawing/arrow.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/commands.h"
#include "pages/presentation/sections.h"
#include "pages/presentation/slide.h"

#include <algorithm>
#include <vector>

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;

// The input and output arrows are longer than the diagram's, so the group reads as a whole.
constexpr Arrow GroupInput{{60, 80}, {110, 80}, true, {103, 73}, {103, 87}};
constexpr Arrow GroupOutput{{208, 80}, {220, 80}, true, {213, 73}, {213, 87}};

// The comparator and its gain block, as the intro slides them down.
void comparatorGroup(Canvas &canvas, QPoint offset)
{
    Diagram::drawComparatorSymbol(canvas, offset);
    Diagram::ComparatorGain.draw(canvas, offset);
    for (const Arrow &a : {GroupInput, Diagram::FeedbackIn, Diagram::ComparatorToGain, GroupOutput})
        drawArrow(canvas, a.translated(offset));
}

PageText shifted(PageText text, int dy)
{
    text.y += dy;
    return text;
}

// Runs of spaces leave room for the Greek letters drawn over them.
const PageText PageTexts[] = {
    {60, 170, Symbol, 15, Highlight, QStringLiteral("j")},
    {105, 136, Symbol, 15, Highlight, QStringLiteral("j1")},
    {468, 200, Symbol, 10, Blue, QStringLiteral("j")},
    {572, 220, Symbol, 10, Blue, QStringLiteral("j1")},
    {613, 220, Symbol, 10, Blue, QStringLiteral("Dj")},
    {160, 170, Symbol, 12, Highlight, QStringLiteral("Dj")},
    {370, 410, Symbol, 12, Highlight, QStringLiteral("Dj")},
    {216, 175, Sans, 10, Highlight, QStringLiteral("U0")},
    {85, 182, Sans, 10, Highlight, QStringLiteral("(E)")},
    {138, 140, Sans, 10, Highlight, QStringLiteral("(X)")},
    {160, 200, Sans, 10, Highlight, QStringLiteral("(S)")},
    {210, 285, Sans, 10, Highlight, QStringLiteral("E")},
    {210, 265, Sans, 10, Highlight, QStringLiteral("X")},
    {335, 275, Sans, 10, Highlight, QStringLiteral("S")},
    {370, 255, Sans, 10, Highlight, QStringLiteral("E :")},
    {370, 315, Sans, 10, Highlight, QStringLiteral("X :")},
    {370, 375, Sans, 10, Highlight, QStringLiteral("S :")},
    {550, 375, Sans, 10, Red, QStringLiteral(": valeur moyenne de S notée 'U0'")},
    {250, 180, Sans, 10, Blue, QStringLiteral("Le comparateur de phase est un 'ou exclusif'à l'entrée duquel est appliqué :")},
    {250, 200, Sans, 10, Blue, QStringLiteral("- la consigne E : signal carré (phase     = wt)")},
    {250, 220, Sans, 10, Blue, QStringLiteral("- la sortie du capteur de vitesse X : signal carré (phase     =wt -      )")},
    {600, 275, Sans, 10, Highlight, QStringLiteral("X    E    S")},
    {600, 290, Sans, 10, Blue, QStringLiteral("0    0     0")},
    {600, 305, Sans, 10, Blue, QStringLiteral("0    1     1")},
    {600, 320, Sans, 10, Blue, QStringLiteral("1    0     1")},
    {600, 335, Sans, 10, Blue, QStringLiteral("1    1     0")},
    {10, 250, Sans, 8, Black, QStringLiteral("Si : N=1/100, alors la fréquence")},
    {10, 265, Sans, 8, Black, QStringLiteral("de E et X est : 1kHz et celle de")},
    {10, 280, Sans, 8, Black, QStringLiteral("S : 2kHz")},
    {10, 320, Sans, 10, Blue, QStringLiteral("Gcp=gain du comparateur de phase")},
    {10, 340, Sans, 10, Blue, QStringLiteral("       =U0/         =5/        ")},
    {18, 363, Sans, 10, Blue, QStringLiteral("U0")},
    {12, 391, Sans, 10, Blue, QStringLiteral("5V")},
    {680, 300, Sans, 4, Blue, QStringLiteral("Niveau bas = 0V")},
    {680, 320, Sans, 4, Blue, QStringLiteral("Niveau haut = 5V")},
    {587, 415, Sans, 10, Green, QStringLiteral("Observer la ")},
    {587, 430, Sans, 10, Green, QStringLiteral("variation de        :")},
    {60, 340, Symbol, 10, Blue, QStringLiteral("Dj")},
    {107, 340, Symbol, 10, Blue, QStringLiteral("p")},
    {60, 433, Symbol, 10, Blue, QStringLiteral("p")},
    {102, 445, Symbol, 10, Blue, QStringLiteral("Dj")},
    {663, 430, Symbol, 10, Green, QStringLiteral("Dj")},
};

// The exclusive-OR gate and its leads: X and E in, S out.
const Segment GateLeads[] = {{{220, 275}, {250, 275}}, {{220, 295}, {250, 295}}, {{300, 285}, {330, 285}}};

// The characteristic's axes, U0 upwards and the shift to the right, from the origin (10, 450).
const Arrow CharacteristicAxes[] = {
    {{10, 360}, {10, 460}, true, {3, 367}, {17, 367}, true},
    {{1, 450}, {100, 450}, true, {93, 443}, {93, 457}},
};
const Segment Characteristic{{10, 450}, {70, 390}}; // 5 V at pi
const Segment CharacteristicGuides[] = {{{70, 390}, {10, 390}}, {{70, 390}, {70, 450}}};

// The still picture shows a quarter-period shift: 20 of the 80 pixels a period takes.
const Segment ShiftMarks[] = {{{400, 285}, {400, 440}}, {{420, 285}, {420, 440}}};
const Segment ShiftDimension[] = {
    {{360, 430}, {430, 430}},
    {{400, 430}, {393, 423}}, {{400, 430}, {393, 437}},
    {{420, 430}, {427, 423}}, {{420, 430}, {427, 437}},
};
const Segment StillMean{{400, 385}, {520, 385}};
const std::vector<QPoint> StillTraces[] = {
    {{400, 285}, {400, 245}, {440, 245}, {440, 285}, {480, 285}, {480, 245}, {520, 245}, {520, 285}},
    {{400, 345}, {420, 345}, {420, 305}, {460, 305}, {460, 345}, {500, 345}, {500, 305}, {520, 305}},
    {{400, 405}, {400, 365}, {420, 365}, {420, 405}, {440, 405}, {440, 365}, {460, 365}, {460, 405},
     {480, 405}, {480, 365}, {500, 365}, {500, 405}, {520, 405}},
};

// Shown while the shift sweeps from 0 to almost pi.
const PageText SweepTexts[] = {
    {80, 400, Sans, 6, Red, QStringLiteral(": déplacement du point")},
    {90, 420, Sans, 6, Red, QStringLiteral("de fonctionnement")},
    {220, 350, Sans, 6, Black, QStringLiteral("S=Signal carré qui 'porte'")},
    {220, 370, Sans, 6, Black, QStringLiteral("le signal utile 'U0'.")},
    {220, 390, Sans, 6, Black, QStringLiteral("La branche directe de")},
    {220, 410, Sans, 6, Black, QStringLiteral("la boucle devra filtrer")},
    {220, 430, Sans, 6, Black, QStringLiteral("ce carré pour ne garder")},
    {220, 450, Sans, 6, Black, QStringLiteral("que l'effet de 'U0'.")},
};

// Where the moving X, S and mean are wiped before each step; E stays.
struct Wipe { int x1, y1, x2, y2; };
const Wipe SweepWipes[] = {{400, 288, 580, 370}, {402, 350, 550, 500}, {405, 280, 435, 287}};

// The sweep's last shift, in pixels: just short of the half period (pi) at 40.
constexpr int LastShift = SweepLastStep;

void line(Canvas &canvas, QPoint from, QPoint to)
{
    canvas.MoveTo(from.x(), from.y());
    canvas.LineTo(to.x(), to.y());
}

void pen(Canvas &canvas, TColor colour, int width, PenStyle style = PenStyle::Solid)
{
    canvas.setPenStyle(style);
    canvas.setPenWidth(width);
    canvas.setPenColor(colour);
}

void drawGate(Canvas &canvas)
{
    pen(canvas, Red, 1);
    canvas.setBrushColor(White);
    canvas.Rectangle(250, 260, 300, 310);
    drawText(canvas, {265, 265, Sans, 6, Blue, QStringLiteral("OU")});
    drawText(canvas, {255, 285, Sans, 6, Blue, QStringLiteral("Exclusif")});
    drawSegments(canvas, GateLeads);
}

void drawStillPicture(Stage &stage)
{
    Canvas &canvas = stage.canvas;
    stage.controls.show(Control::Button2);
    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, PageTexts);
    canvas.setFontName(Sans);
    drawGate(canvas);

    pen(canvas, Blue, 1);
    for (const Arrow &a : CharacteristicAxes)
        drawArrow(canvas, a);

    pen(canvas, Red, 1, PenStyle::Dot);
    canvas.setBrushColor(BtnFace);
    drawSegments(canvas, ShiftMarks);
    pen(canvas, Highlight, 1, PenStyle::Dot);
    drawSegments(canvas, CharacteristicGuides);

    pen(canvas, Highlight, 1);
    drawSegments(canvas, ShiftDimension);
    pen(canvas, Highlight, 4);
    line(canvas, Characteristic.from, Characteristic.to);
    pen(canvas, Red, 2);
    line(canvas, StillMean.from, StillMean.to);
    pen(canvas, Highlight, 2);
    for (const std::vector<QPoint> &trace : StillTraces)
        drawPolyline(canvas, trace);
}

// The operating point on the characteristic for a shift of p pixels: 1.5 px along each axis
// per pixel of shift (60 px of U0 for the 40 px of half a period).
int markerX(int p) { return int(1.5 * p + 9); }
int markerY(int p) { return int(450 - 1.5 * p); }

void drawMarker(Canvas &canvas, int p, TColor colour)
{
    pen(canvas, colour, 4);
    line(canvas, {markerX(p), markerY(p)}, {markerX(p) + 2, markerY(p)});
}

// X lagging E by p pixels, from its first rising edge.
std::vector<QPoint> delayedX(int p)
{
    return {{400 + p, 345}, {400 + p, 305}, {440 + p, 305}, {440 + p, 345},
            {480 + p, 345}, {480 + p, 305}, {520 + p, 305}, {520 + p, 345}};
}

// E xor X: high from each edge of E for the p pixels X lags behind it.
std::vector<QPoint> exclusiveOr(int p)
{
    std::vector<QPoint> s;
    for (int edge : {400, 440, 480})
        s.insert(s.end(), {{edge, 405}, {edge, 365}, {edge + p, 365}, {edge + p, 405}});
    s.push_back({520, 405});
    return s;
}

void drawSweepStep(Canvas &canvas, int p)
{
    canvas.SetBkMode(BkMode::Transparent);
    drawMarker(canvas, p - 1, BtnFace);
    pen(canvas, Highlight, 4);
    line(canvas, Characteristic.from, Characteristic.to);
    drawMarker(canvas, p, Red);
    drawTexts(canvas, SweepTexts);

    canvas.setPenAndBrush(BtnFace);
    for (const Wipe &r : SweepWipes)
        canvas.Rectangle(r.x1, r.y1, r.x2, r.y2);

    pen(canvas, BtnFace, 1, PenStyle::Dot);
    canvas.setBrushColor(BtnFace);
    line(canvas, {400, 285}, {400, 440});
    line(canvas, {399 + p, 285}, {399 + p, 440});
    canvas.setPenColor(Red);
    line(canvas, {400, 285}, {400, 440});
    line(canvas, {400 + p, 285}, {400 + p, 440});

    // Button face over the last X's edges, then the new X, low from the start of E.
    pen(canvas, BtnFace, 2);
    drawPolyline(canvas, delayedX(p - 2));
    pen(canvas, Highlight, 2);
    std::vector<QPoint> x = delayedX(p);
    x.insert(x.begin(), {400, 345});
    drawPolyline(canvas, x);
    drawPolyline(canvas, exclusiveOr(p));

    // U0 grows 1 px per pixel of shift: 40 px (5 V) at half a period.
    pen(canvas, Red, 2);
    line(canvas, {400, 405 - p}, {520, 405 - p});

    pen(canvas, Red, 1, PenStyle::Dot);
    canvas.setBrushColor(BtnFace);
    line(canvas, {400 + p, 285}, {400 + p, 440});

    pen(canvas, Highlight, 1);
    line(canvas, {400, 430}, {460, 430});
    line(canvas, {400 + p, 430}, {407 + p, 423});
    line(canvas, {400 + p, 430}, {407 + p, 437});
}
}

void ComparatorIntro(Stage &stage, int k)
{
    Canvas &canvas = stage.canvas;
    const int o = 2 * k;
    slideStep(canvas, {0, o - 2}, {0, o}, comparatorGroup);

    canvas.setBrushColor(Red);
    canvas.SetBkMode(BkMode::Transparent);
    for (const PageText &sign : Diagram::ComparatorSigns)
        drawText(canvas, shifted(sign, o));
    drawText(canvas, shifted(Diagram::GainLabel, o));
}

void ComparatorPage(Stage &stage)
{
    drawStillPicture(stage);
    // Button2 starts the sweep at 1; the intro leaves 60 here, so the sweep waits for it.
    if (PhaseSweepStep < 1 || PhaseSweepStep > LastShift)
        return;
    PhaseSweepStep = std::min(PhaseSweepStep + 1, LastShift);
    drawSweepStep(stage.canvas, PhaseSweepStep);
}

void Button2Click(Stage &)
{
    PhaseSweepStep = 1;
}

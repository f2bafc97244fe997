#include "pages/closedloop/operating_point_page.h"

#include "pages/page_state.h"
#include "pages/stage.h"
#include "drawing/antenna.h"
#include "drawing/arrow.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/closedloop/closed_loop_page.h"

#include <vector>

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;

// Runs of spaces leave room for the Greek letters drawn over them.
const PageText PageTexts[] = {
    {250, 120, Sans, 10, Red, QStringLiteral("En Régime Permanent :")},
    {1, 150, Sans, 8, Blue, QStringLiteral("Consigne = signal carré de fréquence 100kHz/100 = 1kHz.")},
    {1, 165, Sans, 8, Blue, QStringLiteral("sa pulsation :      = 2    ft = 2000    t")},
    {1, 180, Sans, 8, Blue, QStringLiteral("(la consigne est donc une rampe de pente 2000     )")},
    {736, 263, Sans, 8, Blue, QStringLiteral("t")},
    {1, 200, Sans, 8, Black, QStringLiteral("Le signal de retour : signal carré de même fréquence que")},
    {1, 215, Sans, 8, Black, QStringLiteral("la consigne, retardé d'un quart de période :")},
    {1, 230, Sans, 8, Black, QStringLiteral("sa pulsation :      = 2    ft -    /2 = 2000    t -    /2")},
    {1, 250, Sans, 8, Green, QStringLiteral("La sortie du comparateur de phase est un signal carré ")},
    {1, 265, Sans, 8, Green, QStringLiteral("de fréquence 2 kHz.")},
    {1, 280, Sans, 8, Green, QStringLiteral("Cette valeur moyenne est conservée sur les signaux U1 et U.")},
    {1, 295, Sans, 8, Green, QStringLiteral("La tension à l'entrée du moteur est sensiblement triangulaire")},
    {1, 310, Sans, 8, Green, QStringLiteral("(voir la rubrique 'modélisation')")},
    {545, 300, Sans, 8, Green, QStringLiteral("0V")},
    {545, 260, Sans, 8, Green, QStringLiteral("5V")},
    {545, 325, Sans, 8, Blue, QStringLiteral("6,2V")},
    {535, 380, Sans, 8, Blue, QStringLiteral("-1,2V")},
    {1, 325, Sans, 8, Blue, QStringLiteral("La tension de commande U du moteur correspond au signal")},
    {1, 340, Sans, 8, Blue, QStringLiteral("carré de fréquence 2 kHz, partiellement filtré,")},
    {1, 400, Sans, 8, Navy, QStringLiteral("La vitesse      est constante = 2,5V*(25/2   ) = 10tr/s.")},
    {1, 415, Sans, 8, Navy, QStringLiteral("La composante alternative a été filtrée par le moteur :")},
    {1, 430, Sans, 8, Navy, QStringLiteral("atténuation de 76dB à la pulsation 12566 rad/s (2kHz),")},
    {1, 445, Sans, 8, Navy, QStringLiteral("donc ondulation de vitesse négligeable autour du point de fonctionnement.")},
    {545, 280, Sans, 8, Red, QStringLiteral("2,5V")},
    {545, 350, Sans, 8, Red, QStringLiteral("2,5V")},
    {100, 265, Sans, 8, Red, QStringLiteral("Sa valeur moyenne U0 = 2,5V.")},
    {1, 355, Sans, 8, Red, QStringLiteral("de valeur moyenne inchangée 2,5V (signal 'utile')")},
    // The Greek letters, in the gaps above.
    {70, 165, Symbol, 8, Blue, QStringLiteral("j")},
    {97, 165, Symbol, 8, Blue, QStringLiteral("p")},
    {155, 165, Symbol, 8, Blue, QStringLiteral("p")},
    {230, 180, Symbol, 8, Blue, QStringLiteral("p")},
    {600, 210, Symbol, 8, Blue, QStringLiteral("j")},
    {69, 230, Symbol, 8, Black, QStringLiteral("j1")},
    {97, 230, Symbol, 8, Black, QStringLiteral("p")},
    {125, 230, Symbol, 8, Black, QStringLiteral("p")},
    {182, 230, Symbol, 8, Black, QStringLiteral("p")},
    {205, 230, Symbol, 8, Black, QStringLiteral("p")},
    {600, 252, Symbol, 8, Black, QStringLiteral("j1")},
    {52, 400, Symbol, 8, Navy, QStringLiteral("W1")},
    {197, 400, Symbol, 8, Navy, QStringLiteral("p")},
};

// Shown once the ramps have run long enough for their gap to be seen.
const PageText Explanation[] = {
    {720, 206, Symbol, 8, Navy, QStringLiteral("p/2")},
    {645, 330, Symbol, 8, Blue, QStringLiteral("j-j1")},
    {760, 315, Symbol, 8, Blue, QStringLiteral("p.")},
    {680, 390, Symbol, 8, Blue, QStringLiteral("p")},
    {729, 390, Symbol, 8, Blue, QStringLiteral("p/2")},
    {600, 300, Sans, 8, Blue, QStringLiteral("La consigne peut être considérée")},
    {600, 315, Sans, 8, Blue, QStringLiteral("comme une rampe de pente 2000")},
    {600, 330, Sans, 8, Blue, QStringLiteral("L'écart :            est une constante")},
    {600, 345, Sans, 8, Blue, QStringLiteral("car la boucle ouverte présente une")},
    {600, 360, Sans, 8, Blue, QStringLiteral("intégration. Elle représente")},
    {600, 375, Sans, 8, Blue, QStringLiteral("l'erreur de vitesse(ou de trainage).")},
    {600, 390, Sans, 8, Blue, QStringLiteral("Sa valeur : 2000   /3979 = ")},
    {440, 420, Sans, 10, Red, QStringLiteral("Intérêt de cette boucle :")},
    {400, 435, Sans, 8, Blue, QStringLiteral("La bonne stabilité en fréquence de la consigne garantit")},
    {420, 450, Sans, 8, Blue, QStringLiteral("une vitesse du radar rigoureusement constante.")},
};

// The locked loop's signals over 140 pixels (80 pixels per millisecond).
struct Waveform { TColor colour; int width; std::vector<QPoint> points; };
const Waveform Waveforms[] = {
    {Blue, 1, {{400, 190}, {400, 150}, {440, 150}, {440, 190}, {480, 190}, {480, 150}, {520, 150}, {520, 190}, {540, 190}}},
    {Black, 1, {{400, 250}, {420, 250}, {420, 210}, {460, 210}, {460, 250}, {500, 250}, {500, 210}, {540, 210}, {540, 250}}},
    {Green, 1, {{400, 310}, {400, 270}, {420, 270}, {420, 310}, {440, 310}, {440, 270}, {460, 270}, {460, 310},
                {480, 310}, {480, 270}, {500, 270}, {500, 310}, {520, 310}, {520, 270}, {540, 270}, {540, 310}}},
    {Red, 1, {{400, 290}, {540, 290}}},
    {Red, 1, {{400, 360}, {540, 360}}},
    {Blue, 1, {{400, 390}, {420, 330}, {440, 390}, {460, 330}, {480, 390}, {500, 330}, {520, 390}, {540, 330}}},
    {Black, 2, {{580, 150}, {580, 400}}},
};

const Segment TimeAxis[] = {{{600, 280}, {750, 280}}, {{745, 275}, {750, 280}}, {{745, 285}, {750, 280}}};

// The pi/2 gap between the ramps: heads touching each ramp, and a leader under the label.
const Segment GapMarker[] = {
    {{700, 160}, {700, 220}},
    {{695, 175}, {700, 180}}, {{705, 175}, {700, 180}},
    {{695, 205}, {700, 200}}, {{705, 205}, {700, 200}},
    {{740, 220}, {700, 220}},
};

const RampLaw Ramps = {600, 0.6, 230, -0.3, 250, -0.3};

constexpr double AngleStep = 0.05;
constexpr int ExplanationFrom = 201;
}

void OperatingPointPage(Stage &stage)
{
    const int p = PageStep;
    Canvas &canvas = stage.canvas;
    showRestartOnly(stage);
    drawLoopDiagram(canvas, DiagramVariant::OperatingPoint);
    drawTurningAntenna(canvas, AngleStep * (p - 2), AngleStep * (p - 1), AngleStep * p);

    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, PageTexts);
    if (p >= ExplanationFrom)
        drawTexts(canvas, Explanation);
    canvas.setFontName(Sans);

    for (const Waveform &w : Waveforms) {
        canvas.setPenWidth(w.width);
        canvas.setPenColor(w.colour);
        drawPolyline(canvas, w.points);
    }
    canvas.setPenWidth(1);
    canvas.setPenColor(Blue);
    drawSegments(canvas, TimeAxis);

    PhaseRampPlot(canvas, Ramps, p);
    if (p >= ExplanationFrom) {
        canvas.setPenColor(Navy);
        drawSegments(canvas, GapMarker);
    }
}

// The regulator, a filtered phase-advance corrector: its block slides down and left, its page
// says what it is, and its "visualiser" button shows its role, transfer function and circuit.
#include "pages/page_state.h"
#include "pages/stage.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/presentation/sections.h"
#include "pages/presentation/slide.h"


namespace {
using namespace Colour;

// The block comes out 16 pixels left of the diagram's, with an input arrow of its own.
const QPoint Start(-16, 0);
const Arrow InputArrow{{160, 80}, {220, 80}, true, {213, 73}, {213, 87}};

QPoint offsetAt(int l) { return {-2 * l, 2 * l}; }

void regulatorGroup(Canvas &canvas, QPoint offset)
{
    Diagram::Regulator.draw(canvas, Start + offset);
    drawArrow(canvas, InputArrow.translated(offset));
    drawArrow(canvas, Diagram::RegulatorToAmplifier.translated(offset));
}

const PageText Explanation[] = {
    {220, 190, {}, 10, Blue, QStringLiteral("Le régulateur est à action dérivée : avance de phase filtrée")},
    {220, 210, {}, 10, Blue, QStringLiteral("Son rôle, sa fonction de transfert proposée et un exemple de montage :")},
};

const PageText Role[] = {
    {20, 230, {}, 12, Red, QStringLiteral("Sa fonction de transfert :")},
    {280, 230, {}, 12, Red, QStringLiteral("Exemple de montage :")},
    {20, 330, {}, 12, Red, QStringLiteral("Son rôle :")},
    {20, 350, {}, 8, Blue, QStringLiteral("Améliorer la stabilité de la boucle fermée,")},
    {20, 365, {}, 8, Blue, QStringLiteral("en augmentant la marge de phase,")},
    {20, 380, {}, 8, Blue, QStringLiteral("sans amplifier la composante alternative")},
    {20, 395, {}, 8, Blue, QStringLiteral("(signal carré en sortie du comparateur de phase)")},
    {20, 410, {}, 8, Green, QStringLiteral("VOIR plus loin l'analyse de la stabilité de la boucle.")},
};
}

void RegulatorIntro(Stage &stage, int l)
{
    Canvas &canvas = stage.canvas;
    slideStep(canvas, offsetAt(l - 1), offsetAt(l), regulatorGroup);
    // Written after the white brush came into use: opaque on white, inside the block.
    canvas.setFontColor(Blue);
    canvas.setFontSize(6);
    canvas.TextOut(225 - 2 * l, 70 + 2 * l, QStringLiteral("Régulateur"));
}

void RegulatorPage(Stage &stage)
{
    stage.canvas.SetBkMode(BkMode::Transparent);
    drawTexts(stage.canvas, Explanation);
    stage.controls.show(Control::ButtonPD);
}

void ButtonPDClick(Stage &stage)
{
    ElementStep = -1;
    stage.controls.hide(Control::ButtonPD);
    stage.canvas.SetBkMode(BkMode::Transparent);
    drawTexts(stage.canvas, Role);
    // The grey behind the fraction and the white behind the circuit let the page show through.
    stage.drawPicture(stage.PdFiltreBitmap, QStringLiteral("PDfiltre"), 20, 255);
    stage.drawPicture(stage.SchemaPdBitmap, QStringLiteral("schemapd"), 300, 230);
}

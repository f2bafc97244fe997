#include "pages/modelling/modelling_page.h"

#include "app/page_state.h"
#include "app/tpll.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"

#include <QPushButton>

namespace {
using namespace Colour;
using FontFace::Sans;

const PageText Title = {240, 136, Sans, 12, Highlight, QStringLiteral("Modélisation de la boucle :")};

// Under the block model, above the two analysis buttons.
const PageText AnalysisChoices[] = {
    {100, 350, {}, 10, Blue, QStringLiteral("Analyse de la stabilité SANS régulateur PD :")},
    {400, 350, {}, 10, Blue, QStringLiteral("Analyse de la stabilité AVEC régulateur PD :")},
};

// Beside the open-loop picture with the regulator, above the regulator's own button.
const PageText RegulatorChoice[] = {
    {600, 200, {}, 8, Red, QStringLiteral("Choix des constantes")},
    {600, 215, {}, 8, Red, QStringLiteral("de temps du régulateur :")},
};

void writeTransparent(Canvas &canvas, std::span<const PageText> texts)
{
    canvas.SetBkMode(BkMode::Transparent);
    drawTexts(canvas, texts);
}

// What every analysis page starts with: a clear area and the way back to the model.
void openAnalysisPage(TPLL &w)
{
    w.ClearDrawingArea();
    w.ButtonBOnc->hide();
    w.ButtonBOc->hide();
    w.Button1->hide();
    w.ButtonPP->show();
}
}

void ModellingPage(TPLL &w)
{
    for (QPushButton *b : {w.ButtonA, w.ButtonB, w.ButtonC, w.ButtonD, w.ButtonE, w.ButtonF, w.ButtonG})
        b->hide();
    w.Button1->show();
    w.Button2->hide();
    drawLoopDiagram(w.canvas(), DiagramVariant::Full);
    w.canvas().SetBkMode(BkMode::Transparent);
    drawText(w.canvas(), Title);
    PageStep = -3;
    if (ShowModelButton == 1)
        w.ButtonMod->show();
}

void TPLL::ButtonModClick()
{
    ButtonBOnc->show();
    ButtonBOc->show();
    Buttonregul->hide();
    writeTransparent(canvas(), AnalysisChoices);
    ButtonMod->hide();
    drawPicture(PllModelBitmap, QStringLiteral("pllmodel"), 80, 150);
}

void TPLL::ButtonBOncClick()
{
    openAnalysisPage(*this);
    Buttonregul->hide();
    drawPicture(PllBoncBitmap, QStringLiteral("PLLBOnc"), 150, 80);
}

void TPLL::ButtonBOcClick()
{
    openAnalysisPage(*this);
    Buttonregul->show();
    writeTransparent(canvas(), RegulatorChoice);
    drawPicture(PllBocBitmap, QStringLiteral("PLLBOc"), 80, 20);
}

void TPLL::ButtonregulClick()
{
    openAnalysisPage(*this);
    Buttonregul->hide();
    drawPicture(RegulBitmap, QStringLiteral("regul"), 80, 20);
}

void TPLL::ButtonPPClick()
{
    ClearDrawingArea();
    Button1->show();
    ButtonPP->hide();
    Buttonregul->hide();
    PageStep = -2;
    ShowModelButton = 0;
    ButtonBOnc->show();
    ButtonBOc->show();
    writeTransparent(canvas(), AnalysisChoices);
    ButtonMod->hide();
    drawPicture(PllModelBitmap, QStringLiteral("pllmodel"), 80, 150);
}

#include "pages/modelling/modelling_page.h"

#include "pages/page_state.h"
#include "pages/stage.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/commands.h"

namespace {
using namespace Colour;
using enum Control;
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
void openAnalysisPage(Stage &stage)
{
    stage.ClearDrawingArea();
    stage.controls.hide({ButtonBOnc, ButtonBOc, Button1});
    stage.controls.show(ButtonPP);
}

// The block model under the page's title, with the two analysis choices.
void showBlockModel(Stage &stage)
{
    stage.controls.show({ButtonBOnc, ButtonBOc});
    stage.controls.hide(Buttonregul);
    writeTransparent(stage.canvas, AnalysisChoices);
    stage.controls.hide(ButtonMod);
    stage.drawPicture(stage.PllModelBitmap, QStringLiteral("pllmodel"), 80, 150);
}
}

void ModellingPage(Stage &stage)
{
    stage.controls.hide(ElementButtons);
    stage.controls.show(Button1);
    stage.controls.hide(Button2);
    drawLoopDiagram(stage.canvas, DiagramVariant::Full);
    stage.canvas.SetBkMode(BkMode::Transparent);
    drawText(stage.canvas, Title);
    PageStep = -3;
    if (ShowModelButton == 1)
        stage.controls.show(ButtonMod);
}

void ButtonModClick(Stage &stage)
{
    showBlockModel(stage);
}

void ButtonBOncClick(Stage &stage)
{
    openAnalysisPage(stage);
    stage.controls.hide(Buttonregul);
    stage.drawPicture(stage.PllBoncBitmap, QStringLiteral("PLLBOnc"), 150, 80);
}

void ButtonBOcClick(Stage &stage)
{
    openAnalysisPage(stage);
    stage.controls.show(Buttonregul);
    writeTransparent(stage.canvas, RegulatorChoice);
    stage.drawPicture(stage.PllBocBitmap, QStringLiteral("PLLBOc"), 80, 20);
}

void ButtonregulClick(Stage &stage)
{
    openAnalysisPage(stage);
    stage.controls.hide(Buttonregul);
    stage.drawPicture(stage.RegulBitmap, QStringLiteral("regul"), 80, 20);
}

void ButtonPPClick(Stage &stage)
{
    stage.ClearDrawingArea();
    stage.controls.show(Button1);
    stage.controls.hide({ButtonPP, Buttonregul});
    PageStep = -2;
    ShowModelButton = 0;
    showBlockModel(stage);
}

// The commands of the topic list and the start button, and which handler each button has; the
// other commands live with the pages they draw on.
#include "pages/commands.h"

#include "pages/page_state.h"
#include "pages/presentation/presentation_page.h"
#include "pages/stage.h"
#include "pages/topics.h"

#include <iterator>

namespace {
using enum Control;


struct ControlCommand { Control control; Command command; };
const ControlCommand Commands[] = {
    {Button1, Button1Click}, {ButtonA, ButtonAClick}, {ButtonB, ButtonBClick},
    {ButtonC, ButtonCClick}, {Button2, Button2Click}, {ButtonPD, ButtonPDClick},
    {ButtonD, ButtonDClick}, {ButtonE, ButtonEClick}, {ButtonF, ButtonFClick},
    {ButtonG, ButtonGClick}, {Button3, Button3Click}, {ButtonMod, ButtonModClick},
    {ButtonBOnc, ButtonBOncClick}, {ButtonBOc, ButtonBOcClick}, {ButtonPP, ButtonPPClick},
    {Buttonregul, ButtonregulClick},
};
}

Command commandOf(Control control)
{
    for (const ControlCommand &c : Commands)
        if (c.control == control)
            return c.command;
    return nullptr;
}

void Choix(Stage &stage, int entry)
{
    if (entry < 0 || entry >= int(topics().size()))
        return;
    ChoiceIndex = entry;
    stage.controls.hide(ElementButtons);
    stage.controls.show(Button1);
    stage.controls.hide({Button2, ButtonBOnc, ButtonBOc, Buttonregul, ButtonPP, LabPanel});
    ElementActive = 0;
    ElementStep = 0;
    PageStep = 0;
}

void Button1Click(Stage &stage)
{
    ShowModelButton = 1;
    stage.controls.hide({ButtonBOnc, ButtonBOc});
    stage.ClearDrawingArea();
    // Before any choice the start button only clears: the next tick draws the menu page again.
    if (ChoiceIndex < 0 || ChoiceIndex >= int(topics().size()))
        return;
    const Topic &topic = topics()[std::size_t(ChoiceIndex)];
    PageStep = topic.start;
    if (topic.begin)
        topic.begin(stage);
}

void OpenExperiment(Stage &stage, const Experiment &experiment)
{
    Choix(stage, LabTopic);
    Button1Click(stage);
    stage.lab.open(experiment);
}

// The commands of the topic list and the start button, and which handler each button has; the
// other commands live with the pages they draw on.
#include "pages/commands.h"

#include "pages/page_state.h"
#include "pages/presentation/presentation_page.h"
#include "pages/stage.h"

#include <iterator>

namespace {
using enum Control;

// The first PageStep of each topic, by list entry.
constexpr int TopicStart[] = {-1, -2, 1, 251, LabPageStep};
static_assert(TopicStart[LabTopic] == LabPageStep);
constexpr int TopicCount = int(std::size(TopicStart));

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
    if (entry < 0 || entry >= TopicCount)
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
    if (ChoiceIndex < 0 || ChoiceIndex >= TopicCount)
        return;
    PageStep = TopicStart[ChoiceIndex];
    if (PageStep == -1)
        PresentationWelcome(stage);
    if (PageStep == LabPageStep) {
        stage.lab.reset();
        stage.labView = {};
        LabStep = 0;
    }
}

void OpenExperiment(Stage &stage, const Experiment &experiment)
{
    Choix(stage, LabTopic);
    Button1Click(stage);
    stage.lab.open(experiment);
}

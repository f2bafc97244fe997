#include "pages/presentation/presentation_page.h"

#include "pages/commands.h"
#include "pages/page_state.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/presentation/sections.h"
#include "pages/stage.h"

#include <optional>

namespace {
using enum Control;

// Where a section keeps its intro counter (the setpoint uses ElementStep itself).
enum class Counter { ElementStep, PhaseSweepStep, LocalStep };

struct Section
{
    Control button;
    int first, end;                    // ElementStep set by the button; the value that holds the end page
    std::optional<Control> alsoHidden; // hidden by the button besides the sensor's Button3
    bool introHidesPD, introHidesButton2;
    Counter counter;
    void (*intro)(Stage &, int);
    void (*endPage)(Stage &);
};

// In the order the tick tests them. No intro range holds another section's end value, so a
// finished section never starts the next one.
const Section Sections[] = {
    {ButtonA, 1, 20, {}, true, true, Counter::ElementStep, SetpointIntro, SetpointPage},
    {ButtonB, 21, 80, Button1, true, false, Counter::PhaseSweepStep, ComparatorIntro, ComparatorPage},
    {ButtonC, 81, 140, ButtonPD, false, true, Counter::LocalStep, RegulatorIntro, RegulatorPage},
    {ButtonD, 141, 200, {}, true, true, Counter::LocalStep, AmplifierIntro, AmplifierPage},
    {ButtonE, 201, 260, {}, true, true, Counter::LocalStep, MotorIntro, MotorPage},
    {ButtonF, 261, 320, {}, true, true, Counter::LocalStep, ReducerIntro, ReducerPage},
    {ButtonG, 321, 380, {}, true, true, Counter::LocalStep, SensorIntro, SensorPage},
};

// Written by the start button, under where the sections will draw; they stay until an element
// button clears the area.
const PageText Welcome[] = {
    {160, 200, {}, 12, Colour::Blue, QStringLiteral("Des explications sur la configuration choisie peuvent être")},
    {120, 230, {}, 12, Colour::Blue, QStringLiteral("obtenues en cliquant sur les boutons correspondant à chaque élément")},
};

void runSection(Stage &stage, const Section &s)
{
    if (ElementStep >= s.first && ElementStep < s.end) {
        if (s.introHidesPD)
            stage.controls.hide(ButtonPD);
        if (s.introHidesButton2)
            stage.controls.hide(Button2);
        ++ElementStep;
        const int counter = ElementStep - (s.first - 1);
        if (s.counter == Counter::PhaseSweepStep)
            PhaseSweepStep = counter;
        else if (s.counter == Counter::LocalStep)
            LocalStep = counter;
        s.intro(stage, counter);
    }
    // In the same tick, so the last intro step and the end page appear together.
    if (ElementStep == s.end)
        s.endPage(stage);
}

// An element button clears the area and starts its section from the first step.
void startSection(Stage &stage, Control button)
{
    for (const Section &s : Sections) {
        if (s.button != button)
            continue;
        stage.ClearDrawingArea();
        stage.controls.hide(Button3);
        if (s.alsoHidden)
            stage.controls.hide(*s.alsoHidden);
        SensorStep = 0;
        ElementActive = 1;
        ElementStep = s.first;
    }
}
}

void PresentationWelcome(Stage &stage)
{
    // Over the clearing's button-face brush: the background it leaves.
    drawTexts(stage.canvas, Welcome);
}

void PresentationPage(Stage &stage)
{
    stage.controls.show(ElementButtons);
    stage.controls.hide({Button1, ButtonMod});
    drawLoopDiagram(stage.canvas, DiagramVariant::Presentation);
    if (ElementActive != 1)
        return;
    for (const Section &s : Sections)
        runSection(stage, s);
    SensorRotation(stage);
}

std::optional<AnimationProgress> presentationProgress()
{
    if (SensorStep > 0)
        return AnimationProgress{SensorStep, RotationLastStep};
    for (const Section &s : Sections) {
        if (ElementStep < s.first || ElementStep > s.end)
            continue;
        if (ElementStep == s.end && s.counter == Counter::PhaseSweepStep && PhaseSweepStep <= SweepLastStep)
            return AnimationProgress{PhaseSweepStep, SweepLastStep};
        return AnimationProgress{ElementStep - (s.first - 1), s.end - (s.first - 1)};
    }
    return std::nullopt;
}

std::optional<Control> presentationSection()
{
    if (PageStep != -1 || ElementActive != 1)
        return std::nullopt;
    // The sensor's rotation and the regulator's circuit both leave ElementStep at -1.
    if (SensorStep > 0)
        return ButtonG;
    if (ElementStep == -1)
        return ButtonC;
    for (const Section &s : Sections)
        if (ElementStep >= s.first && ElementStep <= s.end)
            return s.button;
    return std::nullopt;
}

void ButtonAClick(Stage &stage) { startSection(stage, ButtonA); }
void ButtonBClick(Stage &stage) { startSection(stage, ButtonB); }
void ButtonCClick(Stage &stage) { startSection(stage, ButtonC); }
void ButtonDClick(Stage &stage) { startSection(stage, ButtonD); }
void ButtonEClick(Stage &stage) { startSection(stage, ButtonE); }
void ButtonFClick(Stage &stage) { startSection(stage, ButtonF); }
void ButtonGClick(Stage &stage) { startSection(stage, ButtonG); }

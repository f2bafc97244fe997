#include "pages/presentation/presentation_page.h"

#include "app/page_state.h"
#include "app/tpll.h"
#include "drawing/loop_diagram.h"
#include "pages/presentation/sections.h"

#include <QPushButton>

namespace {
// Where a section keeps its intro counter (the setpoint uses ElementStep itself).
enum class Counter { ElementStep, PhaseSweepStep, LocalStep };

struct Section
{
    int first, end;          // ElementStep set by the button; the value that holds the end page
    bool hidesPD, hidesButton2;
    Counter counter;
    void (*intro)(TPLL &, int);
    void (*endPage)(TPLL &);
};

// In the order the tick tests them. No intro range holds another section's end value, so a
// finished section never starts the next one.
const Section Sections[] = {
    {1, 20, true, true, Counter::ElementStep, SetpointIntro, SetpointPage},
    {21, 80, true, false, Counter::PhaseSweepStep, ComparatorIntro, ComparatorPage},
    {81, 140, false, true, Counter::LocalStep, RegulatorIntro, RegulatorPage},
    {141, 200, true, true, Counter::LocalStep, AmplifierIntro, AmplifierPage},
    {201, 260, true, true, Counter::LocalStep, MotorIntro, MotorPage},
    {261, 320, true, true, Counter::LocalStep, ReducerIntro, ReducerPage},
    {321, 380, true, true, Counter::LocalStep, SensorIntro, SensorPage},
};

void runSection(TPLL &w, const Section &s)
{
    if (ElementStep >= s.first && ElementStep < s.end) {
        if (s.hidesPD)
            w.ButtonPD->hide();
        if (s.hidesButton2)
            w.Button2->hide();
        ++ElementStep;
        const int counter = ElementStep - (s.first - 1);
        if (s.counter == Counter::PhaseSweepStep)
            PhaseSweepStep = counter;
        else if (s.counter == Counter::LocalStep)
            LocalStep = counter;
        s.intro(w, counter);
    }
    // In the same tick, so the last intro step and the end page appear together.
    if (ElementStep == s.end)
        s.endPage(w);
}
}

void PresentationPage(TPLL &w)
{
    for (QPushButton *b : {w.ButtonA, w.ButtonB, w.ButtonC, w.ButtonD, w.ButtonE, w.ButtonF, w.ButtonG})
        b->show();
    w.Button1->hide();
    w.ButtonMod->hide();
    drawLoopDiagram(w.canvas(), DiagramVariant::Presentation);
    if (ElementActive != 1)
        return;
    for (const Section &s : Sections)
        runSection(w, s);
    SensorRotation(w);
}

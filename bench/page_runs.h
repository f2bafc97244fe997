#pragma once
// Every page and section played as a user plays it: the list entry and the start button, then
// buttons pressed between ticks. The tick benchmark times these runs and the frame test checks
// every picture they draw, so both see the same frames.
#include "app/page_state.h"
#include "app/tpll.h"

#include <QPushButton>
#include <vector>

// A button pressed (if any), then ticks; the benchmark times only the timed ones.
struct RunStep
{
    QPushButton *TPLL::*press;
    int ticks;
    bool timed = true;
};

struct PageRun
{
    const char *name;
    int choice; // list entry the start button opens; -1 stays on the menu
    std::vector<RunStep> steps;
};

// An element section: its button once the presentation page shows it, then its intro and a
// few ticks of its page.
inline PageRun sectionRun(const char *name, QPushButton *TPLL::*button)
{
    return {name, 0, {{nullptr, 1, false}, {button, 70}}};
}

inline const std::vector<PageRun> &pageRuns()
{
    static const std::vector<PageRun> runs = {
        {"menu", -1, {{nullptr, 300}}},
        {"operating point", 2, {{nullptr, 260}}},
        {"speed change", 3, {{nullptr, 330}}},
        {"modelling", 1, {{nullptr, 3}, {&TPLL::ButtonMod, 5}, {&TPLL::ButtonBOnc, 5}, {&TPLL::ButtonPP, 5},
                          {&TPLL::ButtonBOc, 5}, {&TPLL::Buttonregul, 5}, {&TPLL::ButtonPP, 5}}},
        sectionRun("setpoint", &TPLL::ButtonA),
        sectionRun("comparator", &TPLL::ButtonB),
        {"comparator sweep", 0, {{nullptr, 1, false}, {&TPLL::ButtonB, 60, false}, {&TPLL::Button2, 45}}},
        sectionRun("regulator", &TPLL::ButtonC),
        {"regulator circuit", 0, {{nullptr, 1, false}, {&TPLL::ButtonC, 61, false}, {&TPLL::ButtonPD, 10}}},
        sectionRun("amplifier", &TPLL::ButtonD),
        sectionRun("motor", &TPLL::ButtonE),
        sectionRun("reducer", &TPLL::ButtonF),
        sectionRun("sensor", &TPLL::ButtonG),
        {"sensor rotation", 0, {{nullptr, 1, false}, {&TPLL::ButtonG, 60, false}, {&TPLL::Button3, 75}}},
        {"operating point restarted", 2, {{nullptr, 120}, {&TPLL::Button1, 260}}},
        {"speed change restarted", 3, {{nullptr, 160}, {&TPLL::Button1, 330}}},
    };
    return runs;
}

// Plays `run` from the start-up state: pressed(button) before each press, tick(timed) for each
// tick, which must call the window's Timer1Timer itself.
template <typename Pressed, typename Tick>
void playRun(TPLL &window, const PageRun &run, Pressed pressed, Tick tick)
{
    resetPageState();
    ChoiceIndex = run.choice;
    window.Button1Click();
    for (const RunStep &step : run.steps) {
        if (step.press) {
            pressed(window.*step.press);
            (window.*step.press)->click();
        }
        for (int i = 0; i < step.ticks; ++i)
            tick(step.timed);
    }
}

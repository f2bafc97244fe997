#pragma once
// Every page and section played as a user plays it: the list entry and the start button, then
// buttons pressed between ticks. The tick benchmark times these runs and the frame test checks
// every picture they draw, so both see the same frames.
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/stage.h"

#include <optional>
#include <vector>

// A button pressed (if any), then ticks; the benchmark times only the timed ones.
struct RunStep
{
    std::optional<Control> press;
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
inline PageRun sectionRun(const char *name, Control button)
{
    return {name, 0, {{{}, 1, false}, {button, 70}}};
}

inline const std::vector<PageRun> &pageRuns()
{
    using enum Control;
    static const std::vector<PageRun> runs = {
        {"menu", -1, {{{}, 300}}},
        {"operating point", 2, {{{}, 260}}},
        {"speed change", 3, {{{}, 330}}},
        {"modelling", 1, {{{}, 3}, {ButtonMod, 5}, {ButtonBOnc, 5}, {ButtonPP, 5},
                          {ButtonBOc, 5}, {Buttonregul, 5}, {ButtonPP, 5}}},
        sectionRun("setpoint", ButtonA),
        sectionRun("comparator", ButtonB),
        {"comparator sweep", 0, {{{}, 1, false}, {ButtonB, 60, false}, {Button2, 45}}},
        sectionRun("regulator", ButtonC),
        {"regulator circuit", 0, {{{}, 1, false}, {ButtonC, 61, false}, {ButtonPD, 10}}},
        sectionRun("amplifier", ButtonD),
        sectionRun("motor", ButtonE),
        sectionRun("reducer", ButtonF),
        sectionRun("sensor", ButtonG),
        {"sensor rotation", 0, {{{}, 1, false}, {ButtonG, 60, false}, {Button3, 75}}},
        {"operating point restarted", 2, {{{}, 120}, {Button1, 260}}},
        {"speed change restarted", 3, {{{}, 160}, {Button1, 330}}},
        // From rest at 1 kHz to the lock, 20 ms of loop time a tick.
        {"lab", 4, {{{}, 300}}},
    };
    return runs;
}

// Plays `run` on `stage` from the start-up state: pressed(control) before each press, then its
// command; tick(timed) for each tick, which must run the pages' tick itself.
template <typename Pressed, typename Tick>
void playRun(Stage &stage, const PageRun &run, Pressed pressed, Tick tick)
{
    resetPageState();
    ChoiceIndex = run.choice;
    Button1Click(stage);
    for (const RunStep &step : run.steps) {
        if (step.press) {
            pressed(*step.press);
            commandOf(*step.press)(stage);
        }
        for (int i = 0; i < step.ticks; ++i)
            tick(step.timed);
    }
}

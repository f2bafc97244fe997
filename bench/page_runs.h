#pragma once
// Every page and section played as a user plays it: the list entry and the start button, then
// buttons pressed between ticks. The tick benchmark times these runs and the frame test checks
// every picture they draw, so both see the same frames.
#include "pages/commands.h"
#include "pages/lab/lab_command.h"
#include "pages/page_state.h"
#include "pages/stage.h"

#include <functional>
#include <optional>
#include <vector>

// A button pressed (if any), then ticks; the benchmark times only the timed ones.
struct RunStep
{
    std::optional<Control> press;
    int ticks;
    bool timed = true;
    std::vector<LabCommand> lab = {};  // the student's actions on the lab, after the press
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

// The lab in its frequency view on one of its charts, as it runs.
inline std::vector<RunStep> chartSteps(FrequencyChart chart)
{
    using enum LabCommand::Kind;
    return {{{}, 50, false}, {{}, 100, true, {{FrequencyView, 1}, {FrequencyChart, int(chart)}}}};
}

// The lab in its frequency view, the lead moved by a step each tick, up then down.
inline std::vector<RunStep> tuningSteps()
{
    using enum LabCommand::Kind;
    std::vector<RunStep> steps{{{}, 20, false, {{FrequencyView, 1}}}};
    for (int i = 0; i < 100; ++i)
        steps.push_back({{}, 1, true, {{Lead, 250 + (i < 50 ? i : 100 - i) * 10}}});
    return steps;
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
        // The frequency response shown, then a time constant moved every tick.
        {"lab frequency view", 4, {{{}, 50, false}, {{}, 100, true, {{LabCommand::Kind::FrequencyView, 1}}}}},
        {"lab tuning", 4, tuningSteps()},
        {"lab black", 4, chartSteps(FrequencyChart::Black)},
        {"lab nyquist", 4, chartSteps(FrequencyChart::Nyquist)},
        {"lab closed loop", 4, chartSteps(FrequencyChart::ClosedLoop)},
    };
    return runs;
}

// Plays `run` on `stage` from the start-up state: pressed(control) before each press, then its
// command; tick(timed) for each tick, which must run the pages' tick itself. The student's
// actions on the lab go to `act`, or straight to the lab.
template <typename Pressed, typename Tick>
void playRun(Stage &stage, const PageRun &run, Pressed pressed, Tick tick,
             const std::function<void(const LabCommand &)> &act = {})
{
    resetPageState();
    ChoiceIndex = run.choice;
    Button1Click(stage);
    for (const RunStep &step : run.steps) {
        if (step.press) {
            pressed(*step.press);
            commandOf(*step.press)(stage);
        }
        for (const LabCommand &command : step.lab)
            act ? act(command) : applyLabCommand(stage, command);
        for (int i = 0; i < step.ticks; ++i)
            tick(step.timed);
    }
}

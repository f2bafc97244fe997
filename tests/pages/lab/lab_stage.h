#pragma once
// The lab on a bare stage for a test, no window: opened as the user opens it, and run on.
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"

#include <memory>

// The lab's page opened as the user opens it: the list entry, then the start button.
inline std::unique_ptr<Stage> openLab()
{
    resetPageState();
    auto stage = std::make_unique<Stage>();
    Choix(*stage, 4);
    Button1Click(*stage);
    return stage;
}

// Ticks until the loop has run `seconds` since it started.
inline void runFor(Stage &stage, double seconds)
{
    while (stage.lab.loop().time() < seconds - 1e-9)
        PageTick(stage);
}

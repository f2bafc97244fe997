#pragma once
// The pages' part of the timer tick: draws the page PageStep names, advancing an animation's
// counter before its frame. The window, the tests, the benchmarks and the replay that steps
// back a frame all run it.
#include "pages/animation_progress.h"

class Stage;

void PageTick(Stage &stage);

// The list entry whose topic the page belongs to; none on the menu page.
std::optional<int> topicShown();
// The lab's page is the one shown (its controls show from its first tick).
bool labShowing();

// Where the animation on the page stands. None on a page that does not animate (the menu, the modelling pages, a section's page held
// still, the regulator's circuit).
std::optional<AnimationProgress> animationProgress();

#pragma once
// The presentation topic: the loop diagram with a button per element, and the section of the
// element last chosen: a short slide of that element out of the diagram, then its page.
#include "pages/animation_progress.h"

#include <optional>

class Stage;
enum class Control;

// The two lines the start button writes: how to open an element's explanation.
void PresentationWelcome(Stage &stage);

// Draws the page for PageStep -1 and runs the current section, advancing ElementStep.
void PresentationPage(Stage &stage);

// The running section's intro, the comparator's sweep or the sensor's rotation; none while a
// page is held after the regulator's "visualiser".
std::optional<AnimationProgress> presentationProgress();

// The element button whose section the presentation page shows, the sensor's rotation and the
// regulator's circuit included; none on another page or before any element button.
std::optional<Control> presentationSection();

#pragma once
// The presentation topic: the loop diagram with a button per element, and the section of the
// element last chosen: a short slide of that element out of the diagram, then its page.
class TPLL;

// Draws the page for PageStep -1 and runs the current section, advancing ElementStep.
void PresentationPage(TPLL &window);

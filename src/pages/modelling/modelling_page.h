#pragma once
// The modelling topic: the loop diagram with its title, drawn once; its buttons (handlers of
// the window) show the block model and the stability pictures.
class TPLL;

// Draws the page for PageStep -2, then sets it to -3 so it is not drawn again.
void ModellingPage(TPLL &window);

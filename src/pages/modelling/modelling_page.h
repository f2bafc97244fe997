#pragma once
// The modelling topic: the loop diagram with its title, drawn once; its picture buttons
// (pages/commands.h) show the block model and the stability pictures.
class Stage;

// Draws the page for PageStep -2, then sets it to -3 so it is not drawn again.
void ModellingPage(Stage &stage);

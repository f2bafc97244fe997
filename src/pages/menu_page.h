#pragma once
// The menu page, drawn in full on every tick while no topic is started: a clear area and the
// loop diagram, with only the start button among the page buttons.
class Stage;

void MenuPage(Stage &stage);

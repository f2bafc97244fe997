#pragma once
// What each control does, named after its handler: the commands set the page state, clear the
// drawing area, show and hide buttons, and the picture buttons draw their picture. They run
// between ticks; the next tick draws the page they set.
class Stage;
enum class Control;
struct Experiment;

// A click in the topic list, with `entry` the entry then selected (0 to 4; -1: none).
void Choix(Stage &stage, int entry);
void Button1Click(Stage &stage);
void ButtonAClick(Stage &stage);
void ButtonBClick(Stage &stage);
void ButtonCClick(Stage &stage);
void ButtonDClick(Stage &stage);
void ButtonEClick(Stage &stage);
void ButtonFClick(Stage &stage);
void ButtonGClick(Stage &stage);
void Button2Click(Stage &stage);
void Button3Click(Stage &stage);
// The regulator page's "visualiser" button.
void ButtonPDClick(Stage &stage);
// The modelling page's picture buttons.
void ButtonModClick(Stage &stage);
void ButtonBOncClick(Stage &stage);
void ButtonBOcClick(Stage &stage);
void ButtonregulClick(Stage &stage);
void ButtonPPClick(Stage &stage);

// The lab opened on an experiment, as its list entry and the start button open it.
void OpenExperiment(Stage &stage, const Experiment &experiment);
using Command = void (*)(Stage &);
// The handler of a button the pages show and hide.
Command commandOf(Control control);

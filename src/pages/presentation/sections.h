#pragma once
// The element sections of the presentation topic. Each has an intro step, drawn with its intro
// counter (2 .. 20 for the setpoint, 2 .. 60 for the others), and an end page, redrawn on every
// tick once the intro is over.
class TPLL;

void SetpointIntro(TPLL &window, int n);
void SetpointPage(TPLL &window);
void ComparatorIntro(TPLL &window, int k);
void ComparatorPage(TPLL &window);
void RegulatorIntro(TPLL &window, int l);
void RegulatorPage(TPLL &window);
void AmplifierIntro(TPLL &window, int l);
void AmplifierPage(TPLL &window);
void MotorIntro(TPLL &window, int l);
void MotorPage(TPLL &window);
void ReducerIntro(TPLL &window, int l);
void ReducerPage(TPLL &window);
void SensorIntro(TPLL &window, int l);
void SensorPage(TPLL &window);

// The encoder disc turning under its beam while the sensor's output is plotted; runs while
// SensorStep is 1 .. 68, after the sections.
void SensorRotation(TPLL &window);

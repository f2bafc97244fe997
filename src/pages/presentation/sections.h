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

#pragma once
// The element sections of the presentation topic. Each has an intro step, drawn with its intro
// counter (2 .. 20 for the setpoint, 2 .. 60 for the others), and an end page, redrawn on every
// tick once the intro is over.
class Stage;

void SetpointIntro(Stage &stage, int n);
void SetpointPage(Stage &stage);
void ComparatorIntro(Stage &stage, int k);
void ComparatorPage(Stage &stage);
void RegulatorIntro(Stage &stage, int l);
void RegulatorPage(Stage &stage);
void AmplifierIntro(Stage &stage, int l);
void AmplifierPage(Stage &stage);
void MotorIntro(Stage &stage, int l);
void MotorPage(Stage &stage);
void ReducerIntro(Stage &stage, int l);
void ReducerPage(Stage &stage);
void SensorIntro(Stage &stage, int l);
void SensorPage(Stage &stage);

// The comparator page's phase sweep runs its counter up to this step, and holds it there.
inline constexpr int SweepLastStep = 39;
// The encoder disc turning under its beam while the sensor's output is plotted; runs while
// SensorStep is 1 .. 68, after the sections.
void SensorRotation(Stage &stage);
inline constexpr int RotationLastStep = 68;

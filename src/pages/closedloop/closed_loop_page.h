#pragma once
// What the two closed-loop animations share: the controls they leave on screen, and the
// plot of the setpoint and feedback phases, one pixel of each per tick, never erased.
class Canvas;
class Stage;

// Only the start button stays, so the user can run the animation again.
void showRestartOnly(Stage &stage);

// Each ramp is a straight law of the step: pixel (x0 + dx*s, y0 + dy*s), truncated.
struct RampLaw
{
    double x0, dx;
    double setpointY0, setpointDy;
    double feedbackY0, feedbackDy;
};

// One pixel of the setpoint phase (blue) and of the feedback phase (black) for step s.
void PhaseRampPlot(Canvas &canvas, const RampLaw &law, int s);

#include "pages/closedloop/closed_loop_page.h"

#include "pages/stage.h"
#include "drawing/canvas.h"

void showRestartOnly(Stage &stage)
{
    stage.controls.hide(ElementButtons);
    stage.controls.hide({Control::Button2, Control::ButtonMod, Control::ButtonPP});
    stage.controls.show(Control::Button1);
}

void PhaseRampPlot(Canvas &canvas, const RampLaw &law, int s)
{
    const int x = int(law.x0 + law.dx * s);
    canvas.setPenWidth(1);
    const struct { TColor colour; double y0, dy; } ramps[] = {
        {Colour::Blue, law.setpointY0, law.setpointDy},
        {Colour::Black, law.feedbackY0, law.feedbackDy},
    };
    for (const auto &ramp : ramps) {
        // A segment one pixel long: its end pixel is left out, so it paints exactly one.
        const int y = int(ramp.y0 + ramp.dy * s);
        canvas.setPenColor(ramp.colour);
        canvas.MoveTo(x, y);
        canvas.LineTo(x + 1, y);
    }
}

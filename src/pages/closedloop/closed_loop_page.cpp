#include "pages/closedloop/closed_loop_page.h"

#include "app/tpll.h"
#include "drawing/canvas.h"

#include <QPushButton>

void showRestartOnly(TPLL &w)
{
    for (QPushButton *b : {w.ButtonA, w.ButtonB, w.ButtonC, w.ButtonD, w.ButtonE, w.ButtonF, w.ButtonG,
                           w.Button2, w.ButtonMod, w.ButtonPP})
        b->hide();
    w.Button1->show();
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

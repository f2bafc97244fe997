#include "pages/lab/lab_status.h"

#include "drawing/canvas.h"
#include "drawing/page_text.h"
#include "pages/lab/lab_readouts.h"

namespace {
using namespace Colour;
using FontFace::Sans;
constexpr int TextSize = 8, LockSize = 10;
constexpr int StatusLeft = 4, StatusTop = 352, StatusLine = 14;
// Saying why it lets go, the lines close up to make room under the lock's line, down to the
// same last line.
constexpr int ExplainedLine = 11, ExplainedTop = StatusTop - 4 + LockSize + 4;
// Under the regulator's block of the loop, clear of the values on its links.
constexpr int RegulatorX = 222, RegulatorY = 96;
constexpr TColor Explanation = Red;

void write(Canvas &canvas, int x, int y, TColor colour, const QString &text, int size = TextSize)
{
    drawText(canvas, {x, y, Sans, size, colour, text});
}
}

void drawLabStatus(Canvas &canvas, const Lab &lab)
{
    const LabReadouts r = labReadouts(lab);
    canvas.SetBkMode(BkMode::Transparent);
    write(canvas, RegulatorX, RegulatorY, Navy, r.regulator);
    write(canvas, StatusLeft, StatusTop - 4, r.locked ? Green : Red, r.lock, LockSize);
    const int step = r.why.isEmpty() ? StatusLine : ExplainedLine;
    int y = r.why.isEmpty() ? StatusTop + StatusLine : ExplainedTop;
    for (const QString &line : r.why) {
        write(canvas, StatusLeft, y, Explanation, line);
        y += step;
    }
    const QString *lines[] = {&r.slips, &r.setpoint, &r.speed, &r.phase, &r.comparator, &r.command, &r.time};
    for (const QString *line : lines) {
        write(canvas, StatusLeft, y, Black, *line);
        y += step;
    }
}

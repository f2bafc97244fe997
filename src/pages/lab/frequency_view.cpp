#include "pages/lab/frequency_view.h"

#include "drawing/canvas.h"
#include "drawing/page_text.h"
#include "pages/lab/frequency_plan.h"
#include "text/french_number.h"

#include <algorithm>
#include <optional>
#include <vector>

using pllmodel::LoopParameters;
using pllmodel::OpenLoop;

QString phaseMarginText(const OpenLoop &loop)
{
    return QStringLiteral("Marge de phase : %1° à %2 rad/s")
        .arg(frenchDecimal(loop.phaseMarginDegrees(), 1), frenchDecimal(loop.gainCrossover(), 0));
}

QString gainMarginText(const OpenLoop &loop)
{
    const std::optional<double> omega = loop.phaseCrossover();
    if (!omega)
        return QStringLiteral("Marge de gain : infinie");
    return QStringLiteral("Marge de gain : %1 dB à %2 rad/s")
        .arg(frenchDecimal(loop.gainMarginDb(), 1), frenchDecimal(*omega, 0));
}

namespace {
using FrequencyView::Label;
using FrequencyView::Planner;
using FrequencyView::Plan;
using FrequencyView::Stroke;

// What the plan depends on.
struct Key
{
    bool phaseAdvance;
    double gain, lead, lag, filter, amplifier, motorGain, motorTime, low, high;
    int steps;
    QRect area;
    bool operator==(const Key &) const = default;
};
Key keyOf(const LoopParameters &p, const QRect &area)
{
    return {p.phaseAdvance, p.regulatorGain, p.regulatorLead, p.regulatorLag, p.regulatorFilter, p.amplifierGain,
            p.motorGain, p.motorTimeConstant, p.comparatorLow, p.comparatorHigh, p.sensorSteps, area};
}

// One plan kept per planner: switching charts back and forth makes none again.
struct Kept
{
    Planner planner;
    Key key;
    Plan plan;
};
const Plan &cachedPlan(const LoopParameters &p, const QRect &area, Planner planner)
{
    thread_local std::vector<Kept> kept;
    const Key wanted = keyOf(p, area);
    auto found = std::find_if(kept.begin(), kept.end(), [&](const Kept &k) { return k.planner == planner; });
    if (found == kept.end())
        found = kept.insert(kept.end(), Kept{planner, wanted, planner(p, area)});
    else if (!(found->key == wanted))
        found->plan = planner(p, area), found->key = wanted;
    return found->plan;
}
}

void drawFrequencyResponse(Canvas &canvas, const LoopParameters &p, const QRect &area)
{
    FrequencyView::drawPlanned(canvas, p, area, FrequencyView::planFor);
}

void FrequencyView::drawPlanned(Canvas &canvas, const LoopParameters &p, const QRect &area, Planner planner)
{
    using namespace Colour;
    const Plan &plan = cachedPlan(p, area, planner);
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::Solid);
    canvas.setPenColor(Black);
    canvas.setBrushColor(White);
    for (const QRect &r : plan.panels)
        canvas.Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    for (const Stroke &s : plan.strokes) {
        canvas.setPenColor(s.colour);
        canvas.setPenWidth(s.width);
        canvas.setPenStyle(s.style);
        canvas.MoveTo(s.points.front().x(), s.points.front().y());
        for (std::size_t i = 1; i < s.points.size(); ++i)
            canvas.LineTo(s.points[i].x(), s.points[i].y());
    }
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::Solid);
    canvas.SetBkMode(BkMode::Transparent);
    bool opaque = false;
    for (const Label &l : plan.labels) {
        if (l.opaque != opaque) {
            canvas.SetBkMode(l.opaque ? BkMode::Opaque : BkMode::Transparent);
            opaque = l.opaque;
        }
        drawText(canvas, {l.x, l.y, l.symbol ? FontFace::Symbol : FontFace::Sans, l.size, l.colour, l.text});
    }
    canvas.SetBkMode(BkMode::Transparent);
}

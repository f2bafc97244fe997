#include "pages/lab/ranges_chart.h"

#include "drawing/canvas.h"
#include "drawing/page_text.h"
#include "pages/lab/frequency_ink.h"
#include "pages/lab/statement_panel.h"
#include "text/french_number.h"

#include <algorithm>
#include <cmath>

namespace {
using namespace Colour;
using Outcome = RangesState::Outcome;
constexpr int TextSize = 8;
constexpr int Step = LabSettings::SetpointStep;
constexpr int Top = LabSettings::MaxSetpoint;

// Rows, from the area's top: the title, the two readouts with their colour, the measure's state,
// the warning of a measure made for other settings, the two bars, the axis, its values, the
// setpoint's value.
constexpr int TitleY = 3, PullInY = 17, HoldY = 31, StateY = 45, StaleY = 59;
constexpr int PullInBarY = 76, HoldBarY = 90, BarHeight = 10, BarNameRise = 2;
constexpr int AxisY = 106, AxisValuesY = 110, MarkerTextY = 124;
constexpr int MarkerAbove = 2;  // the setpoint's line starts this far over the first bar
// Columns, from the area's left: the names, the swatches and the readouts; the axis from
// AxisLeft to AxisRightMargin short of the right edge.
constexpr int TextX = 4, SwatchWidth = 12, SwatchHeight = 8, SwatchDrop = 3, ReadoutX = 21;
constexpr int AxisLeft = 112, AxisRightMargin = 21;
constexpr int MinorEvery = 100, MajorEvery = 500;  // Hz
constexpr int MinorTick = 2, MajorTick = 4;
constexpr int LeastBarWidth = 2, MarkerWidth = 2;

struct Bar
{
    const char *name;
    TColor colour;
    int y;
};
constexpr Bar PullInBar{"capture depuis l'arrêt", Green, PullInBarY};
constexpr Bar HoldBar{"maintien", Blue, HoldBarY};
constexpr TColor GridGrey = 0xC0C0C0;

const QString Title = QStringLiteral("Plages de la boucle, mesurées en la simulant consigne par consigne (pas de 10 Hz)");
const QString PullInName = QStringLiteral("Plage de capture depuis l'arrêt");
const QString HoldName = QStringLiteral("Plage de maintien");
const QString NotMeasured = QStringLiteral(" : non mesurée");
const QString AskToMeasure =
    QStringLiteral("Pour les voir, appuyez sur « Mesurer les plages » : la boucle est simulée à chaque consigne.");
const QString Stale = QStringLiteral("Plages mesurées pour d'autres réglages : mesurez à nouveau");
const QString CancelledKept = QStringLiteral("Mesure annulée : les plages montrées sont celles de la mesure d'avant.");
const QString CancelledNone = QStringLiteral("Mesure annulée : appuyez sur « Mesurer les plages » pour la reprendre.");
const QString AxisName = QStringLiteral("Consigne (Hz)");

QString spanText(const QString &name, const std::optional<SetpointSpan> &span)
{
    if (!span)
        return name + QStringLiteral(" : aucune");
    return QStringLiteral("%1 : de %2 à %3 Hz").arg(name, frenchDecimal(span->low, 0), frenchDecimal(span->high, 0));
}

void write(Canvas &canvas, int x, int y, TColor colour, const QString &text)
{
    drawText(canvas, {x, y, FontFace::Sans, TextSize, colour, text});
}

// A filled box; the texts after it stay transparent, which a brush taken up undoes.
void box(Canvas &canvas, TColor colour, int left, int top, int right, int bottom)
{
    canvas.setPenAndBrush(colour);
    canvas.Rectangle(left, top, right, bottom);
    canvas.SetBkMode(BkMode::Transparent);
}

// The setpoint axis: where a setpoint goes along it.
class Axis
{
public:
    explicit Axis(const QRect &area) : left(area.left() + AxisLeft), right(area.right() - AxisRightMargin) {}
    int x(int hz) const { return left + int(std::lround(double(hz) / Top * (right - left))); }
    int left, right;
};

// The line the measure's state takes: under way, ended with nothing, or not yet made.
QString stateLine(const RangesState &state)
{
    if (state.progress)
        return QStringLiteral("Mesure en cours : %1 %").arg(int(std::floor(*state.progress * 100)));
    switch (state.outcome) {
    case Outcome::Cancelled: return state.measure ? CancelledKept : CancelledNone;
    case Outcome::Failed: return QStringLiteral("La mesure des plages a échoué : %1.").arg(state.failure);
    case Outcome::Measured: break;
    }
    return state.measure ? QString() : AskToMeasure;
}

void drawReadouts(Canvas &canvas, const RangesState &state, const LabSettings &settings, const QRect &area)
{
    const int left = area.left(), top = area.top();
    write(canvas, left + TextX, top + TitleY, Navy, Title);
    const std::optional<LockRanges> &m = state.measure;
    const struct { const Bar &bar; int y; QString text; } readouts[] = {
        {PullInBar, PullInY, m ? pullInText(*m) : PullInName + NotMeasured},
        {HoldBar, HoldY, m ? holdText(*m) : HoldName + NotMeasured},
    };
    for (const auto &r : readouts) {
        box(canvas, r.bar.colour, left + TextX, top + r.y + SwatchDrop, left + TextX + SwatchWidth,
            top + r.y + SwatchDrop + SwatchHeight);
        write(canvas, left + ReadoutX, top + r.y, Black, r.text);
    }
    if (const QString line = stateLine(state); !line.isEmpty())
        write(canvas, left + TextX, top + StateY, Navy, line);
    if (m && m->key != LockRangesKey::of(settings))
        write(canvas, left + TextX, top + StaleY, Red, Stale);
}

void drawAxis(Canvas &canvas, const Axis &axis, const QRect &area)
{
    const int y = area.top() + AxisY;
    canvas.setPenColor(GridGrey);
    for (int hz = 0; hz <= Top; hz += MajorEvery) {
        canvas.MoveTo(axis.x(hz), area.top() + PullInBarY);
        canvas.LineTo(axis.x(hz), y);
    }
    canvas.setPenColor(Black);
    canvas.MoveTo(axis.left, y);
    canvas.LineTo(axis.right + 1, y);
    for (int hz = 0; hz <= Top; hz += MinorEvery) {
        const bool major = hz % MajorEvery == 0;
        canvas.MoveTo(axis.x(hz), y);
        canvas.LineTo(axis.x(hz), y + (major ? MajorTick : MinorTick) + 1);
        if (major) {
            const QString value = frenchDecimal(hz, 0);
            write(canvas, axis.x(hz) - FrequencyView::textWidth(value) / 2, area.top() + AxisValuesY, Black, value);
        }
    }
    write(canvas, area.left() + TextX, area.top() + AxisValuesY, Black, AxisName);
}

// A bar over each stretch of setpoints the flags hold, from its first step to its last.
void drawBar(Canvas &canvas, const Axis &axis, const QRect &area, const Bar &bar, const std::vector<bool> &flags)
{
    const int top = area.top() + bar.y;
    write(canvas, area.left() + TextX, top - BarNameRise, bar.colour, QString::fromUtf8(bar.name));
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (!flags[i])
            continue;
        const std::size_t first = i;
        while (i + 1 < flags.size() && flags[i + 1])
            ++i;
        const int from = axis.x(int(first) * Step), to = axis.x(int(i) * Step);
        box(canvas, bar.colour, from, top, std::max(to + 1, from + LeastBarWidth), top + BarHeight);
    }
}

void drawBars(Canvas &canvas, const Axis &axis, const QRect &area, const LockRanges &ranges)
{
    drawBar(canvas, axis, area, PullInBar, ranges.pullsIn);
    std::vector<bool> holds(Top / Step + 1);
    if (ranges.hold)
        for (int hz = ranges.hold->low; hz <= ranges.hold->high; hz += Step)
            holds[std::size_t(hz / Step)] = true;
    drawBar(canvas, axis, area, HoldBar, holds);
}

// The lab's setpoint: a line across the bars down to the axis, its value under the axis's.
void drawSetpoint(Canvas &canvas, const Axis &axis, const QRect &area, int setpoint)
{
    const int x = axis.x(setpoint);
    box(canvas, Red, x - MarkerWidth / 2, area.top() + PullInBarY - MarkerAbove, x - MarkerWidth / 2 + MarkerWidth,
        area.top() + AxisY);
    const QString text = QStringLiteral("consigne du laboratoire : %1 Hz").arg(frenchDecimal(setpoint, 0));
    const int width = FrequencyView::textWidth(text);
    const int textX = std::clamp(x - width / 2, area.left() + TextX, area.right() - TextX - width);
    write(canvas, textX, area.top() + MarkerTextY, Red, text);
}
}

QString pullInText(const LockRanges &ranges) { return spanText(PullInName, ranges.pullIn()); }

QString holdText(const LockRanges &ranges) { return spanText(HoldName, ranges.hold); }

void drawRangesChart(Canvas &canvas, const RangesState &state, const LabSettings &settings, const QRect &area)
{
    drawPanel(canvas, area);
    canvas.setPenWidth(1);
    drawReadouts(canvas, state, settings, area);
    const Axis axis(area);
    drawAxis(canvas, axis, area);
    if (state.measure)
        drawBars(canvas, axis, area, *state.measure);
    drawSetpoint(canvas, axis, area, settings.setpoint);
}

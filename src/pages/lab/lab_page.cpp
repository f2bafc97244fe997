#include "pages/lab/lab_page.h"

#include "drawing/antenna.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "drawing/page_text.h"
#include "pages/closedloop/closed_loop_page.h"
#include "pages/lab/frequency_chart.h"
#include "pages/lab/lab_readouts.h"
#include "pages/lab/lab_status.h"
#include "pages/lab/ranges_chart.h"
#include "pages/lab/recorder_scale.h"
#include "pages/lab/statement_panel.h"
#include "text/french_number.h"
#include "pages/stage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
using namespace Colour;
using FontFace::Sans;
using FontFace::Symbol;
constexpr double Turn = 2 * std::numbers::pi;
constexpr int TextSize = 8;

void write(Canvas &canvas, int x, int y, TColor colour, const QString &text, const QString &face = Sans,
           int size = TextSize)
{
    drawText(canvas, {x, y, face, size, colour, text});
}

// A polyline through `points`, a run of points on one row drawn as one line; a gap in the run
// (a point marked `jump`) starts a new line.
struct TracePoint { int x, y; bool jump; };
void trace(Canvas &canvas, const std::vector<TracePoint> &points)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TracePoint &p = points[i];
        if (i == 0 || p.jump) {
            canvas.MoveTo(p.x, p.y);
            continue;
        }
        const bool sameRowAhead = i + 1 < points.size() && !points[i + 1].jump && points[i + 1].y == p.y
            && points[i - 1].y == p.y;
        if (!sameRowAhead)
            canvas.LineTo(p.x, p.y);
    }
}

// ---- The loop's blocks, their live values on the links.

// Where each value goes, beside the link it names.
struct LinkValue { int x, y; TColor colour; };
constexpr LinkValue SetpointValue{20, 101, Green};
constexpr LinkValue SensorValue{290, 15, Black};
constexpr LinkValue ComparatorValue{216, 32, Blue};
constexpr LinkValue CommandValue{423, 42, Black};
constexpr LinkValue MotorSpeedValue{562, 102, Navy};
constexpr LinkValue RadarSpeedValue{664, 102, Navy};
constexpr int MessageX = 222, MessageY = 110;
constexpr double MinutesPerSecond = 60;

void drawValue(Canvas &canvas, const LinkValue &at, const QString &text)
{
    write(canvas, at.x, at.y, at.colour, text);
}

void drawBlocks(Canvas &canvas, const Lab &lab)
{
    const pllmodel::LoopSimulation &loop = lab.loop();
    drawLoopDiagram(canvas, DiagramVariant::SpeedChange);
    drawAntenna(canvas, StillAntennaAngle + Turn * loop.radarTurns(), Red);
    drawAntennaPivot(canvas);
    canvas.SetBkMode(BkMode::Transparent);
    drawValue(canvas, SetpointValue, frenchDecimal(loop.setpointFrequency(), 0) + QStringLiteral(" Hz"));
    drawValue(canvas, SensorValue, QStringLiteral("capteur : %1 Hz").arg(frenchDecimal(loop.sensorFrequency(), 0)));
    drawValue(canvas, ComparatorValue, frenchDecimal(lab.comparatorMean(), 2) + QStringLiteral(" V"));
    drawValue(canvas, CommandValue, frenchDecimal(lab.commandMean(), 2) + QStringLiteral(" V"));
    drawValue(canvas, MotorSpeedValue, frenchDecimal(loop.speed(), 2) + QStringLiteral(" tr/s"));
    drawValue(canvas, RadarSpeedValue, frenchDecimal(loop.radarSpeed() * MinutesPerSecond, 1) + QStringLiteral(" tr/min"));
    if (lab.unholdable())
        write(canvas, MessageX, MessageY, Red, unholdableMessage(*lab.unholdable()));
}

// ---- The oscilloscope: the two squares and the comparator's output, lane under lane.

const QRect ScopePanel(222, 130, 279, 170);
constexpr int ScopeLeft = 228, ScopeWidth = 266;
constexpr int LaneTop = 148, LaneHeight = 42, LaneHigh = 15, LaneLow = 38;
struct Lane { const char *label; TColor colour; };
const Lane Lanes[] = {
    {"Consigne (0 / 5 V)", Green},
    {"Capteur (0 / 5 V)", Red},
    {"Sortie du comparateur (0 / 5 V)", Blue},
};

struct Levels { bool setpoint, feedback; };

void drawScope(Canvas &canvas, const Lab &lab)
{
    drawPanel(canvas, ScopePanel);
    const pllmodel::LoopSimulation &loop = lab.loop();
    const auto &edges = loop.recentEdges();
    const double span = lab.scopeSpan();
    // Held on the setpoint's rising edge while a tick covers a period or more, so a locked loop
    // shows a still picture; slowed down, the traces run by.
    double end = loop.time();
    if (lab.tickSpan() >= span / 2)
        for (auto e = edges.rbegin(); e != edges.rend(); ++e)
            if (e->setpoint && e->high) {
                end = e->time;
                break;
            }
    const double start = end - span;
    write(canvas, ScopeLeft, ScopePanel.top() + 2, Navy,
          QStringLiteral("Oscilloscope : 2 périodes de consigne (%1 ms)").arg(frenchDecimal(span * 1000, 3)));

    // The levels at the window's start: each record gives its square's level after it.
    Levels level{loop.setpointHigh(), loop.feedbackHigh()};
    auto first = std::lower_bound(edges.begin(), edges.end(), start,
                                  [](const pllmodel::EdgeRecord &e, double t) { return e.time < t; });
    bool setpointSeen = false, feedbackSeen = false;
    for (auto e = first; e != edges.end() && !(setpointSeen && feedbackSeen); ++e) {
        bool &seen = e->setpoint ? setpointSeen : feedbackSeen;
        if (!seen)
            (e->setpoint ? level.setpoint : level.feedback) = !e->high;
        seen = true;
    }
    for (auto e = std::make_reverse_iterator(first); e != edges.rend() && !(setpointSeen && feedbackSeen); ++e) {
        bool &seen = e->setpoint ? setpointSeen : feedbackSeen;
        if (!seen)
            (e->setpoint ? level.setpoint : level.feedback) = e->high;
        seen = true;
    }

    std::vector<TracePoint> lanes[3];
    const auto laneY = [](int lane, bool high) { return LaneTop + lane * LaneHeight + (high ? LaneHigh : LaneLow); };
    const auto add = [&](int x, Levels before, Levels after) {
        const bool was[3] = {before.setpoint, before.feedback, before.setpoint != before.feedback};
        const bool is[3] = {after.setpoint, after.feedback, after.setpoint != after.feedback};
        for (int lane = 0; lane < 3; ++lane) {
            if (!lanes[lane].empty() && was[lane] == is[lane])
                continue;
            lanes[lane].push_back({x, laneY(lane, was[lane]), false});
            lanes[lane].push_back({x, laneY(lane, is[lane]), false});
        }
    };
    add(ScopeLeft, level, level);
    for (auto e = first; e != edges.end() && e->time <= end; ++e) {
        const Levels before = level;
        (e->setpoint ? level.setpoint : level.feedback) = e->high;
        add(ScopeLeft + int((e->time - start) / span * ScopeWidth), before, level);
    }
    const bool last[3] = {level.setpoint, level.feedback, level.setpoint != level.feedback};
    for (int lane = 0; lane < 3; ++lane)
        lanes[lane].push_back({ScopeLeft + ScopeWidth, laneY(lane, last[lane]), false});

    canvas.setPenWidth(1);
    for (int lane = 0; lane < 3; ++lane) {
        write(canvas, ScopeLeft, LaneTop + lane * LaneHeight, Lanes[lane].colour, QString::fromUtf8(Lanes[lane].label));
        canvas.setPenColor(Lanes[lane].colour);
        trace(canvas, lanes[lane]);
    }
}

// ---- The comparator's characteristic: mean output against the phase error, over a turn.

const QRect CharacteristicPanel(508, 130, 265, 170);
constexpr int CharLeft = 548, CharWidth = 200, CharBottom = 276, CharHeight = 110;

QPoint characteristicPoint(double phase, double volts)
{
    const double high = pllmodel::Radar.comparatorHigh, low = pllmodel::Radar.comparatorLow;
    return {CharLeft + int(phase / Turn * CharWidth), CharBottom - int((volts - low) / (high - low) * CharHeight)};
}

void drawCharacteristic(Canvas &canvas, const Lab &lab)
{
    drawPanel(canvas, CharacteristicPanel);
    const int top = CharacteristicPanel.top();
    write(canvas, 512, top + 2, Navy, QStringLiteral("Comparateur : sortie moyenne (V)"));
    write(canvas, 512, top + 16, Navy, QStringLiteral("selon l'erreur de phase (rad)"));
    const double low = pllmodel::Radar.comparatorLow, high = pllmodel::Radar.comparatorHigh;
    canvas.setPenColor(Black);
    canvas.MoveTo(CharLeft, CharBottom - CharHeight - 8);
    canvas.LineTo(CharLeft, CharBottom);
    canvas.LineTo(CharLeft + CharWidth + 8, CharBottom);
    write(canvas, 514, CharBottom - CharHeight - 6, Black, frenchDecimal(high, 0) + QStringLiteral(" V"));
    write(canvas, 514, CharBottom - 6, Black, frenchDecimal(low, 0) + QStringLiteral(" V"));
    write(canvas, CharLeft - 3, CharBottom + 3, Black, QStringLiteral("0"));
    write(canvas, CharLeft + CharWidth / 2 - 3, CharBottom + 3, Black, QStringLiteral("p"), Symbol);
    write(canvas, CharLeft + CharWidth - 6, CharBottom + 3, Black, QStringLiteral("2p"), Symbol);

    canvas.setPenWidth(2);
    canvas.setPenColor(Blue);
    const QPoint rising = characteristicPoint(0, low), peak = characteristicPoint(Turn / 2, high),
                 falling = characteristicPoint(Turn, low);
    canvas.MoveTo(rising.x(), rising.y());
    canvas.LineTo(peak.x(), peak.y());
    canvas.LineTo(falling.x(), falling.y());
    canvas.setPenWidth(1);

    const auto &trail = lab.trail();
    for (int i = 0; i < lab.trailSize(); ++i) {
        const bool now = i == lab.trailSize() - 1;
        const QPoint p = characteristicPoint(trail[std::size_t(i)].phase, trail[std::size_t(i)].volts);
        const int r = now ? 4 : 1;
        canvas.setPenAndBrush(now ? Red : Fuchsia);
        canvas.Ellipse(p.x() - r, p.y() - r, p.x() + r + 1, p.y() + r + 1);
    }
    canvas.SetBkMode(BkMode::Transparent);
}

// ---- The recorder: the speed beside the speed asked for, the phase error over its useful range.

const QRect RecorderPanel(222, 304, 551, 160);
constexpr int PlotLeft = 262;
constexpr int SpeedTop = 322, SpeedHeight = 48;
constexpr int PhaseTop = 392, PhaseHeight = 48;
constexpr int NowLabelX = 700, SweepEndLabelX = 730;
constexpr int LegendLine = 12;
// The response's two measures, between the time base's choice, over the left time mark, and the
// right time mark: the longest pair still clear of both.
constexpr int MeasureX[] = {330, 486}, MeasuresY = PhaseTop + PhaseHeight + 7;
constexpr TColor KeptGrey = 0x808080;

// The responses kept, in grey under the live traces: each starts at the last action's instant,
// so the response under way draws over them. Each is numbered at its end and in the legend.
template <typename SpeedY>
void drawKeptResponses(Canvas &canvas, const Lab &lab, SpeedY speedY)
{
    const Recorder &paper = lab.recorder();
    const auto &kept = lab.keptResponses();
    const double column = paper.span() / Recorder::Columns;
    // Rolling, the paper's right edge is its newest sample, the last action that much before it;
    // swept, the paper starts a little before the action.
    const double actionX = paper.sweeping() ? PlotLeft + (paper.triggerTime() - paper.timeAt(0)) / column
                                            : PlotLeft + Recorder::Columns - 1 - (lab.loop().time() - lab.response().start()) / column;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const KeptResponse &response = kept[k];
        const QString number = QString::number(k + 1);
        write(canvas, PlotLeft + 4, SpeedTop + 1 + int(k) * LegendLine, KeptGrey,
              number + QStringLiteral(" : ") + regulatorLabel(response.settings));
        std::vector<TracePoint> curve;
        int lastX = 0, lastY = 0;
        for (std::size_t i = 0; i < response.curve.size(); ++i) {
            const double x = actionX + (response.offset + double(i) * response.spacing) / column;
            if (x < PlotLeft || x >= PlotLeft + Recorder::Columns)
                continue;
            lastX = int(x), lastY = std::clamp(speedY(response.curve[i]), SpeedTop, SpeedTop + SpeedHeight);
            curve.push_back({lastX, lastY, curve.empty()});
        }
        canvas.setPenColor(KeptGrey);
        trace(canvas, curve);
        if (!curve.empty())
            write(canvas, std::min(lastX + 2, PlotLeft + Recorder::Columns - 6), lastY - 12, KeptGrey, number);
    }
}

// The time marks under a rolling paper, its span back to now; under a sweep, from just before
// the action to the sweep's end.
void writeTimeMarks(Canvas &canvas, const Recorder &paper)
{
    const auto time = [](double seconds) {
        const bool milliseconds = seconds < 1;
        return QStringLiteral("%1 %2").arg(frenchDecimal(milliseconds ? seconds * 1000 : seconds, 0),
                                           milliseconds ? QStringLiteral("ms") : QStringLiteral("s"));
    };
    const int y = PhaseTop + PhaseHeight + 4;
    if (!paper.sweeping()) {
        write(canvas, PlotLeft, y, Black, QStringLiteral("-") + time(paper.span()));
        write(canvas, NowLabelX, y, Black, QStringLiteral("maintenant"));
        return;
    }
    const double before = Recorder::BeforeTrigger * paper.column();
    write(canvas, PlotLeft, y, Black, QStringLiteral("-") + time(before));
    write(canvas, SweepEndLabelX, y, Black, QStringLiteral("+") + time(paper.span() - before));
    // The action's instant across both plots.
    const int x = PlotLeft + int((paper.triggerTime() - paper.timeAt(0)) / paper.column());
    canvas.setPenColor(KeptGrey);
    canvas.setPenStyle(PenStyle::Dot);
    canvas.MoveTo(x, SpeedTop);
    canvas.LineTo(x, PhaseTop + PhaseHeight);
    canvas.setPenStyle(PenStyle::Solid);
}

void drawRecorder(Canvas &canvas, const Lab &lab)
{
    drawPanel(canvas, RecorderPanel);
    const Recorder &paper = lab.recorder();
    const int top = RecorderPanel.top();
    write(canvas, 226, top + 2, Navy, QStringLiteral("Vitesse du moteur (rouge) et vitesse demandée f/100 (vert), en tr/s"));
    write(canvas, 226, PhaseTop - 16, Navy,
          QStringLiteral("Erreur de phase (rad) ; en jaune, la plage utile du comparateur"));

    // The speed's scale follows what the paper holds, in whole turns per second.
    const auto [lowest, highest] = speedScale(paper, lab.response().start());
    const auto speedY = [&](double v) { return SpeedTop + SpeedHeight - int((v - lowest) / (highest - lowest) * SpeedHeight); };
    const auto phaseY = [](double phase) { return PhaseTop + PhaseHeight - int(phase / Turn * PhaseHeight); };
    write(canvas, 226, SpeedTop - 6, Black, frenchDecimal(highest, 0));
    write(canvas, 226, SpeedTop + SpeedHeight - 6, Black, frenchDecimal(lowest, 0));

    // The comparator's useful range, 0 to pi.
    canvas.setPenAndBrush(Yellow);
    canvas.Rectangle(PlotLeft, phaseY(Turn / 2), PlotLeft + Recorder::Columns, PhaseTop + PhaseHeight + 1);
    canvas.SetBkMode(BkMode::Transparent);
    write(canvas, 240, PhaseTop - 6, Black, QStringLiteral("2p"), Symbol);
    write(canvas, 244, PhaseTop + PhaseHeight / 2 - 6, Black, QStringLiteral("p"), Symbol);
    write(canvas, 244, PhaseTop + PhaseHeight - 6, Black, QStringLiteral("0"));

    canvas.setPenColor(Black);
    canvas.MoveTo(PlotLeft - 1, SpeedTop);
    canvas.LineTo(PlotLeft - 1, SpeedTop + SpeedHeight + 1);
    canvas.MoveTo(PlotLeft - 1, PhaseTop);
    canvas.LineTo(PlotLeft - 1, PhaseTop + PhaseHeight + 1);

    // Rolling, the newest sample at the right edge, the paper filling from the right; swept,
    // from the left.
    const int offset = paper.sweeping() ? PlotLeft : PlotLeft + Recorder::Columns - paper.size();
    std::vector<TracePoint> asked, speed, phase;
    for (int i = 0; i < paper.size(); ++i) {
        const Recorder::Sample &s = paper.at(i);
        const int x = offset + i;
        asked.push_back({x, speedY(s.setpointSpeed), false});
        speed.push_back({x, speedY(s.speed), false});
        // A slipped cycle folds the error back: no line across the paper.
        const bool wrapped = i > 0 && std::abs(s.phase - paper.at(i - 1).phase) > Turn / 2;
        phase.push_back({x, phaseY(s.phase), wrapped});
    }
    drawKeptResponses(canvas, lab, speedY);
    writeTimeMarks(canvas, paper);
    // The setpoint dotted over the speed: seen where a locked speed runs on it.
    canvas.setPenColor(Red);
    trace(canvas, speed);
    canvas.setPenColor(Green);
    canvas.setPenStyle(PenStyle::Dot);
    trace(canvas, asked);
    canvas.setPenStyle(PenStyle::Solid);
    canvas.setPenColor(Navy);
    trace(canvas, phase);

    const LabReadouts r = labReadouts(lab);
    // A little lower than the time marks: their accents stay clear of the phase trace's reach,
    // which moves every tick and would have them drawn again with it.
    for (std::size_t i = 0; i < r.measures.size(); ++i)
        write(canvas, MeasureX[i], MeasuresY, Navy, r.measures[i]);
}

// Where the frequency response replaces the oscilloscope and the characteristic.
const QRect FrequencyArea = ScopePanel | CharacteristicPanel;

// The experiment's words over the displays, until the student hides them.
bool statementShows(const Stage &stage)
{
    const Lab &lab = stage.lab;
    return stage.labView.statement && (!lab.title().empty() || !lab.text().empty());
}
}

bool rangesChartShows(const Stage &stage)
{
    return !statementShows(stage) && stage.labView.frequencyResponse && stage.labView.chart == FrequencyChart::Ranges;
}

void drawLabPage(Stage &stage)
{
    showRestartOnly(stage);
    stage.controls.show(Control::LabPanel);
    stage.ClearDrawingArea();
    Canvas &canvas = stage.canvas;
    const Lab &lab = stage.lab;
    drawBlocks(canvas, lab);
    if (statementShows(stage)) {
        drawStatement(canvas, FrequencyArea, lab.title(), lab.text(), stage.labView.statementPage);
    } else if (rangesChartShows(stage)) {
        drawRangesChart(canvas, stage.ranges, lab.settings(), FrequencyArea);
    } else if (stage.labView.frequencyResponse) {
        drawFrequencyChart(canvas, lab.settings().parameters(), stage.labView.chart, FrequencyArea);
    } else {
        drawScope(canvas, lab);
        drawCharacteristic(canvas, lab);
    }
    drawRecorder(canvas, lab);
    drawLabStatus(canvas, lab);
}

int labStatementPages(const Lab &lab)
{
    return statementPages(FrequencyArea, lab.title(), lab.text());
}

QRect labStatementPageTurner()
{
    return statementPageTurner(FrequencyArea);
}

void LabPage(Stage &stage)
{
    stage.lab.advance();
    drawLabPage(stage);
}

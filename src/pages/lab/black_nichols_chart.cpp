#include "pages/lab/black_nichols_chart.h"

#include "model/closed_loop.h"
#include "pages/lab/chart_plane.h"
#include "pages/lab/chart_readouts.h"
#include "pages/lab/frequency_view.h"
#include "pages/lab/pulsation_plot.h"
#include "text/french_number.h"

#include <algorithm>
#include <cmath>
#include <iterator>

using pllmodel::ClosedLoop;
using pllmodel::LoopParameters;
using pllmodel::NicholsPoint;
using pllmodel::OpenLoop;

namespace FrequencyView {
namespace {
using namespace Colour;

constexpr Axis PhaseAxis{-270, -90, 45, "°"};
constexpr Axis GainAxis{-20, 30, 10, ""};
constexpr double CriticalPhase = -180;
// The closed loop's gains the chart's contours stand for, in dB.
constexpr double ContourGains[] = {0, 1, -1, 2.3, -2.3, 3, -3, 6, -6, -12};
constexpr TColor ContourGrey = 0x606060;
// The pulsations marked on the locus, rad/s.
constexpr double Graduations[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
constexpr int LocusPointsPerDecade = 100;
constexpr int CrossReach = 3, GraduationReach = 2;
// A contour's label is tried at every so many of its points, rightmost first.
constexpr int LabelStride = 4;
// A pulsation's text clear of its cross's ink, which reaches a pixel past its arms.
constexpr int LabelToCross = GraduationReach + 3;

std::vector<QPointF> asPoints(const std::vector<NicholsPoint> &contour)
{
    std::vector<QPointF> points;
    for (const NicholsPoint &n : contour)
        points.push_back({n.phaseDegrees, n.gainDb});
    return points;
}

// The chart's contours, as ContourGains: the same for every setting, worked out once.
const std::vector<std::vector<QPointF>> &contours()
{
    static const std::vector<std::vector<QPointF>> all = [] {
        std::vector<std::vector<QPointF>> made;
        for (const double db : ContourGains)
            made.push_back(asPoints(pllmodel::nicholsContour(db, GainAxis.high)));
        return made;
    }();
    return all;
}

// The contours' dotted lines on the plot, kept while the plot stays where it is: they leave no
// ink, so they can be put into any plan as they are.
const std::vector<Stroke> &contourStrokes(const Plane &plane)
{
    thread_local QRect box;
    thread_local std::vector<Stroke> strokes;
    if (box != plane.box || strokes.empty()) {
        Plan lines(plane.box);
        for (const std::vector<QPointF> &contour : contours())
            addClippedLine(lines, plane, ContourGrey, 1, PenStyle::Dot, contour);
        strokes = std::move(lines.strokes);
        box = plane.box;
    }
    return strokes;
}

QPointF locusAt(const OpenLoop &loop, double omega)
{
    return {loop.phaseDegrees(omega), 20 * std::log10(std::abs(loop.at(omega)))};
}

std::vector<QPointF> locus(const OpenLoop &loop)
{
    const int count = LocusPointsPerDecade * Decades;
    std::vector<QPointF> points;
    for (int i = 0; i <= count; ++i)
        points.push_back(locusAt(loop, LowestOmega * std::pow(10.0, double(i) / LocusPointsPerDecade)));
    return points;
}

QString decibelsLabel(double db)
{
    return frenchDecimal(db, db == std::round(db) ? 0 : 1) + QStringLiteral(" dB");
}

// A text centred on a point, or beside it: right, left, above, below, then off the diagonals a
// line through the point leaves clear.
std::vector<Place> centredPlaces() { return {{-1, 0, 0, -textHeight() / 2}}; }
std::vector<Place> besidePlaces()
{
    const int half = -textHeight() / 2;
    return {{0, LabelToCross, 0, half}, {-2, -LabelToCross, 0, half}, {-1, 0, -1, -LabelToCross},
            {-1, 0, 0, LabelToCross}, {0, LabelToCross, 0, LabelToCross}, {-2, -LabelToCross, -1, -LabelToCross},
            {0, LabelToCross, -1, -LabelToCross}, {-2, -LabelToCross, 0, LabelToCross}};
}

// Each contour's value written on it, where it crosses nothing else: the rightmost place first.
void addContourLabels(Plan &plan, const Plane &plane)
{
    const std::vector<Place> places = centredPlaces();
    for (std::size_t c = 0; c < std::size(ContourGains); ++c) {
        std::vector<QPoint> candidates;
        const std::vector<QPointF> &contour = contours()[c];
        for (std::size_t i = 0; i < contour.size(); i += LabelStride) {
            const QPointF at = plane.at(contour[i].x(), contour[i].y());
            if (plane.holds(at))
                candidates.push_back({px(at.x()), px(at.y())});
        }
        std::stable_sort(candidates.begin(), candidates.end(), [](QPoint a, QPoint b) { return a.x() > b.x(); });
        for (const QPoint &at : candidates)
            if (plan.writeWhereClear({0, 0, ContourGrey, decibelsLabel(ContourGains[c])}, at, places))
                break;
    }
}

// The margins: the phase margin along 0 dB from the locus to -180°, the gain margin up -180°
// from the locus to 0 dB.
void addMargins(Plan &plan, const Plane &plane, const OpenLoop &loop)
{
    const double crossoverPhase = loop.phaseDegrees(loop.gainCrossover());
    addClippedLine(plan, plane, Red, Bold, PenStyle::Solid, {{crossoverPhase, 0}, {CriticalPhase, 0}});
    if (loop.phaseCrossover())
        addClippedLine(plan, plane, Red, Bold, PenStyle::Solid, {{CriticalPhase, -loop.gainMarginDb()}, {CriticalPhase, 0}});
}

void addGraduations(Plan &plan, const Plane &plane, const OpenLoop &loop)
{
    const std::vector<Place> places = besidePlaces();
    std::vector<std::pair<QPoint, double>> marked;
    for (const double omega : Graduations) {
        const QPointF at = locusAt(loop, omega);
        if (!plane.holds(plane.at(at.x(), at.y())))
            continue;
        const QPoint p = plane.pixel(at.x(), at.y());
        addCross(plan, p, Navy, GraduationReach, 1);
        marked.push_back({p, omega});
    }
    for (const auto &[p, omega] : marked)
        plan.writeWhereClear({0, 0, Navy, pulsationLabel(omega) + QStringLiteral(" rad/s")}, p, places);
}
}

Plan blackNicholsPlan(const LoopParameters &p, const QRect &area)
{
    Plan plan(area);
    const ClosedLoop closed(p.phaseAdvance, p);
    const OpenLoop &loop = closed.openLoop();
    const std::optional<pllmodel::Extremum> resonance = closed.resonance();
    const std::vector<QString> readouts{phaseMarginText(loop), gainMarginText(loop), resonanceText(resonance, closed.stable())};
    const Plane plane(chartPanel(area, readouts), PhaseAxis, GainAxis, false);
    addPlaneFrame(plan, plane, QStringLiteral("Gain (dB)"), QStringLiteral("Phase (°)"));
    const std::vector<Stroke> &grid = contourStrokes(plane);
    plan.strokes.insert(plan.strokes.end(), grid.begin(), grid.end());
    if (resonance)
        addClippedLine(plan, plane, Fuchsia, 1, PenStyle::Dot,
                       asPoints(pllmodel::nicholsContour(resonance->value, GainAxis.high)));
    addClippedLine(plan, plane, Blue, 1, PenStyle::Solid, locus(loop));
    addMargins(plan, plane, loop);
    addCross(plan, plane.pixel(CriticalPhase, 0), Red, CrossReach, Bold);
    if (resonance) {
        const QPointF at = locusAt(loop, resonance->omega);
        if (plane.holds(plane.at(at.x(), at.y())))
            addCross(plan, plane.pixel(at.x(), at.y()), Fuchsia, CrossReach, Bold);
    }
    addGraduations(plan, plane, loop);
    addColumn(plan, area, plane.panel, readouts,
              {{Blue, PenStyle::Solid, QStringLiteral("boucle ouverte")},
               {ContourGrey, PenStyle::Dot, QStringLiteral("gain de la boucle fermée")},
               {Fuchsia, PenStyle::Dot, QStringLiteral("contour de la résonance")},
               {Red, PenStyle::Solid, QStringLiteral("marges"), Bold},
               {Red, PenStyle::Solid, QStringLiteral("point critique"), 1, true}});
    addContourLabels(plan, plane);
    return plan;
}
}

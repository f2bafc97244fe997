#include "pages/lab/nyquist_chart.h"

#include "model/closed_loop.h"
#include "pages/lab/chart_plane.h"
#include "pages/lab/chart_readouts.h"
#include "pages/lab/frequency_view.h"
#include "pages/lab/pulsation_plot.h"

#include <cmath>
#include <numbers>

using pllmodel::ClosedLoop;
using pllmodel::LoopParameters;
using pllmodel::OpenLoop;
using pllmodel::Response;

namespace FrequencyView {
namespace {
using namespace Colour;

// Around -1, the unit circle whole: the locus runs off the plot at low pulsations (the loop's
// integrators) and is cut at its edge.
constexpr Axis RealAxis{-2.5, 1.5, 1, ""};
constexpr Axis ImaginaryAxis{-1.5, 1.5, 1, ""};
constexpr int LocusPointsPerDecade = 200;
constexpr int CirclePoints = 360;
constexpr int CrossReach = 3;
constexpr double DegreesPerRadian = 180 / std::numbers::pi;
// Where the phase margin is counted from: -1's direction.
constexpr double CriticalPhase = -180;

QPointF point(Response z) { return {z.real(), z.imag()}; }

// A circle, or its arc between two angles (degrees).
std::vector<QPointF> circle(Response centre, double radius, double fromDegrees = -180, double toDegrees = 180)
{
    std::vector<QPointF> points;
    for (int i = 0; i <= CirclePoints; ++i) {
        const double angle = (fromDegrees + (toDegrees - fromDegrees) * i / CirclePoints) / DegreesPerRadian;
        points.push_back(point(centre + std::polar(radius, angle)));
    }
    return points;
}

// The locus over the charts' pulsations; `mirror` gives its conjugate, the negative pulsations.
std::vector<QPointF> locus(const OpenLoop &loop, bool mirror)
{
    const int count = LocusPointsPerDecade * Decades;
    std::vector<QPointF> points;
    for (int i = 0; i <= count; ++i) {
        const Response l = loop.at(LowestOmega * std::pow(10.0, double(i) / LocusPointsPerDecade));
        points.push_back(point(mirror ? std::conj(l) : l));
    }
    return points;
}

// The phase margin an arc of the unit circle from -1 to the locus; the gain margin along the
// real axis from the locus to -1.
void addMargins(Plan &plan, const Plane &plane, const OpenLoop &loop)
{
    const double crossing = loop.phaseDegrees(loop.gainCrossover());
    addClippedLine(plan, plane, Red, Bold, PenStyle::Solid, circle(0, 1, CriticalPhase, crossing));
    addClippedLine(plan, plane, Red, 1, PenStyle::Solid, {{0, 0}, point(std::polar(1.0, crossing / DegreesPerRadian))});
    if (loop.phaseCrossover())
        addClippedLine(plan, plane, Red, Bold, PenStyle::Solid, {{-std::pow(10.0, -loop.gainMarginDb() / 20), 0}, {-1, 0}});
}
}

Plan nyquistPlan(const LoopParameters &p, const QRect &area)
{
    Plan plan(area);
    const ClosedLoop closed(p.phaseAdvance, p);
    const OpenLoop &loop = closed.openLoop();
    const pllmodel::Extremum nearest = closed.modulusMargin();
    const std::vector<QString> readouts{phaseMarginText(loop), gainMarginText(loop), modulusMarginText(nearest.value)};
    const Plane plane(chartPanel(area, readouts), RealAxis, ImaginaryAxis, true);
    addPlaneFrame(plan, plane, QStringLiteral("Partie imaginaire"), QStringLiteral("Partie réelle"));
    addClippedLine(plan, plane, Black, 1, PenStyle::Dot, {{RealAxis.low, 0}, {RealAxis.high, 0}});
    addClippedLine(plan, plane, Black, 1, PenStyle::Dot, {{0, ImaginaryAxis.low}, {0, ImaginaryAxis.high}});
    addClippedLine(plan, plane, Black, 1, PenStyle::Dot, circle(0, 1));
    // The modulus margin's circle round -1 (as ClosedLoop::modulusCircle), and its radius to the
    // locus's nearest point.
    addClippedLine(plan, plane, Fuchsia, 1, PenStyle::Solid, circle(-1, nearest.value));
    addClippedLine(plan, plane, Fuchsia, 1, PenStyle::Solid, {{-1, 0}, point(loop.at(nearest.omega))});
    addClippedLine(plan, plane, Blue, 1, PenStyle::Dot, locus(loop, true));
    addClippedLine(plan, plane, Blue, 1, PenStyle::Solid, locus(loop, false));
    addMargins(plan, plane, loop);
    addCross(plan, plane.pixel(-1, 0), Red, CrossReach, Bold);
    addColumn(plan, area, plane.panel, readouts,
              {{Blue, PenStyle::Solid, QStringLiteral("boucle ouverte, pulsations > 0")},
               {Blue, PenStyle::Dot, QStringLiteral("son symétrique, pulsations < 0")},
               {Black, PenStyle::Dot, QStringLiteral("cercle unité")},
               {Fuchsia, PenStyle::Solid, QStringLiteral("cercle de la marge de module")},
               {Red, PenStyle::Solid, QStringLiteral("marges"), Bold},
               {Red, PenStyle::Solid, QStringLiteral("point critique −1"), 1, true}});
    return plan;
}
}

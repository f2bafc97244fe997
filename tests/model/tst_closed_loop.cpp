// The closed loop's figures against readouts a teacher took with another control toolbox, and,
// for regulators across the student's range, against the closed loop's own response.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#ifndef Q_MOC_RUN
#include "model/closed_loop.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <optional>
#endif

using namespace pllmodel;

namespace {
constexpr double Filter = 8e-4;  // s: the course's, in every regulator below
constexpr double Degrees = 180 / std::numbers::pi;
constexpr int Samples = 100;

LoopParameters regulator(bool corrector, double lead, double lag, double gain)
{
    LoopParameters p;
    p.phaseAdvance = corrector;
    p.regulatorLead = lead, p.regulatorLag = lag, p.regulatorFilter = Filter, p.regulatorGain = gain;
    return p;
}

// As the charts print it.
double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// A hundred pulsations across the charts', none on the figures' own scan.
double sample(int k)
{
    return ChartLowestPulsation * std::pow(ChartHighestPulsation / ChartLowestPulsation, (k + 0.37) / Samples);
}

// L / (1 + L) in real arithmetic: (x + jy)(1 + x - jy) / ((1 + x)^2 + y^2).
std::complex<double> closedByHand(std::complex<double> l)
{
    const double x = l.real(), y = l.imag(), d = (1 + x) * (1 + x) + y * y;
    return {(x * (1 + x) + y * y) / d, y / d};
}

double decibels(double magnitude) { return 20 * std::log10(magnitude); }
bool near(double value, double expected, double tolerance) { return std::abs(value - expected) <= tolerance; }

// The course's regulators and others across the student's range; the last one unstable, its
// response passing left of -1. The phase (degrees) the closed loop ends on at 1e5 rad/s, within
// a degree or so: the open loop's, -270 or -180, plus a turn for the unstable one.
void addRegulators()
{
    QTest::addColumn<bool>("corrector");
    QTest::addColumn<double>("lead");
    QTest::addColumn<double>("lag");
    QTest::addColumn<double>("gain");
    QTest::addColumn<double>("endPhase");
    QTest::addRow("course") << true << 0.025 << 0.0025 << 1.0 << -270.0;
    QTest::addRow("sans correcteur") << false << 0.025 << 0.0025 << 1.0 << -180.0;
    QTest::addRow("0,03 s, 0,002 s, gain 1,2") << true << 0.03 << 0.002 << 1.2 << -270.0;
    QTest::addRow("gain 2") << true << 0.025 << 0.0025 << 2.0 << -270.0;
    QTest::addRow("gain 0,3") << true << 0.025 << 0.0025 << 0.3 << -270.0;
    QTest::addRow("slow lead 0,1 s, 0,005 s, gain 0,5") << true << 0.1 << 0.005 << 0.5 << -270.0;
    QTest::addRow("lead on the motor, unstable") << true << 0.5 << 0.0025 << 1.0 << 90.0;
}
}

class TestClosedLoop : public QObject
{
    Q_OBJECT

private slots:
    // To the digits the readouts show; NaN: no readout taken.
    void readouts_data()
    {
        QTest::addColumn<bool>("corrector");
        QTest::addColumn<double>("lead");
        QTest::addColumn<double>("lag");
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("resonanceDb");
        QTest::addColumn<double>("resonanceOmega");
        QTest::addColumn<double>("bandwidth");
        QTest::addColumn<double>("modulusMargin");
        QTest::addRow("course") << true << 0.025 << 0.0025 << 1.0 << 2.4 << 154.0 << 329.0 << 0.62;
        QTest::addRow("sans correcteur") << false << 0.025 << 0.0025 << 1.0 << 33.0 << 89.0 << 139.0 << 0.02;
        QTest::addRow("0,03 s, 0,002 s, gain 1,2") << true << 0.03 << 0.002 << 1.2 << 2.4 << 245.0 << 454.0
                                                   << std::nan("");
    }
    void readouts()
    {
        QFETCH(bool, corrector);
        QFETCH(double, lead);
        QFETCH(double, lag);
        QFETCH(double, gain);
        QFETCH(double, resonanceDb);
        QFETCH(double, resonanceOmega);
        QFETCH(double, bandwidth);
        QFETCH(double, modulusMargin);
        const ClosedLoop loop(corrector, regulator(corrector, lead, lag, gain));
        const std::optional<Extremum> peak = loop.resonance();
        QVERIFY(peak);
        QCOMPARE(rounded(peak->value, 1), resonanceDb);
        QCOMPARE(rounded(peak->omega, 0), resonanceOmega);
        QVERIFY(loop.bandwidth());
        QCOMPARE(rounded(*loop.bandwidth(), 0), bandwidth);
        if (!std::isnan(modulusMargin))
            QCOMPARE(rounded(loop.modulusMargin().value, 2), modulusMargin);
    }

    // Each figure against the response at a hundred pulsations and at the open loop's crossovers.
    void figuresAgreeWithTheResponse_data() { addRegulators(); }
    void figuresAgreeWithTheResponse()
    {
        QFETCH(bool, corrector);
        QFETCH(double, lead);
        QFETCH(double, lag);
        QFETCH(double, gain);
        const ClosedLoop loop(corrector, regulator(corrector, lead, lag, gain));
        const OpenLoop &open = loop.openLoop();
        const auto distance = [&](double omega) { return std::abs(1.0 + open.at(omega)); };
        // 1e-12: rounding only; a figure missed by its search is off by far more.
        constexpr double Rounding = 1e-12;

        const std::optional<Extremum> peak = loop.resonance();
        const Extremum margin = loop.modulusMargin();
        const std::optional<double> bandwidth = loop.bandwidth();
        QVERIFY(bandwidth);
        QVERIFY(near(loop.gainDb(*bandwidth), -3, 1e-9));
        QVERIFY(near(distance(margin.omega), margin.value, Rounding));
        if (peak)
            QVERIFY(near(loop.gainDb(peak->omega), peak->value, Rounding));
        for (int k = 0; k < Samples; ++k) {
            const double omega = sample(k), db = loop.gainDb(omega);
            QVERIFY2(peak ? db <= peak->value + Rounding : db <= 0, qPrintable(QString::number(omega)));
            QVERIFY(margin.value <= distance(omega) + Rounding);
            QVERIFY(omega >= *bandwidth || db > -3);  // the first fall through -3 dB
        }
        // From -1 to L at the gain crossover, 2 sin(margin / 2); at the phase crossover, |1 - |L||.
        QVERIFY(margin.value <= distance(open.gainCrossover()) + Rounding);
        if (const std::optional<double> wp = open.phaseCrossover())
            QVERIFY(margin.value <= distance(*wp) + Rounding);
        // T = 1 - 1 / (1 + L): |T| <= 1 + 1 / |1 + L|.
        if (peak)
            QVERIFY(peak->value <= decibels(1 + 1 / margin.value) + Rounding);
    }

    // T against the open loop by hand; its phase continuous, from 0 to where the open loop ends.
    void closedLoopFromTheOpenLoop_data() { addRegulators(); }
    void closedLoopFromTheOpenLoop()
    {
        QFETCH(bool, corrector);
        QFETCH(double, lead);
        QFETCH(double, lag);
        QFETCH(double, gain);
        QFETCH(double, endPhase);
        const ClosedLoop loop(corrector, regulator(corrector, lead, lag, gain));
        for (int k = 0; k < Samples; ++k) {
            const double omega = sample(k);
            const std::complex<double> t = closedByHand(loop.openLoop().at(omega));
            QVERIFY(std::abs(loop.at(omega) - t) <= 1e-12 * std::abs(t));
            QVERIFY(near(loop.gainDb(omega), decibels(std::abs(t)), 1e-9));
            QVERIFY(near(std::remainder(loop.phaseDegrees(omega) - std::arg(t) * Degrees, 360), 0, 1e-9));
        }
        // 0.07 % apart: the sharpest resonance here turns the phase by under 5 degrees a step,
        // where a wrap would jump by a turn.
        constexpr int Steps = 20000;
        const double ratio = std::pow(ChartHighestPulsation / ChartLowestPulsation, 1.0 / Steps);
        double before = loop.phaseDegrees(ChartLowestPulsation);
        QVERIFY(near(before, 0, 0.1));
        for (int i = 1; i <= Steps; ++i) {
            const double now = loop.phaseDegrees(ChartLowestPulsation * std::pow(ratio, i));
            QVERIFY2(near(now, before, 10), qPrintable(QString("%1 then %2 degrees").arg(before).arg(now)));
            before = now;
        }
        QVERIFY(near(before, endPhase, 1.5));
    }

    // The contours the chart draws: each point's open loop closes at the contour's gain.
    void nicholsContours_data()
    {
        QTest::addColumn<double>("closedLoopDb");
        for (double db : {0.0, 1.0, -1.0, 2.3, -2.3, 3.0, -3.0, 6.0, -6.0, -12.0})
            QTest::addRow("%g dB", db) << db;
    }
    void nicholsContours()
    {
        QFETCH(double, closedLoopDb);
        constexpr double Ceiling = 40;  // dB, the chart's top
        const std::vector<NicholsPoint> contour = nicholsContour(closedLoopDb, Ceiling);
        QVERIFY(contour.size() > 100);
        for (const NicholsPoint &point : contour) {
            QVERIFY(point.phaseDegrees >= -360 && point.phaseDegrees <= 0);
            const std::complex<double> l = std::polar(std::pow(10.0, point.gainDb / 20), point.phaseDegrees / Degrees);
            QVERIFY2(near(decibels(std::abs(closedByHand(l))), closedLoopDb, 1e-9),
                     qPrintable(QString("%1 degrees, %2 dB").arg(point.phaseDegrees).arg(point.gainDb)));
        }
        // At -180 degrees L = -r closes to r / |1 - r|: the contour's lowest point is r = m / (1 + m),
        // and a closed one's highest r = m / (m - 1).
        const double m = std::pow(10.0, closedLoopDb / 20);
        const auto byGain = [](const NicholsPoint &a, const NicholsPoint &b) { return a.gainDb < b.gainDb; };
        const auto [lowest, highest] = std::minmax_element(contour.begin(), contour.end(), byGain);
        QVERIFY(near(lowest->phaseDegrees, -180, 1e-9) && near(lowest->gainDb, decibels(m / (1 + m)), 1e-9));
        if (closedLoopDb > 0)
            QVERIFY(near(highest->phaseDegrees, -180, 1e-9) && near(highest->gainDb, decibels(m / (m - 1)), 1e-9));
        const NicholsPoint first = contour.front(), last = contour.back();
        if (closedLoopDb > 0) {  // closed round -180 degrees
            QVERIFY(first.phaseDegrees == last.phaseDegrees && first.gainDb == last.gainDb);
            QVERIFY(first.phaseDegrees < -180 && contour[contour.size() / 2].phaseDegrees > -180);
        } else if (closedLoopDb < 0) {  // across the whole band
            QVERIFY(first.phaseDegrees == -360 && last.phaseDegrees == 0);
        } else {  // up to the chart's top on both sides
            QVERIFY(near(first.gainDb, Ceiling, 1e-9) && near(last.gainDb, Ceiling, 1e-9));
            QVERIFY(first.phaseDegrees > -270 && last.phaseDegrees < -90);
            QVERIFY(nicholsContour(0, -6.1).empty());  // the line's lowest point is at -6.02 dB
        }
    }
};

QTEST_APPLESS_MAIN(TestClosedLoop)
#include "tst_closed_loop.moc"

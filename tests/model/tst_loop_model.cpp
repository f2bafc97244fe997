// The loop's own model against the figures the pages teach. Each tolerance says where it comes
// from; where a page and the model disagree, the comment says which figure is right.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use, and needs none
// of it.
#ifndef Q_MOC_RUN
#include "model/exp_sum.h"
#include "model/frequency_response.h"
#include "model/lock_search.h"
#include "model/loop_simulation.h"
#include "model/operating_point.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <optional>
#include <stdexcept>
#endif

using namespace pllmodel;
using std::numbers::pi;

namespace {
constexpr double Ripple = 2 * pi * 2000;  // rad/s: the comparator's square at a 1 kHz setpoint

struct Means { double speed, comparator, lag; };

// Exact means of speed and comparator output over [from, to], and the lag (wrapped to a turn)
// averaged over a thousand instants.
Means measure(LoopSimulation &loop, double from, double to)
{
    loop.advanceTo(from);
    const double turns = loop.shaftTurns(), volts = loop.comparatorIntegral();
    constexpr int Looks = 1000;
    double lag = 0;
    for (int i = 1; i <= Looks; ++i) {
        loop.advanceTo(from + (to - from) * i / Looks);
        lag += std::remainder(loop.phaseError(), 2 * pi) / Looks;
    }
    return {(loop.shaftTurns() - turns) / (to - from), (loop.comparatorIntegral() - volts) / (to - from), lag};
}

bool finite(const LoopSimulation &loop)
{
    for (double v : {loop.speed(), loop.command(), loop.phaseError(), loop.shaftTurns(), loop.comparatorIntegral(),
                     loop.commandIntegral()})
        if (!std::isfinite(v))
            return false;
    return true;
}

bool near(double value, double expected, double tolerance) { return std::abs(value - expected) <= tolerance; }

// Whole cycles of a setpoint running linearly between points, steps as two points at one instant.
double cyclesRun(const QList<QPointF> &frequencies, double t)
{
    double cycles = 0;
    for (qsizetype i = 1; i < frequencies.size() && frequencies[i - 1].x() < t; ++i) {
        const QPointF a = frequencies[i - 1], b = frequencies[i];
        const double end = std::min(t, b.x()), along = b.x() > a.x() ? (end - a.x()) / (b.x() - a.x()) : 0;
        cycles += (a.y() + 0.5 * (b.y() - a.y()) * along) * (end - a.x());
    }
    return cycles;
}
}

class TestLoopModel : public QObject
{
    Q_OBJECT

private slots:
    // Three zeros placed by hand: exp(-t) = x turns the sum into a cubic in x with known roots.
    void expSumFindsEveryZero()
    {
        const double t1 = 0.1, t2 = 0.7, t3 = 2.0;
        const double x1 = std::exp(-t1), x2 = std::exp(-t2), x3 = std::exp(-t3);
        const ExpSum cubic(-x1 * x2 * x3, {x1 * x2 + x1 * x3 + x2 * x3, -(x1 + x2 + x3), 1}, {1, 2, 3}, 3);
        ExpSum::Terms zeros{};
        QCOMPARE(cubic.signChanges(5, zeros), 3);
        // Rounding of the coefficients alone moves the roots by about 1e-15.
        QVERIFY(near(zeros[0], t1, 1e-13) && near(zeros[1], t2, 1e-13) && near(zeros[2], t3, 1e-13));
    }

    // A shaft thrown forwards by the regulator's lags, then falling back: the motion crosses an
    // edge ahead and returns before the stretch ends, or crosses one behind on its way back.
    void crossingsAreFoundWhereTheShaftTurnsBack_data()
    {
        QTest::addColumn<double>("behind");
        QTest::addColumn<double>("ahead");
        QTest::addColumn<bool>("forwards");
        QTest::addRow("ahead, then back") << -100.0 << 7.0 << true;  // 7.65 edges at most, at 5 ms
        QTest::addRow("behind, on the way back") << -10.0 << 20.0 << false;
    }
    void crossingsAreFoundWhereTheShaftTurnsBack()
    {
        QFETCH(double, behind);
        QFETCH(double, ahead);
        QFETCH(bool, forwards);
        const Motion motion = LoopDynamics(Radar).motion({-1, 100, 0}, 0);
        const double length = 0.05;
        if (forwards)  // it ends back inside: its ends alone do not tell
            QVERIFY(motion.edges(length) < ahead && motion.edges(length) > behind);
        const auto crossing = motion.firstCrossing(length, behind, ahead);
        QVERIFY(crossing);
        QCOMPARE(crossing->forwards, forwards);
        QVERIFY(near(motion.edges(crossing->time), forwards ? ahead : behind, 1e-12));
        for (int i = 0; i < 1000; ++i) {  // and none earlier
            const double e = motion.edges(crossing->time * i / 1000);
            QVERIFY(e < ahead && e > behind);
        }
    }

    // A run looked at 20000 times ends where an unbroken one does, to the last bit: its course
    // is worked out from switching to switching, never from where it was looked at. From rest,
    // slipping, with the regulator retuned and a load on the way, where a last bit would grow.
    void lookingDoesNotChangeTheRun()
    {
        const auto run = [](int looks) {
            LoopSimulation loop(SetpointProfile::constant(1000));
            for (int i = 1; i <= looks; ++i) {
                const double t = 0.7 * i / looks;
                if (loop.time() < 0.3)
                    loop.advanceTo(std::min(t, 0.3));
                if (loop.time() == 0.3 && loop.loopParameters().motorLoad == 0) {
                    loop.setRegulator(0.03, 0.002, 0.0008, 1.2);
                    loop.setLoad(0.4);
                }
                loop.advanceTo(t);
            }
            return loop;
        };
        const LoopSimulation whole = run(1), looked = run(20000);
        QVERIFY(whole.cycleSlips() > 0);
        QCOMPARE(looked.edgeLead(), whole.edgeLead());
        QCOMPARE(looked.cycleSlips(), whole.cycleSlips());
        QCOMPARE(looked.phaseError(), whole.phaseError());
        QCOMPARE(looked.speed(), whole.speed());
        QCOMPARE(looked.comparatorIntegral(), whole.comparatorIntegral());
        QCOMPARE(looked.commandIntegral(), whole.commandIntegral());
    }

    void locksFromRestAtOneKilohertz()
    {
        LoopSimulation loop(SetpointProfile::constant(1000));
        loop.advanceTo(2.5);  // it slips cycles while the motor runs up, then locks by 1.5 s
        loop.restartLeadWatch();
        const Means m = measure(loop, 2.5, 3);
        QCOMPARE(loop.leadSpread(), 1);  // one feedback edge to each setpoint edge: locked
        // "10tr/s": one step per period, exactly; the window's ends see only the speed ripple.
        QVERIFY(near(m.speed, 10, 1e-6));
        // "2,5V" and "pi/2": the pages take the loop gain as 4000 for 3979 (2000 pi / 3979 = pi/2),
        // 0.53 % off; the model gives the 3979 values, which are right, to the ripple's 1e-3.
        const OperatingPoint op = operatingPoint(1000);
        QVERIFY(near(m.comparator, 2.5, 0.006 * 2.5) && near(m.comparator, op.comparatorMean, 1e-3));
        QVERIFY(near(m.lag, pi / 2, 0.006 * pi / 2) && near(m.lag, op.phaseError, 1e-3));
        // "6,2V" and "-1,2V", the ends of U's triangle: the model's are 6.37 V and -1.35 V, right;
        // the page's sketch is 0.15 V short at each end, 2 % of the swing.
        double highest = -1e9, lowest = 1e9;
        for (int i = 1; i <= 8000; ++i) {  // 0.25 us apart: U moves under 0.01 V between looks
            loop.advanceTo(3 + 2e-3 * i / 8000);
            highest = std::max(highest, loop.command());
            lowest = std::min(lowest, loop.command());
        }
        QVERIFY(near(highest, 6.2, 0.2) && near(lowest, -1.2, 0.2));
    }

    void motorFiltersTheTwoKilohertzRipple()
    {
        // "atténuation de 76dB": the page gives whole decibels.
        QVERIFY(near(motorAttenuationDb(Ripple), -76, 0.5));
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000));
        loop.advanceTo(1);
        constexpr int Periods = 40, Looks = 64;
        std::complex<double> speed, command;
        for (int i = 0; i < Periods * Looks; ++i) {
            const double t = 1 + 2 * pi * i / (Ripple * Looks);
            loop.advanceTo(t);
            const std::complex<double> turn = std::polar(2.0 / (Periods * Looks), -Ripple * (t - 1));
            speed += loop.speed() * turn;
            command += loop.command() * turn;
        }
        // 64 looks a period fold the 63rd and 65th harmonics of a triangle onto the first: 3e-4.
        const double simulated = 20 * std::log10(std::abs(speed) / (Radar.motorGain * std::abs(command)));
        QVERIFY(near(simulated, motorAttenuationDb(Ripple), 0.01));
        // The speed ripple is the square's fundamental (10/pi V at half duty) through regulator and
        // motor: 0.002 turns/s, the page's "ondulation de vitesse négligeable".
        const double expected = 10 / pi * std::abs(regulatorResponse(Ripple) * motorResponse(Ripple));
        QVERIFY(near(std::abs(speed), expected, 2e-3 * expected));
        QVERIFY(std::abs(speed) < 1e-3 * 10);
    }

    void openLoopGainAndTrackingError()
    {
        // "3979" = 5/pi 25/2pi 200pi, rounded to the unit.
        QVERIFY(near(velocityGain(), 3979, 0.5));
        QVERIFY(near(operatingPoint(1000).phaseError, 2000 * pi / 3979, 1e-4));
        QVERIFY(near(operatingPoint(1000).phaseError, pi / 2, 0.006 * pi / 2));  // 3979 for 4000
    }

    // The speed-change run: 319 ticks at the default 20 ms, 6.38 s, from 500 Hz to 1,5 kHz.
    void speedChangeRamp()
    {
        const double settle = 0.5, run = 319 * 0.020;
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile({{settle, 500}, {settle + run, 1500}}));
        const Means start = measure(loop, 0.3, settle);
        const Means during = measure(loop, settle + 3, settle + 3.05);
        const Means end = measure(loop, settle + run + 0.5, settle + run + 0.7);
        // At both ends, once settled: "1,25V" to "3,75V", pi/4 to 3pi/4 (all 0.53 % low, the pages'
        // gain of 4000 again), "5tr/s" to "15tr/s" exactly.
        QVERIFY(near(start.comparator, 1.25, 0.006 * 1.25) && near(end.comparator, 3.75, 0.006 * 3.75));
        QVERIFY(near(start.lag, pi / 4, 0.006 * pi / 4) && near(end.lag, 3 * pi / 4, 0.006 * 3 * pi / 4));
        QVERIFY(near(start.speed, 5, 1e-6) && near(end.speed, 15, 1e-6));
        // While the setpoint moves (157 Hz/s) the feedback lags a further 0.118 rad, 0.19 V: the
        // page's readout, 1,27 V at its first step, keeps to the operating points; the model is
        // right. 2e-3 rad: the ripple, and the window's 0.05 s.
        const double rate = 1000 / run, middle = 500 + rate * 3.025;
        QVERIFY(near(rampLag(rate), 0.118, 1e-3));
        QVERIFY(near(during.lag, operatingPoint(middle).phaseError + rampLag(rate), 2e-3));
    }

    void stabilityMargins_data()
    {
        QTest::addColumn<bool>("regulated");
        QTest::addColumn<double>("crossover");
        QTest::addColumn<double>("margin");
        QTest::addColumn<double>("pageMargin");
        QTest::addColumn<double>("pageTolerance");
        // "presque nulle": 1.3 degrees, stable by a hair.
        QTest::addRow("without regulator") << false << 89.19 << 1.28 << 0.0 << 2.0;
        // "environ 45°", within a degree.
        QTest::addRow("with regulator") << true << 183.17 << 45.37 << 45.0 << 1.0;
    }
    void stabilityMargins()
    {
        QFETCH(bool, regulated);
        QFETCH(double, crossover);
        QFETCH(double, margin);
        QFETCH(double, pageMargin);
        QFETCH(double, pageTolerance);
        const OpenLoop loop(regulated);
        QVERIFY(near(loop.gainCrossover(), crossover, 0.01));  // to the figures' last digit
        QVERIFY(near(loop.phaseMarginDegrees(), margin, 0.01));
        QVERIFY(near(loop.phaseMarginDegrees(), pageMargin, pageTolerance));
        QVERIFY(loop.phaseMarginDegrees() > 0);
        const auto decibels = [&](double omega) { return 20 * std::log10(std::abs(loop.at(omega))); };
        if (regulated)  // The picture writes "160 rad/s", which is wrong: the gain is still 1.4 dB
            QVERIFY(decibels(160) > 1);  // there; its own asymptotes cross at 199 rad/s.
        else  // "63 dB" at the 2 rad/s corner, in whole decibels
            QVERIFY(near(decibels(2), 63, 0.5));
    }

    // Both margins as the lab shows them, for regulators of the student's whole range: each
    // crossover checked against the response itself, and a scan of the response finding no other
    // pulsation where it turns negative real.
    void marginsOfAnyRegulator_data()
    {
        QTest::addColumn<bool>("regulated");
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("lead");
        QTest::addColumn<double>("lag");
        QTest::addColumn<double>("filter");
        // The figures expected, rad/s and dB; NaN: only checked against the response.
        QTest::addColumn<double>("phaseCrossover");
        QTest::addColumn<double>("gainMargin");
        const double unchecked = std::nan("");
        QTest::addRow("course") << true << 1.0 << 0.025 << 0.0025 << 8e-4 << 661.30 << 17.21;
        QTest::addRow("sans correcteur") << false << 1.0 << 0.025 << 0.0025 << 8e-4 << unchecked << unchecked;
        // Without the corrector the loop is a gain of 1, whatever the regulator holds.
        QTest::addRow("sans correcteur, gain 10 unused") << false << 10.0 << 1.0 << 1e-4 << 1e-4 << unchecked << unchecked;
        // The gain shifts the gain curve only: 20 dB less margin for ten times the gain.
        QTest::addRow("course, gain 10") << true << 10.0 << 0.025 << 0.0025 << 8e-4 << 661.30 << 17.21 - 20;
        QTest::addRow("course, gain 0,1") << true << 0.1 << 0.025 << 0.0025 << 8e-4 << 661.30 << 17.21 + 20;
        // The widest crossovers the controls reach, both ends of the bracket's range.
        QTest::addRow("gain 10, all lead") << true << 10.0 << 1.0 << 1e-4 << 1e-4 << unchecked << unchecked;
        QTest::addRow("gain 0,1, all lag") << true << 0.1 << 1e-4 << 1.0 << 1.0 << unchecked << unchecked;
        QTest::addRow("equal time constants") << true << 1.0 << 0.01 << 0.01 << 0.01 << unchecked << unchecked;
        QTest::addRow("all at 1 s") << true << 1.0 << 1.0 << 1.0 << 1.0 << unchecked << unchecked;
    }
    void marginsOfAnyRegulator()
    {
        QFETCH(bool, regulated);
        QFETCH(double, gain);
        QFETCH(double, lead);
        QFETCH(double, lag);
        QFETCH(double, filter);
        QFETCH(double, phaseCrossover);
        QFETCH(double, gainMargin);
        LoopParameters p;
        p.phaseAdvance = regulated;
        p.regulatorGain = gain;
        p.regulatorLead = lead;
        p.regulatorLag = lag;
        p.regulatorFilter = filter;
        const OpenLoop loop(regulated, p);
        constexpr double Degrees = 180 / pi;

        const double wc = loop.gainCrossover();
        QVERIFY(near(std::abs(loop.at(wc)), 1, 1e-9));
        if (!regulated)
            QCOMPARE(wc, OpenLoop(false).gainCrossover());
        // The margin from the response's own angle, folded into a turn.
        QVERIFY(near(std::remainder(loop.phaseMarginDegrees() - 180 - std::arg(loop.at(wc)) * Degrees, 360), 0, 1e-9));

        const std::optional<double> wp = loop.phaseCrossover();
        QCOMPARE(wp.has_value(), regulated);
        if (wp) {
            const Response g = loop.at(*wp);
            QVERIFY(g.real() < 0 && std::abs(g.imag()) <= 1e-12 * std::abs(g));
            QVERIFY(near(loop.phaseDegrees(*wp), -180, 1e-9));
            QVERIFY(near(loop.gainMarginDb(), -20 * std::log10(std::abs(g)), 1e-9));
        } else {
            QVERIFY(std::isinf(loop.gainMarginDb()) && loop.gainMarginDb() > 0);
        }
        if (!std::isnan(phaseCrossover)) {
            QVERIFY(wp);
            QVERIFY(near(*wp, phaseCrossover, 0.01));  // to the figures' last digit
            QVERIFY(near(loop.gainMarginDb(), gainMargin, 0.01));
        }

        // The response crosses the negative real axis nowhere else from 1e-3 to 1e8 rad/s.
        int crossings = 0;
        constexpr int Steps = 200000;
        Response before = loop.at(1e-3);
        for (int i = 1; i <= Steps; ++i) {
            const double omega = 1e-3 * std::pow(1e11, double(i) / Steps);
            const Response now = loop.at(omega);
            if ((before.imag() < 0) != (now.imag() < 0) && now.real() < 0) {
                ++crossings;
                QVERIFY(wp && *wp > omega / std::pow(1e11, 1.0 / Steps) && *wp <= omega);
            }
            before = now;
        }
        QCOMPARE(crossings, regulated ? 1 : 0);
    }

    // Where the asymptotes turn, terms at one pulsation merged and cancelling ones gone, and the
    // gain asymptote on the exact gain, its slope the exact one, four decades clear of the corners.
    void asymptotes_data()
    {
        QTest::addColumn<bool>("regulated");
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("lead");
        QTest::addColumn<double>("lag");
        QTest::addColumn<double>("filter");
        QTest::addColumn<QList<double>>("omegas");  // rad/s, lowest first
        QTest::addColumn<QList<int>>("steps");      // each corner's step in the gain's slope
        QTest::addRow("course") << true << 1.0 << 0.025 << 0.0025 << 8e-4 << QList<double>{2, 40, 400, 1250}
                                << QList<int>{-1, +1, -1, -1};
        QTest::addRow("sans correcteur, gain 10 unused") << false << 10.0 << 0.025 << 0.0025 << 8e-4
                                                         << QList<double>{2} << QList<int>{-1};
        QTest::addRow("course, gain 10") << true << 10.0 << 0.025 << 0.0025 << 8e-4
                                         << QList<double>{2, 40, 400, 1250} << QList<int>{-1, +1, -1, -1};
        QTest::addRow("lead cancels the lag") << true << 1.0 << 0.0025 << 0.0025 << 8e-4 << QList<double>{2, 1250}
                                              << QList<int>{-1, -1};
        QTest::addRow("lead cancels the filter") << true << 1.0 << 8e-4 << 0.0025 << 8e-4 << QList<double>{2, 400}
                                                 << QList<int>{-1, -1};
        QTest::addRow("lag on the motor") << true << 1.0 << 0.025 << 0.5 << 8e-4 << QList<double>{2, 40, 1250}
                                          << QList<int>{-2, +1, -1};
        QTest::addRow("all three at 0,01 s") << true << 0.1 << 0.01 << 0.01 << 0.01 << QList<double>{2, 100}
                                             << QList<int>{-1, -1};
        // 0.1 * 3 and 0.3 differ in their last bit, and so do their pulsations: still one corner.
        QTest::addRow("lead cancels the lag, a bit apart") << true << 1.0 << 0.1 * 3 << 0.3 << 8e-4
                                                           << QList<double>{2, 1250} << QList<int>{-1, -1};
    }
    void asymptotes()
    {
        QFETCH(bool, regulated);
        QFETCH(double, gain);
        QFETCH(double, lead);
        QFETCH(double, lag);
        QFETCH(double, filter);
        QFETCH(QList<double>, omegas);
        QFETCH(QList<int>, steps);
        LoopParameters p;
        p.phaseAdvance = regulated;
        p.regulatorGain = gain;
        p.regulatorLead = lead;
        p.regulatorLag = lag;
        p.regulatorFilter = filter;
        const OpenLoop loop(regulated, p);
        const GainAsymptote asymptote = loop.gainAsymptote();

        QCOMPARE(qsizetype(asymptote.corners.size()), omegas.size());
        for (qsizetype i = 0; i < omegas.size(); ++i) {
            QVERIFY2(near(asymptote.corners[i].omega, omegas[i], 1e-9 * omegas[i]), QByteArray::number(i));
            QCOMPARE(asymptote.corners[i].gainSlope, steps[i]);
        }

        // Four decades from its corner a first-order term is off its gain asymptote by 4e-8 dB
        // and its phase by 1e-4 rad; three decades off, it bends the slope by 2e-7.
        const auto decibels = [&](double omega) { return 20 * std::log10(std::abs(loop.at(omega))); };
        for (const double omega : {omegas.front() * 1e-4, omegas.back() * 1e4}) {
            QVERIFY2(near(asymptote.decibels(omega), decibels(omega), 1e-6), QByteArray::number(omega));
            const double exactSlope = (decibels(omega * std::sqrt(10)) - decibels(omega / std::sqrt(10))) / 20;
            QVERIFY2(near(asymptote.slope(omega), exactSlope, 1e-5), QByteArray::number(omega));
            // The phase asymptote: 90 degrees a step of the gain's slope.
            QVERIFY2(near(90 * asymptote.slope(omega), loop.phaseDegrees(omega), 0.05), QByteArray::number(omega));
        }
    }

    // The setpoint moved slowly away from a lock until the first cycle slips.
    void lockLimits()
    {
        const FrequencyRange bound = lockRange();
        QCOMPARE(bound.lowest, 0.0);
        QVERIFY(near(bound.highest, 1989.4, 0.05));  // 5 V: pi of phase error
        // Upward at 2 Hz/s: the slip comes when the operating point's lag plus the ramp's reaches
        // pi, with the comparator's mean at 5 V. 0.1 Hz: the phase ripple's share of a hertz.
        const double rate = 2;
        const auto upper = firstSlip(1950, 2100, rate);
        QVERIFY(upper);
        QVERIFY(near(upper->frequency, bound.highest - rampLag(rate) * velocityGain() / (2 * pi), 0.1));
        QVERIFY(near(upper->comparatorMean, 5, 0.01));
        // Downward the closed form's 0 Hz is never reached. The comparator tells the phase only
        // at its edges, 2f a second: about a quarter period late, which eats the 45 degrees at
        // 183 rad/s near 58 Hz. A pulse tells it at its end, sooner than that, so the limit lies
        // a little lower: the loop starts to oscillate, the phase error touches 0 (a half period
        // without a pulse) and the lock is lost around 48 Hz.
        const double estimate = OpenLoop(true).gainCrossover() / (4 * OpenLoop(true).phaseMarginDegrees() * pi / 180);
        const auto lower = firstSlip(100, 0, 1);
        QVERIFY(lower);
        QVERIFY(lower->frequency > 0.7 * estimate && lower->frequency < estimate);
    }

    void beyondTheLockTheLoopSlipsCycles_data()
    {
        QTest::addColumn<double>("frequency");
        QTest::addColumn<bool>("fromLock");
        QTest::addColumn<double>("duration");
        QTest::addRow("above the lock, from rest") << 2500.0 << false << 3.0;
        QTest::addRow("below the lock, from a lock") << 30.0 << true << 3.0;
        QTest::addRow("far above, from rest") << 1e5 << false << 0.2;
    }
    void beyondTheLockTheLoopSlipsCycles()
    {
        QFETCH(double, frequency);
        QFETCH(bool, fromLock);
        QFETCH(double, duration);
        const SetpointProfile setpoint = SetpointProfile::constant(frequency);
        LoopSimulation loop = fromLock ? LoopSimulation::locked(setpoint) : LoopSimulation(setpoint);
        loop.advanceTo(duration);
        QVERIFY(finite(loop));
        QVERIFY(loop.leadSpread() > 100);  // fifty cycles slipped and more
        QVERIFY(std::abs(loop.speed() - frequency / Radar.sensorSteps) > 1);
    }

    // Above the lock, once run up, an exclusive-OR comparator holds on to an odd subharmonic of
    // the setpoint: here a third, so the shaft turns at 2500 / 300 turns/s, two slips in three.
    void aboveTheLockTheLoopHoldsAThirdOfTheSetpoint()
    {
        LoopSimulation loop(SetpointProfile::constant(2500));
        const Means m = measure(loop, 3, 3.5);
        QVERIFY(near(m.speed, 2500.0 / 300, 1e-5));  // a lock: the ripple's share, as at 1 kHz
    }

    // Without the regulator the motor's lag is all: from 2 turns/s under a held comparator the
    // speed heads for motorGain (U - load), U the amplified comparator output from the start.
    void withoutRegulatorTheMotorIsOneLag()
    {
        LoopParameters p;
        p.phaseAdvance = false;
        p.motorLoad = 1;
        p.amplifierGain = 2;  // tells the motor's input from the comparator's
        const LoopDynamics dynamics(p);
        QCOMPARE(dynamics.modeCount(), 1);
        const Motion motion = dynamics.motion(dynamics.withSpeed(2, 0), 5);
        const double T = p.motorTimeConstant, final = p.motorGain * (2 * 5 - 1);
        for (double t : {0.0, 0.01, 1.7}) {
            const double decay = std::exp(-t / T);
            QVERIFY(near(motion.speed(t), final + (2 - final) * decay, 1e-12 * 20));
            QVERIFY(near(motion.edges(t), 200 * (final * t + (2 - final) * T * (1 - decay)), 1e-12 * 1e3));
            QVERIFY(motion.command(t) == 10 && motion.commandIntegral(t) == 10 * t);
        }
    }

    // A load taken on live, the regulator switched out (U is the comparator output at once) and
    // back in on a high level (0 V would hide a wrong start): the speed carries on, U too, the
    // motor's law holds at once (its hidden state was read back right) and the lock holds, on
    // the operating point of a load changed once more.
    void loadAndRegulatorSwitchWithoutJolts()
    {
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000));
        loop.advanceTo(1.00037);
        loop.setLoad(0.5);
        double speed = loop.speed();
        loop.setPhaseAdvance(false);
        QCOMPARE(loop.speed(), speed);
        for (int i = 1; i <= 1000 || (loop.comparatorOutput() == 0 && i < 1100); ++i) {
            loop.advanceTo(1.00037 + 4.3e-4 * i);  // off the 0.5 ms beat, to see both levels
            QCOMPARE(loop.command(), loop.comparatorOutput());
        }
        QVERIFY(loop.comparatorOutput() > 0);
        speed = loop.speed();
        const double command = loop.command();
        loop.setPhaseAdvance(true);
        QVERIFY(near(loop.speed(), speed, 1e-12 * speed) && near(loop.command(), command, 1e-12 * 5));
        loop.advanceTo(loop.time() + 1e-8);  // U moves 0.6 mV at most
        const double slope = (loop.speed() - speed) / 1e-8;
        QVERIFY(near(slope, (Radar.motorGain * (command - 0.5) - speed) / Radar.motorTimeConstant, 0.01));
        loop.advanceTo(1.6);  // the switch's transient gone
        loop.setLoad(1.5);
        const Means m = measure(loop, 2, 2.5);
        QVERIFY(loop.cycleSlips() == 0 && near(m.speed, 10, 1e-6));
        QVERIFY(near(m.comparator, operatingPoint(1000).comparatorMean + 1.5, 1e-3));
    }

    // A regulator the student tunes live: U and the speed carry on at the change, a double pole
    // or a lead on the motor's lag still runs, and the new regulator's gain sets the lock's mean.
    void aRegulatorTunedLiveCarriesOn_data()
    {
        QTest::addColumn<double>("lead");
        QTest::addColumn<double>("lag");
        QTest::addColumn<double>("filter");
        QTest::addColumn<double>("gain");
        QTest::addColumn<bool>("holds");  // settles on the lock within 6 s
        QTest::addRow("twice the gain") << 0.025 << 0.0025 << 0.0008 << 2.0 << true;
        QTest::addRow("less gain, more lead") << 0.05 << 0.0025 << 0.0008 << 0.8 << true;
        QTest::addRow("lag on the filter") << 0.025 << 0.0008 << 0.0008 << 1.0 << true;
        // The motor's pole cancelled leaves the lags alone at the crossover: unstable, and so run.
        QTest::addRow("lead on the motor") << 0.5 << 0.0025 << 0.0008 << 1.0 << false;
        QTest::addRow("lag on the motor") << 0.025 << 0.5 << 0.0008 << 1.0 << false;
    }
    void aRegulatorTunedLiveCarriesOn()
    {
        QFETCH(double, lead);
        QFETCH(double, lag);
        QFETCH(double, filter);
        QFETCH(double, gain);
        QFETCH(bool, holds);
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000));
        loop.advanceTo(1.00037);
        const double speed = loop.speed(), command = loop.command();
        loop.setRegulator(lead, lag, filter, gain);
        QVERIFY(near(loop.speed(), speed, 1e-9 * speed) && near(loop.command(), command, 1e-9 * 5));
        loop.advanceTo(6);
        QVERIFY(finite(loop));
        if (holds) {
            const Means m = measure(loop, 6, 6.5);
            QVERIFY(near(m.speed, 10, 1e-4));
            QVERIFY(near(m.comparator, operatingPoint(1000).comparatorMean / gain, 2e-3));
        }
        LoopParameters tuned;
        tuned.regulatorLead = lead, tuned.regulatorLag = lag, tuned.regulatorFilter = filter, tuned.regulatorGain = gain;
        QCOMPARE(operatingPoint(1000, tuned).comparatorMean * gain, operatingPoint(1000).comparatorMean);
    }

    // Out of the loop a regulator is kept, not run; switched in, it gives the U of now.
    void aRegulatorOutOfTheLoopWaitsForItsTurn()
    {
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000));
        loop.setPhaseAdvance(false);
        loop.advanceTo(0.50037);
        loop.setRegulator(0.05, 0.005, 0.001, 3);
        QCOMPARE(loop.command(), loop.comparatorOutput());
        const double command = loop.command();
        loop.setPhaseAdvance(true);
        QVERIFY(near(loop.command(), command, 1e-9 * 5));
        QCOMPARE(loop.loopParameters().regulatorGain, 3.0);
    }

    // Changes between 1 ms ticks: each setpoint edge falls where the phase, integrated in closed
    // form, crosses a half cycle; none is lost or added at a change, none comes while stopped.
    void setpointChangesKeepThePhase_data()
    {
        QTest::addColumn<double>("first");  // Hz at 0.2 s, the ramp's end if it has a rate
        QTest::addColumn<double>("rate");
        QTest::addColumn<QList<QPointF>>("frequencies");  // (s, Hz); stepped to the last at 0.5 s
        QTest::addRow("stopped, restarted") << 0.0 << 0.0
            << QList<QPointF>{{0, 1000}, {0.2, 1000}, {0.2, 0}, {0.5, 0}, {0.5, 1050}, {0.9, 1050}};
        QTest::addRow("ramped, stepped during the ramp") << 1200.0 << 157.0
            << QList<QPointF>{{0, 1000}, {0.2, 1000}, {0.5, 1047.1}, {0.5, 900}, {0.9, 900}};
        QTest::addRow("ramped down to rest") << 0.0 << 4000.0
            << QList<QPointF>{{0, 1000}, {0.2, 1000}, {0.45, 0}, {0.5, 0}, {0.5, 500}, {0.9, 500}};
    }
    void setpointChangesKeepThePhase()
    {
        QFETCH(double, first);
        QFETCH(double, rate);
        QFETCH(QList<QPointF>, frequencies);
        LoopSimulation loop(SetpointProfile::constant(1000));
        loop.keepEdges(1);
        for (int tick = 1; tick <= 900; ++tick) {
            loop.advanceTo(tick * 1e-3);
            if (tick == 200)
                rate > 0 ? loop.rampSetpoint(first, rate) : loop.stepSetpoint(first);
            if (tick == 500)
                loop.stepSetpoint(frequencies.back().y());
        }
        long long count = 0;
        for (const EdgeRecord &edge : loop.recentEdges())
            if (edge.setpoint) {
                QCOMPARE(edge.high, ++count % 2 == 1);
                // 1e-9 cycles: rounding is 1e-13; one edge out of place is half a cycle.
                QVERIFY(near(cyclesRun(frequencies, edge.time), 0.5 * count, 1e-9));
            }
        QCOMPARE(count, static_cast<long long>(std::floor(2 * cyclesRun(frequencies, 0.9))));
    }

    // A lock at 1 kHz, under a load or not, or rest; then a setpoint change at 1 s. Where the
    // loop locks: no slip over [2.5, 3] s, the exact speed, the (loaded) operating point. Where
    // it slips on: each slip a setpoint cycle gained or lost. A slipping beat averages 2.5 V at
    // the comparator, keeping the speed near 10 turns/s: a 200 Hz step is never pulled in (some
    // 213 slips a second) while the same change as a ramp is tracked throughout.
    void locksOrSlips_data()
    {
        QTest::addColumn<bool>("fromRest");
        QTest::addColumn<double>("load");  // V, from the start
        QTest::addColumn<double>("frequency");
        QTest::addColumn<double>("rate");   // 0: a step
        QTest::addColumn<bool>("locks");
        QTest::addRow("from rest at 1 kHz") << true << 0.0 << 1000.0 << 0.0 << true;
        QTest::addRow("from rest at 2,5 kHz") << true << 0.0 << 2500.0 << 0.0 << false;
        QTest::addRow("resisting 1 V") << false << 1.0 << 1000.0 << 0.0 << true;
        QTest::addRow("driving 1 V") << false << -1.0 << 1000.0 << 0.0 << true;
        QTest::addRow("50 Hz step") << false << 0.0 << 1050.0 << 0.0 << true;
        QTest::addRow("200 Hz step") << false << 0.0 << 1200.0 << 0.0 << false;
        QTest::addRow("150 Hz step down") << false << 0.0 << 850.0 << 0.0 << false;  // slips backwards
        QTest::addRow("200 Hz ramp at 157 Hz/s") << false << 0.0 << 1200.0 << 157.0 << true;
    }
    void locksOrSlips()
    {
        QFETCH(bool, fromRest);
        QFETCH(double, load);
        QFETCH(double, frequency);
        QFETCH(double, rate);
        QFETCH(bool, locks);
        LoopParameters p;
        p.motorLoad = load;
        QCOMPARE(lockRange(p).lowest == 0, load >= 0);  // driven, the motor turns at 0 V: 398 Hz
        const SetpointProfile start = SetpointProfile::constant(fromRest ? frequency : 1000);
        LoopSimulation loop = fromRest ? LoopSimulation(start, p) : LoopSimulation::locked(start, p);
        loop.advanceTo(1);
        rate > 0 ? loop.rampSetpoint(frequency, rate) : loop.stepSetpoint(frequency);
        loop.advanceTo(2.5);
        const long long slips = loop.cycleSlips();
        const double phase = loop.phaseError();
        const Means m = measure(loop, 2.5, 3);
        const double turns = std::abs(loop.phaseError() - phase) / (2 * pi);
        if (locks) {
            const OperatingPoint op = operatingPoint(frequency, p);
            QVERIFY(loop.lastSlipTime() < 2.5 && (loop.cycleSlips() > 0) == fromRest);
            QVERIFY(near(m.speed, op.speed, 1e-6));
            QVERIFY(near(m.comparator, op.comparatorMean, 1e-3) && near(m.lag, op.phaseError, 1e-3));
        } else {
            QVERIFY(turns > 50 && loop.lastSlipTime() > 2.99);
            QVERIFY(near(static_cast<double>(loop.cycleSlips() - slips), turns, 1));
        }
    }

    // Over a whole period a locked loop's comparator averages to the operating point exactly (it
    // repeats itself; 1e-9 V is the integrals' rounding); over any span, to the integral's
    // difference as a run stopped at the span's start, cut to the kept edges, reads it.
    void comparatorMeanIsExact()
    {
        const SetpointProfile setpoint = SetpointProfile::constant(1000);
        LoopSimulation loop = LoopSimulation::locked(setpoint);
        loop.keepEdges(0.01);
        const double now = 1.00037;
        loop.advanceTo(now);
        QVERIFY(near(loop.comparatorMean(1e-3), operatingPoint(1000).comparatorMean, 1e-9));
        const std::deque<EdgeRecord> &edges = loop.recentEdges();
        QVERIFY(edges[0].time <= now - 0.01 && edges[1].time > now - 0.01);  // the window's start known
        for (double span : {1e-5, 3.7e-4, 6.3e-3, 0.5}) {
            const double from = std::max(now - span, edges[0].time);
            LoopSimulation stopped = LoopSimulation::locked(setpoint);
            stopped.advanceTo(from);
            const double mean = (loop.comparatorIntegral() - stopped.comparatorIntegral()) / (now - from);
            QVERIFY(near(loop.comparatorMean(span), mean, 1e-9));
        }
    }

    // A locked loop retuned again and again, its gain nudged by 1 % every few milliseconds, runs
    // as a loop with such a regulator: locked, no cycle slipped, U carrying on at each retune.
    void aLoopRetunedAgainAndAgainStaysLocked()
    {
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000));
        for (int i = 0; i < 500; ++i) {
            loop.advanceTo(0.1 + 0.004 * i);
            const double before = loop.command();
            loop.setRegulator(0.025, 0.0025, 8e-4, i % 2 ? 1.0 : 1.01);
            QVERIFY(near(loop.command(), before, 1e-12 * std::max(1.0, std::abs(before))));
        }
        loop.advanceTo(2.1);
        QCOMPARE(loop.cycleSlips(), 0);
        QVERIFY2(near(loop.speed(), 10, 0.01), qPrintable(QString::number(loop.speed())));
    }

    // The motor voltage's mean, like the comparator's, is the integral's difference as a run
    // stopped at the span's start reads it: across a load step and a regulator tuned in the
    // window, and without the regulator, where U follows the comparator at once.
    void commandMeanIsExact_data()
    {
        QTest::addColumn<bool>("corrector");
        QTest::addColumn<bool>("changes");
        QTest::addRow("locked, nothing changed") << true << false;
        QTest::addRow("a load step and a new regulator in the window") << true << true;
        QTest::addRow("without the corrector, a load step") << false << true;
    }
    void commandMeanIsExact()
    {
        QFETCH(bool, corrector);
        QFETCH(bool, changes);
        LoopParameters p;
        p.phaseAdvance = corrector;
        const double now = 1.00437, window = 0.01;
        const auto run = [&](double to) {
            LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000), p);
            loop.keepEdges(window);
            for (double t : {0.9, 0.99613, 0.99877, 1.00101}) {
                loop.advanceTo(std::min(t, to));
                if (t > to || !changes)
                    continue;
                if (t == 0.99613)
                    loop.setLoad(0.7);
                if (t == 1.00101)
                    loop.setRegulator(0.03, 0.002, 0.0008, 1.2);
            }
            loop.advanceTo(to);
            return loop;
        };
        const LoopSimulation loop = run(now);
        const double oldestEdge = loop.recentEdges().front().time;
        QVERIFY(oldestEdge <= now - window);
        for (double span : {1e-5, 3.7e-4, 1e-3, 6.3e-3, 0.5}) {
            const double from = std::max(now - span, oldestEdge);
            const LoopSimulation stopped = run(from);
            const double mean = (loop.commandIntegral() - stopped.commandIntegral()) / (now - from);
            QVERIFY2(near(loop.commandMean(span), mean, 1e-9), qPrintable(QString::number(span)));
        }
        if (!changes)
            QVERIFY(near(loop.commandMean(1e-3), operatingPoint(1000).comparatorMean, 1e-9));
        QCOMPARE(loop.commandMean(0), loop.command());
    }

    // A loop started later runs as the same loop started at 0, its clock moved on; its integrals
    // and slips count from its start.
    void aLaterStartRunsTheSame()
    {
        constexpr double later = 5.25;
        for (bool locked : {false, true}) {
            const SetpointProfile first = SetpointProfile::constant(1000), second = SetpointProfile::constant(1000, later);
            LoopSimulation atZero = locked ? LoopSimulation::locked(first) : LoopSimulation(first);
            LoopSimulation atLater = locked ? LoopSimulation::locked(second) : LoopSimulation(second);
            QCOMPARE(atLater.time(), later);
            QCOMPARE(atLater.startTime(), later);
            atZero.advanceTo(2.5);
            atLater.advanceTo(later + 2.5);
            QCOMPARE(atLater.cycleSlips(), atZero.cycleSlips());
            QCOMPARE(atLater.edgeLead(), atZero.edgeLead());
            QVERIFY(near(atLater.speed(), atZero.speed(), 1e-9));
            QVERIFY(near(atLater.phaseError(), atZero.phaseError(), 1e-9));
            QVERIFY(near(atLater.commandIntegral(), atZero.commandIntegral(), 1e-9));
            if (atZero.cycleSlips() > 0)
                QVERIFY(near(atLater.lastSlipTime(), atZero.lastSlipTime() + later, 1e-9));
        }
    }

    // An hour of a live page: still locked on the exact speed, the edges kept few. A motor driven
    // fast (4000 feedback edges a second) under a slow setpoint fills the store to its cap only.
    void runsAnHourLive()
    {
        LoopSimulation loop = LoopSimulation::locked(SetpointProfile::constant(1000));
        loop.keepEdges(0.002);
        for (int tick = 1; tick <= 36000; ++tick)
            loop.advanceTo(0.1 * tick);
        const Means m = measure(loop, 3600, 3601);
        QVERIFY(loop.cycleSlips() == 0 && loop.leadSpread() == 1 && near(m.speed, 10, 1e-6));
        // Integrals of 9000 V s keep 2e-12 V s, 1e-9 V over 2 ms.
        QVERIFY(near(loop.comparatorMean(0.002), operatingPoint(1000).comparatorMean, 1e-8));
        QVERIFY(loop.recentEdges().size() >= 8 && loop.recentEdges().size() <= 10);
        LoopParameters driven;
        driven.motorLoad = -5;
        LoopSimulation fast(SetpointProfile::constant(0.1), driven);
        fast.keepEdges(10);
        fast.advanceTo(4.9);  // before the setpoint's first edge
        QCOMPARE(fast.recentEdges().size(), LoopSimulation::MaxKeptEdges);
        QVERIFY(fast.recentEdges().front().time > 2.5);  // the oldest went first
        // A stopped setpoint makes no edge: the feedback's alone tell every backward slip.
        QVERIFY(near(static_cast<double>(fast.cycleSlips()), -fast.phaseError() / (2 * pi), 1));
    }

    // From rest on a feedback edge, a load turns the shaft back over it at once and the
    // comparator answers: the run must go on. Without the regulator and with no setpoint edges
    // the shaft chatters on the edge for good, held there by the comparator's mean, the load.
    void aLoadAtRestRunsOn_data()
    {
        QTest::addColumn<bool>("corrector");
        QTest::addColumn<double>("frequency");
        for (bool corrector : {true, false})
            for (double frequency : {0.0, 1000.0})
                QTest::addRow("%s corrector, %g Hz", corrector ? "with" : "without", frequency) << corrector << frequency;
    }
    void aLoadAtRestRunsOn()
    {
        QFETCH(bool, corrector);
        QFETCH(double, frequency);
        LoopParameters p = Radar;
        p.motorLoad = 1;
        p.phaseAdvance = corrector;
        LoopSimulation loop(SetpointProfile::constant(frequency), p);
        loop.advanceTo(1);
        QVERIFY(finite(loop));
        if (!corrector && frequency == 0) {
            QCOMPARE(loop.speed(), 0.0);
            QVERIFY(near(loop.comparatorIntegral(), p.motorLoad, 1e-12));
        }
    }

    void noSetpointLeavesTheMotorAtRest()
    {
        LoopSimulation loop(SetpointProfile::constant(0));
        loop.advanceTo(1e6);
        QVERIFY(finite(loop));
        QCOMPARE(loop.speed(), 0.0);
        QCOMPARE(loop.phaseError(), 0.0);
    }

    void rejectsMeaninglessInput()
    {
        const double nan = std::nan("");
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SetpointProfile::constant(-1));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SetpointProfile::constant(nan));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, SetpointProfile::ramp(500, 1500, 1, 0));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, LoopSimulation::locked(SetpointProfile::constant(2500)));
        LoopSimulation loop(SetpointProfile::constant(1000));
        loop.advanceTo(0.01);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.advanceTo(0.005));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.advanceTo(nan));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.advanceTo(INFINITY));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.stepSetpoint(-1));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.rampSetpoint(1500, 0));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.setLoad(INFINITY));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.setRegulator(0.025, 0, 0.0008, 1));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.setRegulator(nan, 0.0025, 0.0008, 1));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.setRegulator(0.025, 0.0025, 0.0008, 0));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, loop.setRegulator(0.025, 0.0025, INFINITY, 1));
        QCOMPARE(loop.loopParameters().regulatorLag, Radar.regulatorLag);
        QVERIFY(finite(loop));
        QVERIFY(loop.setpointFrequency() == 1000 && loop.loopParameters().motorLoad == 0);
    }
};

QTEST_APPLESS_MAIN(TestLoopModel)
#include "tst_loop_model.moc"

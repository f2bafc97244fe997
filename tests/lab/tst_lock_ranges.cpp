// The pull-in and hold ranges measured on the lab's engine alone: the course's loop, the hold
// range's top against the comparator's limit and a run of the loop alone, a cancelled measure
// and the key that dates a measure.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#include <QElapsedTimer>

#ifndef Q_MOC_RUN
#include "lab/lock_ranges.h"
#include "model/loop_simulation.h"

#include <map>

Q_DECLARE_METATYPE(LabSettings)

namespace {
constexpr int Threads = 2;
constexpr int Step = LabSettings::SetpointStep;
// A slow ramp over one step, for the loop run alone.
constexpr double SlowRamp = 1;  // Hz/s
// Cancelled, a measure stops within this (ms): it looks at the flag every few milliseconds of
// work, and a whole measure takes seconds.
constexpr qint64 PromptMs = 300;

// The course's settings, changed by `change`.
template <typename Change>
LabSettings changed(Change change)
{
    LabSettings settings;
    change(settings);
    return settings;
}

LabSettings withGain(int gain)
{
    return changed([gain](LabSettings &s) { s.gain = gain; });
}

struct Measured
{
    LockRanges ranges;
    std::vector<double> shown;  // the progress, as passed on
};

// Each regulator gain measured once for all the cases that look at it.
const Measured &measured(int gain)
{
    static std::map<int, Measured> done;
    if (!done.count(gain)) {
        std::vector<double> shown;
        const auto ranges = measureLockRanges(withGain(gain), {Threads, [&](double f) { shown.push_back(f); }, nullptr});
        done.emplace(gain, Measured{ranges.value(), shown});
    }
    return done.at(gain);
}

// Locked at `from`, a slow ramp to `to`: whether a cycle slips on the way.
bool slipsOnTheWay(int from, int to, const pllmodel::LoopParameters &p)
{
    using pllmodel::LoopSimulation, pllmodel::SetpointProfile;
    const double duration = std::abs(to - from) / SlowRamp;
    LoopSimulation loop = LoopSimulation::locked(SetpointProfile::ramp(from, to, 0, duration), p);
    loop.advanceTo(duration);
    return loop.cycleSlips() > 0;
}
}
#endif

class TestLockRanges : public QObject
{
    Q_OBJECT

private slots:
    void theCoursesLoop();
    void holdTopIsTheComparatorsLimit_data();
    void holdTopIsTheComparatorsLimit();
    void unstableLoopHoldsNothing();
    void cancelledGivesNothing_data();
    void cancelledGivesNothing();
    void keyFollowsTheLoopsSettings_data();
    void keyFollowsTheLoopsSettings();
};

void TestLockRanges::theCoursesLoop()
{
    const auto &[ranges, shown] = measured(LabSettings{}.gain);
    QCOMPARE(ranges.hold, (SetpointSpan{50, 1980}));
    QCOMPARE(ranges.pullIn(), (SetpointSpan{50, 1090}));
    QList<int> locking;
    for (std::size_t i = 0; i < ranges.pullsIn.size(); ++i)
        if (ranges.pullsIn[i])
            locking << int(i) * Step;
    QCOMPARE(locking.size(), (1090 - 50) / Step + 1);  // every step between, none outside
    QVERIFY(std::is_sorted(shown.begin(), shown.end()));
    QVERIFY(shown.size() > 2);
    QCOMPARE(shown.back(), 1.0);
}

void TestLockRanges::holdTopIsTheComparatorsLimit_data()
{
    QTest::addColumn<int>("gain");
    QTest::addRow("the course's gain") << 100;
    QTest::addRow("half the gain") << 50;
}

// At the top the comparator's 5 V mean no longer holds the motor at the setpoint's speed.
void TestLockRanges::holdTopIsTheComparatorsLimit()
{
    QFETCH(int, gain);
    const pllmodel::LoopParameters p = withGain(gain).parameters();
    const double limit = p.comparatorHigh * p.settledCommandGain() * p.motorGain * p.sensorSteps;
    const LockRanges &ranges = measured(gain).ranges;
    QVERIFY(ranges.hold);
    const int top = ranges.hold->high;
    QVERIFY2(top <= limit && limit < top + Step, qPrintable(QStringLiteral("top %1 Hz, limit %2 Hz").arg(top).arg(limit)));
    QVERIFY(!slipsOnTheWay(top - Step, top, p));
    QVERIFY(slipsOnTheWay(top, top + Step, p));
}

// Locked, this loop slips at once whichever way the setpoint goes: it holds no setpoint at all,
// not the one it was locked on.
void TestLockRanges::unstableLoopHoldsNothing()
{
    const LabSettings settings = changed([](LabSettings &s) {
        s.gain = LabSettings::MaxGain;
        s.lead = LabSettings::MinTimeConstant;
        s.lag = s.filter = LabSettings::MaxTimeConstant;
    });
    const auto ranges = measureLockRanges(settings, {Threads, {}, nullptr});
    QVERIFY(ranges);
    QCOMPARE(ranges->hold, std::nullopt);
    QCOMPARE(ranges->pullIn(), std::nullopt);
}

void TestLockRanges::cancelledGivesNothing_data()
{
    QTest::addColumn<double>("at");
    QTest::addRow("before it starts") << -1.0;
    QTest::addRow("while it ramps") << 0.0;
    QTest::addRow("while it starts from rest") << 0.4;
}

void TestLockRanges::cancelledGivesNothing()
{
    QFETCH(double, at);
    std::atomic<bool> cancel = at < 0;
    QElapsedTimer sinceCancel;
    if (cancel)
        sinceCancel.start();
    const auto stopAt = [&](double fraction) {
        if (fraction > at && !cancel.exchange(true))
            sinceCancel.start();
    };
    const auto ranges = measureLockRanges(LabSettings{}, {Threads, stopAt, &cancel});
    QVERIFY(sinceCancel.isValid());
    QVERIFY(!ranges);
    QVERIFY2(sinceCancel.elapsed() < PromptMs, qPrintable(QString::number(sinceCancel.elapsed())));
}

void TestLockRanges::keyFollowsTheLoopsSettings_data()
{
    QTest::addColumn<LabSettings>("settings");
    QTest::addColumn<bool>("outOfDate");
    QTest::addRow("setpoint") << changed([](LabSettings &s) { s.setpoint = 1500; }) << false;
    QTest::addRow("ramp") << changed([](LabSettings &s) { s.ramp = 50; }) << false;
    QTest::addRow("gain") << changed([](LabSettings &s) { s.gain = 200; }) << true;
    QTest::addRow("lead") << changed([](LabSettings &s) { s.lead = 100; }) << true;
    QTest::addRow("load") << changed([](LabSettings &s) { s.load = 5; }) << true;
    QTest::addRow("corrector") << changed([](LabSettings &s) { s.corrector = false; }) << true;
}

void TestLockRanges::keyFollowsTheLoopsSettings()
{
    QFETCH(LabSettings, settings);
    QFETCH(bool, outOfDate);
    QCOMPARE(measured(LabSettings{}.gain).ranges.key == LockRangesKey::of(settings), !outOfDate);
}

QTEST_GUILESS_MAIN(TestLockRanges)
#include "tst_lock_ranges.moc"

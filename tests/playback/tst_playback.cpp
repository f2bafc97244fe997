// Pause, a frame forward and a frame back, on a bare stage: going back must give the picture and
// the page state of the earlier frame exactly, all the way to the first frame after the command,
// and going forward again the same frames as before.
#include "app/application.h"
#include "page_runs.h"
#include "lab/experiment.h"
#include "pages/commands.h"
#include "pages/page_tick.h"
#include "playback/playback.h"
#include "playback/tick_pacer.h"

#include <QtTest>

namespace {
struct Frame
{
    PageState state;
    Controls controls;
    size_t picture;
    bool operator==(const Frame &) const = default;
};

// A quick hash of the pixels: the frames are only compared with each other.
Frame frameOf(Stage &stage)
{
    const QImage &image = stage.canvas.image();
    return {PageState::current(), stage.controls, qHashBits(image.constBits(), size_t(image.sizeInBytes()))};
}

QString describe(const Frame &f)
{
    return QStringLiteral("PageStep %1 ElementStep %2 PhaseSweepStep %3 SensorStep %4, picture %5")
        .arg(f.state.pageStep).arg(f.state.elementStep).arg(f.state.phaseSweepStep).arg(f.state.sensorStep)
        .arg(f.picture, 0, 16);
}
}

class TestPlayback : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    }

    void backRetracesEveryFrameAndForwardRedrawsThem_data()
    {
        QTest::addColumn<int>("run");
        for (std::size_t i = 0; i < pageRuns().size(); ++i)
            QTest::addRow("%s", pageRuns()[i].name) << int(i);
    }
    // Each run as the user plays it; after its last command, the frames it drew (ticks that moved
    // the page state on, and the first) are gone back over one by one, then forward again.
    void backRetracesEveryFrameAndForwardRedrawsThem()
    {
        QFETCH(int, run);
        Stage stage;
        Playback playback(stage);
        QList<Frame> frames;
        bool commanded = true; // the start button, which every run begins with
        playRun(stage, pageRuns()[run],
            [&](Control) { commanded = true; },
            [&](bool) {
                // The command has run by the tick after it is pressed.
                if (commanded) {
                    playback.commandDone();
                    frames.clear();
                    commanded = false;
                }
                const PageState before = PageState::current();
                playback.tick();
                if (frames.isEmpty() || !(PageState::current() == before))
                    frames.append(frameOf(stage));
            },
            [&](const LabCommand &command) { playback.labAction(command); });
        const Frame last = frameOf(stage);
        playback.setPaused(true);
        for (qsizetype i = frames.size() - 2; i >= 0; --i) {
            QVERIFY2(playback.stepBack(), qPrintable(QStringLiteral("no way back to frame %1").arg(i + 1)));
            const Frame now = frameOf(stage);
            QVERIFY2(now == frames[i], qPrintable(QStringLiteral("back at frame %1: %2, drawn as %3")
                                                      .arg(i + 1).arg(describe(now), describe(frames[i]))));
        }
        QVERIFY(!playback.stepBack());
        QCOMPARE(frameOf(stage), frames.first());
        for (qsizetype i = 1; i < frames.size(); ++i) {
            playback.stepForward();
            QVERIFY2(frameOf(stage) == frames[i], qPrintable(QStringLiteral("forward to frame %1").arg(i + 1)));
        }
        // A held page looks the same however long it was held.
        QCOMPARE(frameOf(stage).picture, last.picture);
    }

    void pausedTicksChangeNothingAndCommandsShowTheirFirstFrame()
    {
        resetPageState();
        Stage stage;
        Playback playback(stage);
        ChoiceIndex = 2;
        Button1Click(stage);
        playback.commandDone();
        for (int i = 0; i < 10; ++i)
            playback.tick();
        playback.setPaused(true);
        const Frame paused = frameOf(stage);
        for (int i = 0; i < 10; ++i)
            playback.tick();
        QCOMPARE(frameOf(stage), paused);
        QCOMPARE(animationProgress(), std::optional(AnimationProgress{11, 250}));

        // The start button again, paused: the first frame is drawn and held, nothing before it.
        Button1Click(stage);
        playback.commandDone();
        QVERIFY(playback.isPaused());
        QCOMPARE(PageStep, 2);
        QVERIFY(!playback.canStepBack());
        playback.tick();
        QCOMPARE(PageStep, 2);
        playback.setPaused(false);
        playback.tick();
        QCOMPARE(PageStep, 3);
    }

    // Back over a frame after which the tick period changed, the period ahead is the changed one,
    // though the lab holds the earlier one: the window compares the scroll bar with it.
    void theTickPeriodAheadCountsTheActionKept()
    {
        resetPageState();
        Stage stage;
        Playback playback(stage);
        ChoiceIndex = 4;
        Button1Click(stage);
        playback.commandDone();
        for (int i = 0; i < 5; ++i)
            playback.tick();
        playback.setPaused(true);
        playback.labSetting({LabCommand::Kind::TickPeriod, 2});
        QCOMPARE(playback.labTickPeriodAhead(), 2);
        playback.stepForward();
        QVERIFY(playback.stepBack());
        QCOMPARE(stage.lab.pace().tickMs, LabPace{}.tickMs);
        QCOMPARE(playback.labTickPeriodAhead(), 2);
        playback.labSetting({LabCommand::Kind::TickPeriod, LabPace{}.tickMs});
        playback.stepForward();
        QCOMPARE(stage.lab.pace().tickMs, LabPace{}.tickMs);
    }

    void backFromActionsAtAnExperimentsEnd_data()
    {
        QTest::addColumn<int>("ticksToTheEnd");
        QTest::addRow("end at the start") << 0;
        QTest::addRow("end two ticks on") << 2;
    }
    // Paused at an opened experiment's end, the student changes the loop a few times; each frame
    // back must be the one drawn then (the recorder's axis and the operating point's trail
    // included), though the first action is at the very instant the run was saved.
    void backFromActionsAtAnExperimentsEnd()
    {
        QFETCH(int, ticksToTheEnd);
        resetPageState();
        Stage stage;
        Playback playback(stage);
        playback.setPaused(true);
        Experiment experiment;
        experiment.until = ticksToTheEnd * stage.lab.tickSpan();
        experiment.run.actions = {{*experiment.until, LabChange{.gain = 12}}};
        OpenExperiment(stage, experiment);
        playback.commandDone();
        while (!stage.lab.atEnd())
            playback.stepForward();
        QList<Frame> frames{frameOf(stage)};
        for (const LabCommand &command : {LabCommand{LabCommand::Kind::Setpoint, 2510}, LabCommand{LabCommand::Kind::StartAtRest},
                                          LabCommand{LabCommand::Kind::Load, 15}, LabCommand{LabCommand::Kind::Lead, 280},
                                          LabCommand{LabCommand::Kind::Corrector, 0}}) {
            playback.labAction(command);
            frames.append(frameOf(stage));
        }
        for (qsizetype i = frames.size() - 2; i >= 0; --i) {
            QVERIFY(playback.stepBack());
            QVERIFY2(frameOf(stage) == frames[i], qPrintable(QStringLiteral("back at frame %1").arg(i + 1)));
        }
    }

    void tickPacerCoversThePeriodsGoneBy_data()
    {
        QTest::addColumn<QList<double>>("ticksMs");
        QTest::addColumn<int>("periodMs");
        QTest::addColumn<QList<int>>("periods");
        QTest::addRow("on time, one early") << QList<double>{5, 6, 7.2, 7.9, 9} << 1 << QList<int>{1, 1, 1, 1, 1};
        QTest::addRow("late ticks catch up") << QList<double>{0, 1, 3.5, 4.2, 10} << 1 << QList<int>{1, 1, 2, 1, 6};
        QTest::addRow("late at 20 ms") << QList<double>{0, 19.6, 61, 80.5} << 20 << QList<int>{1, 1, 2, 1};
        QTest::addRow("held past the longest tick") << QList<double>{0, 1, 500, 501} << 1 << QList<int>{1, 1, 100, 1};
    }
    void tickPacerCoversThePeriodsGoneBy()
    {
        QFETCH(QList<double>, ticksMs);
        QFETCH(int, periodMs);
        QFETCH(QList<int>, periods);
        TickPacer pacer;
        QList<int> covered;
        for (double ms : ticksMs)
            covered.append(pacer.periodsDue(std::int64_t(ms * 1e6), periodMs, LabPace::MaxTickMs / periodMs));
        QCOMPARE(covered, periods);
    }

    // Ticks the clock brings late move the lab's loop time on with the clock; going back over
    // them and forward again, stepping or running, draws the very same frames.
    void lateTicksKeepUpWithTheClockAndPlayAgainExactly()
    {
        resetPageState();
        Stage stage;
        Playback playback(stage);
        std::int64_t nowNs = 0;
        playback.setClock([&] { return nowNs; });
        ChoiceIndex = 4;
        Button1Click(stage);
        playback.commandDone();
        constexpr int PeriodMs = 1;
        constexpr std::int64_t OnTime = 1'000'000, Late = 4'500'000;
        const auto tick = [&](std::int64_t after) {
            nowNs += after;
            playback.takeLabTickPeriod(PeriodMs);
            playback.tick();
        };
        QList<Frame> frames;
        for (int i = 0; i < 60; ++i) {
            tick(i % 5 == 4 ? Late : OnTime);
            frames.append(frameOf(stage));
        }
        // The first tick's own period, then the clock's 101 ms since: 47 ticks on time, 12 late.
        QCOMPARE(qRound(stage.lab.loop().time() * 1e3), 102);
        playback.setPaused(true);
        for (qsizetype i = frames.size() - 2; i >= 0; --i) {
            QVERIFY(playback.stepBack());
            QVERIFY2(frameOf(stage) == frames[i], qPrintable(QStringLiteral("back at frame %1").arg(i + 1)));
        }
        for (qsizetype i = 1; i < 30; ++i) {
            playback.takeLabTickPeriod(PeriodMs);
            playback.stepForward();
            QVERIFY2(frameOf(stage) == frames[i], qPrintable(QStringLiteral("forward to frame %1").arg(i + 1)));
        }
        // Running on over the frames kept ahead plays them as they were, whatever the clock says.
        playback.setPaused(false);
        for (qsizetype i = 30; i < frames.size(); ++i) {
            tick(Late);
            QVERIFY2(frameOf(stage) == frames[i], qPrintable(QStringLiteral("run on to frame %1").arg(i + 1)));
        }
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"

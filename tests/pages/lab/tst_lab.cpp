// The lab on a bare stage, no window: what its readouts say after the student's actions, that
// they are the model's own numbers, that going back a frame gives back exactly what was drawn
// and replays the actions, and that hours of loop time lose nothing and keep memory flat.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use, and needs none
// of it.
#ifndef Q_MOC_RUN
#include "lab_stage.h"
#include "drawing/fonts.h"
#include "drawing/page_reader.h"
#include "lab/experiment_file.h"
#include "lab/lab.h"
#include "pages/commands.h"
#include "pages/lab/lab_command.h"
#include "pages/lab/lab_page.h"
#include "pages/lab/settings_panel.h"
#include "pages/lab/recorder_scale.h"
#include "pages/lab/lab_readouts.h"
#include "pages/lab/statement_panel.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "playback/playback.h"
#include "text/french_number.h"

#include <QDir>
#include <QFontMetrics>

#include <cmath>
#include <memory>
#include <numbers>
#endif

namespace {
using Kind = LabCommand::Kind;

QStringList readoutLines(const LabReadouts &r)
{
    return {r.lock, r.slips, r.setpoint, r.speed, r.phase, r.comparator, r.command, r.time};
}

struct Frame
{
    QImage picture;
    QStringList readouts;
    bool operator==(const Frame &) const = default;
};
Frame frameOf(Stage &stage)
{
    return {stage.canvas.image().copy(), readoutLines(labReadouts(stage.lab))};
}
}

class TestLab : public QObject
{
    Q_OBJECT

private slots:
    // Each course experiment's title and text, every letter in the face it is drawn in: none
    // comes out as a box.
    void courseTextsHaveTheirLetters()
    {
        Fonts::registerEmbedded();
        const QFontMetrics title(statementTitleFont()), text(statementTextFont());
        const QDir shipped(QStringLiteral(EXPERIMENTS_DIR));
        const QStringList files = shipped.entryList({QStringLiteral("*.pll")});
        QVERIFY(!files.isEmpty());
        for (const QString &file : files) {
            const auto read = ExperimentFile::read(shipped.filePath(file));
            QVERIFY(std::holds_alternative<Experiment>(read));
            const Experiment &e = std::get<Experiment>(read);
            for (const auto &[words, metrics] : {std::pair{e.title, &title}, std::pair{e.text, &text}})
                for (const char32_t letter : QString::fromStdString(words).toUcs4())
                    QVERIFY2(letter == U'\n' || metrics->inFontUcs4(letter),
                             qPrintable(QStringLiteral("%1: U+%2 is not in its face").arg(file).arg(uint(letter), 4, 16)));
        }
    }

    // A text longer than its box goes on over pages, each saying which it is, the title on each:
    // every word is read on one of them; a text that fits takes one page and says nothing of it.
    void aLongTextIsPagedNothingCutOff()
    {
        QStringList words;
        for (int i = 0; i < 600; ++i)
            words << QStringLiteral("mot%1").arg(i);
        auto stage = openLab();
        PageReader reader;
        stage->canvas.setTextListener(&reader);
        stage->lab.open({"Un long énoncé", words.join(QLatin1Char(' ')).toStdString(), {}, {}});
        const int pages = labStatementPages(stage->lab);
        QVERIFY(pages > 2);
        QSet<QString> read;
        for (int page = 0; page < pages; ++page) {
            applyLabCommand(*stage, {Kind::StatementPage, page});
            drawLabPage(*stage);
            const QString shown = reader.read(stage->canvas.image());
            QVERIFY(shown.contains(QStringLiteral("Un long énoncé")));
            QVERIFY2(shown.contains(QStringLiteral("Page %1 sur %2").arg(page + 1).arg(pages)), qPrintable(shown));
            for (const QString &word : shown.split(QRegularExpression(QStringLiteral("\\s+"))))
                read.insert(word);
        }
        for (const QString &word : words)
            QVERIFY2(read.contains(word), qPrintable(word));

        stage->lab.open({"Court", "Un texte qui tient.", {}, {}});
        QCOMPARE(labStatementPages(stage->lab), 1);
        drawLabPage(*stage);
        QVERIFY(!reader.read(stage->canvas.image()).contains(QStringLiteral("Page ")));
    }

    // A picture that stands alone says what the controls show: setpoint and its ramp, load,
    // regulator, pace and view.
    void aPictureSaysItsSettings_data()
    {
        QTest::addColumn<QList<LabCommand>>("commands");
        QTest::addColumn<QStringList>("lines");
        QTest::addRow("course") << QList<LabCommand>{}
                                << QStringList{"Consigne : 1000 Hz, en échelon", "Couple résistant : 0 V",
                                               "Correcteur : celui du cours", "τ1 avance : 0,025 s ; τ2 : 0,0025 s",
                                               "τ3 filtre : 0,0008 s ; gain : 1", "Ralenti : ×1", "Vue : signaux"};
        QTest::addRow("changed") << QList<LabCommand>{{Kind::Ramp, 1570}, {Kind::Setpoint, 1200}, {Kind::Load, 5},
                                                      {Kind::Gain, 120}, {Kind::SlowMotion, 2}, {Kind::FrequencyView, 1},
                                                      {Kind::FrequencyChart, int(FrequencyChart::Nyquist)}}
                                 << QStringList{"Consigne : 1200 Hz", "en rampe de 157 Hz/s", "Couple résistant : 0,5 V",
                                                "Correcteur : réglé", "τ3 filtre : 0,0008 s ; gain : 1,2", "Ralenti : ×1/100",
                                                "Vue : réponse en fréquence, Nyquist"};
        QTest::addRow("no corrector") << QList<LabCommand>{{Kind::Corrector, 0}} << QStringList{"Correcteur : aucun (gain de 1)"};
    }
    void aPictureSaysItsSettings()
    {
        QFETCH(QList<LabCommand>, commands);
        QFETCH(QStringList, lines);
        auto stage = openLab();
        for (const LabCommand &command : commands)
            applyLabCommand(*stage, command);
        PageReader reader;
        stage->canvas.setTextListener(&reader);
        drawLabSettings(stage->canvas, stage->lab, stage->labView);
        const QString read = reader.read(stage->canvas.image());
        for (const QString &line : lines)
            QVERIFY2(read.contains(line), qPrintable(line + QStringLiteral(" not in: ") + read));
    }

    // At the short time bases the recorder sweeps from just before each action and holds a full
    // paper until the next; at any base the speed's scale stays put through a response.
    void theRecorderSweepsFromEachActionItsScaleStill_data()
    {
        QTest::addColumn<int>("timeBase");
        QTest::addColumn<bool>("swept");
        QTest::addRow("50 ms") << 0 << true;
        QTest::addRow("200 ms") << 1 << true;
        QTest::addRow("5 s") << 3 << false;
    }
    void theRecorderSweepsFromEachActionItsScaleStill()
    {
        QFETCH(int, timeBase);
        QFETCH(bool, swept);
        auto stage = openLab();
        applyLabCommand(*stage, {Kind::TimeBase, timeBase});
        applyLabCommand(*stage, {Kind::StartLocked});
        runFor(*stage, 0.5);
        const double action = stage->lab.loop().time();
        // Its overshoot takes the speed past a whole turn per second the target stays under.
        applyLabCommand(*stage, {Kind::Setpoint, 1070});
        const Recorder &paper = stage->lab.recorder();
        QCOMPARE(paper.sweeping(), swept);
        std::optional<SpeedScale> scale;
        while (stage->lab.loop().time() < action + 0.3) {
            PageTick(*stage);
            const SpeedScale now = speedScale(paper, stage->lab.response().start());
            QVERIFY2(!scale || *scale == now, qPrintable(QStringLiteral("the scale moved at %1 s").arg(stage->lab.loop().time())));
            scale = now;
        }
        if (!swept)
            return;
        QCOMPARE(paper.triggerTime(), action);
        QCOMPARE(paper.size(), Recorder::Columns);
        QVERIFY(std::abs(paper.timeAt(0) - (action - Recorder::BeforeTrigger * paper.column())) <= paper.column());
        const double held = paper.timeAt(paper.size() - 1);
        QVERIFY(held < action + paper.span());
        runFor(*stage, action + 0.6);
        QCOMPARE(paper.timeAt(paper.size() - 1), held);
        // The next action sweeps again, from just before it.
        const double load = stage->lab.loop().time();
        applyLabCommand(*stage, {Kind::Load, 10});
        QCOMPARE(paper.triggerTime(), load);
        QCOMPARE(paper.size(), Recorder::BeforeTrigger);
        QVERIFY(paper.timeAt(paper.size() - 1) <= load);
    }

    void startsAtRestAndLocksAsTheModelAloneDoes()
    {
        auto stage = openLab();
        QCOMPARE(PageStep, LabPageStep);
        PageTick(*stage);
        QVERIFY(stage->controls.isShown(Control::LabPanel));
        QCOMPARE(labReadouts(stage->lab).lock, QStringLiteral("Boucle décrochée"));
        runFor(*stage, 3);
        const LabReadouts r = labReadouts(stage->lab);
        QCOMPARE(r.lock, QStringLiteral("Boucle verrouillée"));
        QCOMPARE(r.speed, QStringLiteral("Vitesse moteur : 10,00 tr/s"));
        QCOMPARE(r.setpoint, QStringLiteral("Consigne : 1000 Hz"));
        QCOMPARE(r.time, QStringLiteral("Temps : 3,000 s"));

        // The same scenario, the model alone: the lab shows its numbers, nothing of its own.
        pllmodel::LoopSimulation alone(pllmodel::SetpointProfile::constant(1000));
        alone.keepEdges(Lab::LongestScope);
        alone.advanceTo(stage->lab.loop().time());
        const pllmodel::LoopSimulation &lab = stage->lab.loop();
        QCOMPARE(lab.cycleSlips(), alone.cycleSlips());
        QVERIFY(std::abs(lab.speed() - alone.speed()) < 1e-9);
        QVERIFY(std::abs(lab.phaseError() - alone.phaseError()) < 1e-9);
        QCOMPARE(r.slips, QStringLiteral("Glissements de cycle : %1").arg(alone.cycleSlips()));
        QCOMPARE(r.phase, QStringLiteral("Erreur de phase : %1 rad")
                              .arg(frenchDecimal(std::fmod(alone.phaseError(), 2 * std::numbers::pi), 2)));
        QCOMPARE(r.comparator,
                 QStringLiteral("Sortie comparateur (moyenne) : %1 V").arg(frenchDecimal(alone.comparatorMean(1e-3), 2)));

        // Choosing another topic puts the lab's controls away.
        Choix(*stage, 2);
        QVERIFY(!stage->controls.isShown(Control::LabPanel));
    }

    void answersTheStudentsActions_data()
    {
        QTest::addColumn<QList<LabCommand>>("commands");
        QTest::addColumn<QString>("lock");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<bool>("slipped");
        QTest::addColumn<bool>("refused");
        const LabCommand locked{Kind::StartLocked};
        QTest::addRow("a 50 Hz step is caught") << QList<LabCommand>{locked, {Kind::Setpoint, 1050}}
            << "Boucle verrouillée" << "Vitesse moteur : 10,50 tr/s" << false << false;
        // The motor stays near 10 tr/s: a slipping comparator averages half its swing.
        QTest::addRow("a 200 Hz step makes it slip") << QList<LabCommand>{locked, {Kind::Setpoint, 1200}}
            << "Boucle décrochée" << "Vitesse moteur : 9,8" << true << false;
        QTest::addRow("the same change as a ramp keeps the lock")
            << QList<LabCommand>{locked, {Kind::Ramp, 1570}, {Kind::Setpoint, 1200}}
            << "Boucle verrouillée" << "Vitesse moteur : 12,00 tr/s" << false << false;
        QTest::addRow("2500 Hz cannot be held") << QList<LabCommand>{{Kind::Setpoint, 2500}, locked}
            << "Boucle décrochée" << "Vitesse moteur : 8,3" << true << true;
        QTest::addRow("a load is taken up") << QList<LabCommand>{locked, {Kind::Load, 10}}
            << "Boucle verrouillée" << "Vitesse moteur : 10,00 tr/s" << false << false;
        // Its phase then rings for seconds: the margin is a degree or so.
        QTest::addRow("without the corrector it locks too") << QList<LabCommand>{{Kind::Corrector, 0}}
            << "Boucle verrouillée" << "Vitesse moteur : " << true << false;
    }
    // Each scenario's actions at loop time 0, then 3 s of loop time.
    void answersTheStudentsActions()
    {
        QFETCH(QList<LabCommand>, commands);
        QFETCH(QString, lock);
        QFETCH(QString, speed);
        QFETCH(bool, slipped);
        QFETCH(bool, refused);
        auto stage = openLab();
        for (const LabCommand &c : commands)
            applyLabCommand(*stage, c);
        QCOMPARE(stage->lab.unholdable().has_value(), refused);
        runFor(*stage, 3);
        const LabReadouts r = labReadouts(stage->lab);
        QCOMPARE(r.lock, lock);
        QVERIFY2(r.speed.startsWith(speed), qPrintable(r.speed));
        QCOMPARE(stage->lab.loop().cycleSlips() > 0, slipped);
        for (const QString &line : readoutLines(r))
            QVERIFY2(!line.contains(QLatin1String("nan"), Qt::CaseInsensitive)
                         && !line.contains(QLatin1String("inf"), Qt::CaseInsensitive), qPrintable(line));
    }

    void outOfRangeSettingsStayInTheControlsRanges()
    {
        Lab lab;
        lab.act({.setpoint = 99999, .ramp = 1 << 30, .load = -4});
        lab.setPace({500, 9});
        const LabSettings &s = lab.settings();
        QCOMPARE(s.setpoint, LabSettings::MaxSetpoint);
        QCOMPARE(s.load, 0);
        QCOMPARE(s.ramp, LabSettings::MaxSlope);
        QCOMPARE(lab.pace(), (LabPace{LabPace::MaxTickMs, 3}));
        lab.act({.setpoint = 1004, .ramp = -3});
        QCOMPARE(lab.settings().setpoint, 1000);
        QCOMPARE(lab.settings().ramp, 0);
    }

    // The response to each action, measured on the speed from the action's instant: "—" until
    // the loop has held the band for a while, and while it slips.
    void measuresTheResponseToEachAction_data()
    {
        QTest::addColumn<QList<LabCommand>>("atOneSecond");
        QTest::addColumn<bool>("known");
        QTest::addColumn<double>("longestSettling");  // s
        QTest::addColumn<int>("decimals");            // of the settling time shown
        QTest::addColumn<bool>("overshoots");         // whether it has an overshoot
        QTest::addRow("the start from rest") << QList<LabCommand>{} << true << 2.5 << 2 << false;
        QTest::addRow("a 50 Hz step") << QList<LabCommand>{{Kind::Setpoint, 1050}} << true << 1.0 << 2 << true;
        QTest::addRow("a load step") << QList<LabCommand>{{Kind::Load, 10}} << true << 1.0 << 3 << false;
        QTest::addRow("a 200 Hz step slips") << QList<LabCommand>{{Kind::Setpoint, 1200}} << false << 0.0 << 2 << true;
    }
    void measuresTheResponseToEachAction()
    {
        QFETCH(QList<LabCommand>, atOneSecond);
        QFETCH(bool, known);
        QFETCH(double, longestSettling);
        QFETCH(int, decimals);
        QFETCH(bool, overshoots);
        auto stage = openLab();
        if (!atOneSecond.isEmpty()) {
            applyLabCommand(*stage, {Kind::StartLocked});
            runFor(*stage, 1);
            for (const LabCommand &c : atOneSecond)
                applyLabCommand(*stage, c);
            PageTick(*stage);
            QVERIFY(labReadouts(stage->lab).measures[1].endsWith(QStringLiteral(" : —")));
        }
        runFor(*stage, 3.5);
        const LabReadouts r = labReadouts(stage->lab);
        const std::optional<double> settling = stage->lab.response().settlingTime();
        const std::optional<double> overshoot = stage->lab.response().overshootPercent();
        QCOMPARE(settling.has_value(), known);
        QCOMPARE(overshoot.has_value(), known && overshoots);
        if (!known) {
            QCOMPARE(r.measures[0], QStringLiteral("Dépassement : —"));
            return;
        }
        QVERIFY2(*settling > 0.01 && *settling < longestSettling, qPrintable(r.measures[1]));
        QVERIFY2(r.measures[1].endsWith(QStringLiteral(" : %1 s").arg(frenchDecimal(*settling, decimals))), qPrintable(r.measures[1]));
        if (!overshoots)
            return;
        QVERIFY2(*overshoot >= 0 && *overshoot < 100, qPrintable(r.measures[0]));
        QCOMPARE(r.measures[0], QStringLiteral("Dépassement : %1 %").arg(frenchDecimal(*overshoot, 0)));
    }

    // The regulator's settings reach the live loop, within the controls' ranges; the course's
    // values come back at once, the corrector with them.
    void theRegulatorIsTunedLive()
    {
        Lab lab;
        lab.act({.lead = 99999, .lag = 0, .filter = 30, .gain = 5});
        const pllmodel::LoopParameters &live = lab.loop().loopParameters();
        QCOMPARE(live.regulatorLead, 1.0);
        QCOMPARE(live.regulatorLag, 1e-4);
        QCOMPARE(live.regulatorFilter, 3e-3);
        QCOMPARE(live.regulatorGain, 0.1);
        lab.act({.gain = 250, .corrector = false});
        QVERIFY(!lab.loop().loopParameters().phaseAdvance);
        QCOMPARE(lab.loop().loopParameters().regulatorGain, 2.5);
        Stage stage;
        stage.lab = lab;
        applyLabCommand(stage, {Kind::CourseValues});
        const LabSettings course;
        lab = stage.lab;
        QVERIFY(lab.settings().corrector && lab.loop().loopParameters().phaseAdvance);
        QVERIFY(lab.settings().lead == course.lead && lab.settings().lag == course.lag
                && lab.settings().filter == course.filter && lab.settings().gain == course.gain);
        QCOMPARE(lab.loop().loopParameters().regulatorLead, pllmodel::Radar.regulatorLead);
        QCOMPARE(lab.loop().loopParameters().regulatorGain, 1.0);
    }

    // Up to three responses are kept, the oldest giving way, each under its settings.
    void keepsUpToThreeResponses()
    {
        auto stage = openLab();
        runFor(*stage, 1);
        stage->lab.keepResponse();
        QCOMPARE(stage->lab.keptResponses().size(), std::size_t(1));
        QCOMPARE(regulatorLabel(stage->lab.keptResponses().front().settings),
                 QStringLiteral("avance 0,025 s, retard 0,0025 s, filtre 0,0008 s, gain 1"));
        stage->lab.act({.corrector = false});
        for (int hz : {1010, 1020, 1030}) {
            stage->lab.act({.setpoint = hz});
            runFor(*stage, stage->lab.loop().time() + 0.2);
            stage->lab.keepResponse();
        }
        const auto &kept = stage->lab.keptResponses();
        QCOMPARE(kept.size(), std::size_t(Lab::MaxKeptResponses));
        QCOMPARE(regulatorLabel(kept.front().settings), QStringLiteral("sans correcteur"));
        // 0,2 s of curve at the recorder's column, 10 ms at the real time.
        QVERIFY(std::abs(int(kept.back().curve.size()) - 20) <= 1);
        QVERIFY(kept.back().offset >= 0 && kept.back().offset < kept.back().spacing);
        stage->lab.clearResponses();
        QVERIFY(stage->lab.keptResponses().empty());
    }

    // The run, played again from its actions, gives the same loop; a copy that acts after
    // another keeps its own actions.
    void aRunAgainGivesTheSameLoop()
    {
        auto stage = openLab();
        Lab &lab = stage->lab;
        runFor(*stage, 0.3);
        lab.act({.restart = LabStart::Locked});
        runFor(*stage, 0.5);
        Lab before = lab;
        lab.act({.ramp = 1570});
        lab.act({.setpoint = 1100});
        lab.act({.lead = 300});
        runFor(*stage, 1.2);
        lab.act({.load = 5});
        runFor(*stage, 2);
        const Experiment run = lab.experiment();
        QCOMPARE(run.run.actions.size(), std::size_t(5));
        QCOMPARE(run.until, lab.loop().time());
        Lab again;
        again.open({{}, {}, run.run, {}});
        again.runTo(lab.loop().time());
        QVERIFY(std::abs(again.loop().speed() - lab.loop().speed()) < 1e-9);
        QVERIFY(std::abs(again.loop().phaseError() - lab.loop().phaseError()) < 1e-9);
        QCOMPARE(again.loop().cycleSlips(), lab.loop().cycleSlips());
        QCOMPARE(again.settings(), lab.settings());

        before.act({.gain = 200});
        QCOMPARE(before.experiment().run.actions.size(), std::size_t(2));
        QCOMPARE(before.experiment().run.actions.back().change, (LabChange{.gain = 200}));
        QCOMPARE(lab.experiment().run.actions.size(), std::size_t(5));
    }

    // Going back gives each frame and its readouts exactly as first drawn, as far back as the
    // playback keeps and no further; going forward again plays the student's action again.
    void backAndForwardOverAnAction()
    {
        auto stage = openLab();
        Playback playback(*stage);
        QList<Frame> frames;
        constexpr int Ticks = 450, ActionAt = 300;
        for (int i = 1; i <= Ticks; ++i) {
            playback.tick();
            frames.append(frameOf(*stage));
            if (i == ActionAt)
                playback.labAction({Kind::Setpoint, 1100});
        }
        playback.setPaused(true);
        qsizetype at = frames.size() - 1;
        while (playback.stepBack()) {
            --at;
            QVERIFY2(frameOf(*stage) == frames[at], qPrintable(QStringLiteral("back at frame %1").arg(at + 1)));
        }
        const qsizetype back = frames.size() - 1 - at;
        QVERIFY2(back >= qsizetype(Playback::MinFramesBack) && back < Ticks - 1, qPrintable(QString::number(back)));
        QVERIFY(at < ActionAt - 1);
        for (++at; at < frames.size(); ++at) {
            playback.stepForward();
            QVERIFY2(frameOf(*stage) == frames[at], qPrintable(QStringLiteral("forward to frame %1").arg(at + 1)));
        }
        QCOMPARE(stage->lab.settings().setpoint, 1100);
    }

    // An hour of loop time (PLL_LAB_HOURS sets another length) at the longest tick: still locked
    // and exact, and what the lab keeps has not grown.
    void hoursOfLoopTimeLoseNothing()
    {
        const double hours = qEnvironmentVariableIsSet("PLL_LAB_HOURS") ? qEnvironmentVariable("PLL_LAB_HOURS").toDouble() : 1;
        Lab lab;
        lab.setPace({LabPace::MaxTickMs, 0});
        const double end = hours * 3600;
        while (lab.loop().time() < end - 1e-6) {
            lab.advance();
            QVERIFY(lab.loop().recentEdges().size() <= pllmodel::LoopSimulation::MaxKeptEdges);
        }
        const LabReadouts r = labReadouts(lab);
        QCOMPARE(r.lock, QStringLiteral("Boucle verrouillée"));
        QCOMPARE(r.speed, QStringLiteral("Vitesse moteur : 10,00 tr/s"));
        QCOMPARE(r.setpoint, QStringLiteral("Consigne : 1000 Hz"));
        QCOMPARE(r.comparator, QStringLiteral("Sortie comparateur (moyenne) : 2,51 V"));
        QCOMPARE(lab.recorder().size(), Recorder::Columns);
        // The last slip is from the pull-in: not one in all the hours since.
        QVERIFY(lab.loop().lastSlipTime() < 3);
    }
};

QTEST_MAIN(TestLab)
#include "tst_lab.moc"

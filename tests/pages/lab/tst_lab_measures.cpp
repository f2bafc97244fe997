// The lab's words about the response and the loop, on a bare stage: each kind of action's
// measures (and "—" where it has none), the course's load step against its linear model, the
// regulator named, and why the loop lets go in runs that show each cause.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#ifndef Q_MOC_RUN
#include "lab_stage.h"
#include "drawing/page_reader.h"
#include "lab/lab.h"
#include "model/operating_point.h"
#include "pages/commands.h"
#include "pages/lab/lab_command.h"
#include "pages/lab/lab_page.h"
#include "pages/lab/lab_readouts.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"

#include <cmath>
#include <memory>
#include <numbers>
#endif

Q_DECLARE_METATYPE(LabRun)

namespace {
using Kind = LabCommand::Kind;

// Every text the page draws, to find two that cover each other.
struct TextsDrawn : TextListener
{
    std::vector<DrawnText> texts;
    void textDrawn(const DrawnText &text) override { texts.push_back(text); }
};

// The recorder's panel starts there: the status column's texts end before it.
constexpr int StatusColumnEnd = 222;

std::vector<DrawnText> textsOf(Stage &stage)
{
    TextsDrawn drawn;
    stage.canvas.setTextListener(&drawn);
    drawLabPage(stage);
    // The canvas tells what it drew as the frame ends.
    stage.canvas.image();
    stage.canvas.setTextListener(nullptr);
    return drawn.texts;
}

// The page drawn now: no text's ink falls on another's.
bool noTextCoversAnother(Stage &stage)
{
    const std::vector<DrawnText> texts = textsOf(stage);
    QSet<std::pair<int, int>> inked;
    for (const DrawnText &text : texts) {
        QSet<std::pair<int, int>> own;
        for (const QPoint &p : inkOf(text))
            own.insert({p.x(), p.y()});
        if (own.intersects(inked)) {
            qWarning("'%s' covers another text", qPrintable(text.text));
            return false;
        }
        inked.unite(own);
    }
    return true;
}
}

class TestLabMeasures : public QObject
{
    Q_OBJECT

private slots:
    // Locked at 1000 Hz, the action at 1 s, read at 3,5 s: each kind of action has its own
    // measures; where nothing changed there is no figure.
    void eachActionHasItsMeasures_data()
    {
        QTest::addColumn<QList<LabCommand>>("atOneSecond");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        const QString number = QStringLiteral("\\d+(,\\d+)? ");
        QTest::addRow("a locked start, nothing changed") << QList<LabCommand>{}
            << "Temps d'accrochage : —" << "Temps de réponse à 5 % : —";
        QTest::addRow("a step of 0 Hz") << QList<LabCommand>{{Kind::Setpoint, 1000}}
            << "Dépassement : —" << "Temps de réponse à 5 % : —";
        QTest::addRow("a 50 Hz step") << QList<LabCommand>{{Kind::Setpoint, 1050}}
            << "Dépassement : " + number + "%" << "Temps de réponse à 5 % : 0,0\\d s";
        QTest::addRow("a load step") << QList<LabCommand>{{Kind::Load, 5}}
            << "Écart maximal : 0,0\\d\\d tr/s" << "Temps de rétablissement : 0,0\\d\\d s";
        QTest::addRow("a start from rest") << QList<LabCommand>{{Kind::StartAtRest}}
            << "Temps d'accrochage : 1,4\\d s" << "Temps de réponse à 5 % : 1,4\\d s";
        QTest::addRow("a ramp") << QList<LabCommand>{{Kind::Ramp, 1570}, {Kind::Setpoint, 1200}}
            << "Retard sur f/100 pendant la rampe : 0,000\\d+ tr/s \\(0,\\d\\d ms\\)" << "";
    }
    void eachActionHasItsMeasures()
    {
        QFETCH(QList<LabCommand>, atOneSecond);
        QFETCH(QString, first);
        QFETCH(QString, second);
        auto stage = openLab();
        applyLabCommand(*stage, {Kind::StartLocked});
        runFor(*stage, 1);
        for (const LabCommand &c : atOneSecond)
            applyLabCommand(*stage, c);
        runFor(*stage, 3.5);
        const LabReadouts r = labReadouts(stage->lab);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(first)).match(r.measures[0]).hasMatch(),
                 qPrintable(r.measures[0]));
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(second)).match(r.measures[1]).hasMatch(),
                 qPrintable(r.measures[1]));
    }

    // The course's loop locked at 1000 Hz takes a 1 V load: a linear model of it dips by
    // 0,0423 tr/s and comes back within 5 % of that in 0,0644 s. The mean speed the lab measures
    // shows the same, the comparator's ripple aside.
    void theCoursesLoadStepAsTheLinearModelHasIt()
    {
        auto stage = openLab();
        applyLabCommand(*stage, {Kind::StartLocked});
        runFor(*stage, 1);
        applyLabCommand(*stage, {Kind::Load, 10});
        runFor(*stage, 2);
        const StepResponse &response = stage->lab.response();
        QVERIFY(response.largestDeparture() && response.settlingTime());
        QVERIFY2(std::abs(*response.largestDeparture() - 0.0423) < 0.0005, qPrintable(QString::number(*response.largestDeparture())));
        QVERIFY2(std::abs(*response.settlingTime() - 0.0644) < 0.002, qPrintable(QString::number(*response.settlingTime())));
        QCOMPARE(labReadouts(stage->lab).measures[0], QStringLiteral("Écart maximal : 0,042 tr/s"));
    }

    // While the setpoint ramps, the speed lags f/100 by what the operating points' phase errors
    // say: the phase error grows with the frequency, so the sensor runs that much slower.
    void theRampsLagIsTheOperatingPointsOwn()
    {
        auto stage = openLab();
        applyLabCommand(*stage, {Kind::StartLocked});
        constexpr int Slope = 157;  // Hz/s
        applyLabCommand(*stage, {Kind::Ramp, int(Slope / LabSettings::SlopeUnit)});
        applyLabCommand(*stage, {Kind::Setpoint, 1200});
        runFor(*stage, 1.2);
        const double phasePerHertz = pllmodel::operatingPoint(1101).phaseError - pllmodel::operatingPoint(1100).phaseError;
        const double expected = Slope * phasePerHertz / (2 * std::numbers::pi * pllmodel::Radar.sensorSteps);
        const std::optional<double> lag = stage->lab.response().rampLag();
        QVERIFY(lag);
        QVERIFY2(std::abs(*lag - expected) < 0.05 * expected, qPrintable(QStringLiteral("%1 for %2").arg(*lag).arg(expected)));
    }

    // The line that says which regulator runs; the course's values bring back the corrector too.
    void namesTheRegulatorRunning_data()
    {
        QTest::addColumn<QList<LabCommand>>("commands");
        QTest::addColumn<QString>("line");
        QTest::addRow("the course's") << QList<LabCommand>{} << "Régulateur : celui du cours";
        QTest::addRow("without corrector") << QList<LabCommand>{{Kind::Gain, 200}, {Kind::Corrector, 0}}
            << "Régulateur : sans correcteur (gain 1)";
        QTest::addRow("tuned") << QList<LabCommand>{{Kind::Lead, 300}, {Kind::Gain, 120}}
            << "Régulateur : avance 0,03, retard 0,0025, filtre 0,0008 s, gain 1,2";
        QTest::addRow("tuned, its longest") << QList<LabCommand>{{Kind::Lead, 1234}, {Kind::Lag, 5678}, {Kind::Filter, 9876},
                                                                 {Kind::Gain, 255}}
            << "Régulateur : avance 0,1234, retard 0,5678, filtre 0,9876 s, gain 2,55";
        QTest::addRow("the course's values again")
            << QList<LabCommand>{{Kind::Gain, 200}, {Kind::Corrector, 0}, {Kind::CourseValues}}
            << "Régulateur : celui du cours";
    }
    void namesTheRegulatorRunning()
    {
        QFETCH(QList<LabCommand>, commands);
        QFETCH(QString, line);
        auto stage = openLab();
        for (const LabCommand &c : commands)
            applyLabCommand(*stage, c);
        QCOMPARE(labReadouts(stage->lab).regulator, line);
        QVERIFY(noTextCoversAnother(*stage));
        if (line == QStringLiteral("Régulateur : celui du cours")) {
            QCOMPARE(stage->lab.settings(), LabSettings{});
            QVERIFY(stage->lab.loop().loopParameters().phaseAdvance);
        }
    }

    // Each run lets go for its own reason, which the line under the status gives.
    void saysWhyItLetsGo_data()
    {
        QTest::addColumn<LabRun>("run");
        QTest::addColumn<double>("at");
        QTest::addColumn<QStringList>("why");
        const LabSettings course;
        LabSettings at2500 = course, lowGain = course, at40 = course;
        at2500.setpoint = 2500;
        lowGain.gain = 80;
        at40.setpoint = 40, at40.load = 2;
        const LabChange steep{.setpoint = 1200, .ramp = LabSettings::MaxSlope};
        QTest::addRow("pulling in") << LabRun{LabStart::Rest, course, {}} << 0.5
            << QStringList{"La vitesse va vers f/100 = 10 tr/s :", "la boucle n'a pas encore accroché."};
        QTest::addRow("beyond the hold range") << LabRun{LabStart::Rest, at2500, {}} << 0.5
            << QStringList{"Consigne hors de la plage de maintien :", "il faut 6,28 V au comparateur, il a 5 V."};
        QTest::addRow("a harmonic lock") << LabRun{LabStart::Rest, at2500, {}} << 3.0
            << QStringList{"Faux accrochage : le capteur bat à 1/3", "de la consigne (833 Hz pour 2500 Hz)."};
        QTest::addRow("a step lost") << LabRun{LabStart::Locked, course, {{1, {.setpoint = 1200}}}} << 3.0
            << QStringList{"Échelon trop grand : les cycles glissent", "sans fin. Essayez une rampe."};
        QTest::addRow("a ramp too steep") << LabRun{LabStart::Locked, course, {{1, steep}}} << 3.0
            << QStringList{"Rampe trop raide : les cycles glissent", "sans fin. Essayez une pente plus faible."};
        QTest::addRow("a gain too low") << LabRun{LabStart::Rest, lowGain, {}} << 4.0
            << QStringList{"Gain trop faible pour accrocher : le", "moteur plafonne à 7,89 tr/s pour 10."};
        QTest::addRow("a runaway") << LabRun{LabStart::Rest, at40, {}} << 3.0
            << QStringList{"Le moteur s'emballe à 9,17 tr/s pour 0,4 :", "en glissant, le comparateur donne 2,5 V."};
        QTest::addRow("locked, nothing to say") << LabRun{LabStart::Rest, course, {}} << 3.0 << QStringList{};
    }
    void saysWhyItLetsGo()
    {
        QFETCH(LabRun, run);
        QFETCH(double, at);
        QFETCH(QStringList, why);
        auto stage = openLab();
        stage->lab.open({{}, {}, run, {}});
        runFor(*stage, at);
        QCOMPARE(labReadouts(stage->lab).why, why);
        // Drawn under the lock's line, the lines close up: no text covers another.
        QVERIFY(noTextCoversAnother(*stage));
        for (const DrawnText &text : textsOf(*stage))
            if (why.contains(text.text))
                QVERIFY2(text.cell.right() < StatusColumnEnd, qPrintable(text.text));
        PageReader reader;
        stage->canvas.setTextListener(&reader);
        drawLabPage(*stage);
        const QString read = reader.read(stage->canvas.image());
        for (const QString &line : why)
            QVERIFY2(read.contains(line), qPrintable(read));
    }
};

QTEST_MAIN(TestLabMeasures)
#include "tst_lab_measures.moc"

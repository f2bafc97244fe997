// The lab's measures as a table: the real `pll --simulate` from a terminal with no display, the
// same rows as the window's lab run played again, the table's form, the last hour of a long run,
// the options refused, and the file written aside or not at all.
#include <QtTest>
#ifndef Q_MOC_RUN
#include "app/measures_file.h"
#include "app/tpll.h"
#include "lab/experiment_file.h"
#include "lab/lab.h"
#include "measures/measures_csv.h"
#include "window_fixture.h"

Q_DECLARE_METATYPE(LabSettings)
#endif

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>

namespace {
struct Run
{
    int status = -1;
    QByteArray out, err;
};

// The real program, as from a terminal of a machine without a graphical session.
Run pll(const QStringList &arguments, const QString &output = {})
{
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PLL_PROGRAM), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray table(const LabRun &run, double end, double every)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (MeasuresCsv::write(run, end, every, buffer).outcome != MeasuresCsv::Outcome::Written)
        return {};
    return buffer.data();
}

QList<QByteArray> lines(const QByteArray &text)
{
    QList<QByteArray> all = text.split('\n');
    if (!all.isEmpty() && all.last().isEmpty())
        all.removeLast();
    return all;
}

double field(const QByteArray &line, int column)
{
    return line.split(';').value(column).replace(',', '.').toDouble();
}

QString exact(double value) { return QString::number(value, 'g', 17); }
}

class TestMeasures : public QObject
{
    Q_OBJECT

private slots:
    // The window's lab, run by ticks with a setpoint step and a load step, then its run played
    // again: the same table as `pll --simulate` with the same actions, and the last row as the
    // live lab shows its end.
    void windowAndCommandLineAgree()
    {
        Lab lab;
        const auto runTo = [&](double t) {
            while (lab.loop().time() < t - 1e-9)
                lab.advance();
        };
        runTo(1.5);
        lab.act({.setpoint = 1100});
        const double stepAt = lab.loop().time();
        runTo(2.2);
        lab.act({.load = 5});
        const double loadAt = lab.loop().time();
        runTo(3);
        const double end = lab.loop().time();
        const QByteArray fromWindow = table(lab.experiment().run, end, 1e-3);

        const Run run = pll({"--simulate", "--duration", exact(end), "--change", exact(stepAt) + ":1100",
                             "--load-change", exact(loadAt) + ":0,5"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out.size(), fromWindow.size());
        QVERIFY(run.out == fromWindow);

        const QByteArray last = lines(fromWindow).last();
        QCOMPARE(field(last, 0), 3.0);
        QCOMPARE(field(last, 1), 1100.0);
        QVERIFY(qAbs(field(last, 2) - lab.loop().speed()) <= 1e-4);
        QVERIFY(qAbs(field(last, 3) - lab.foldedPhaseError()) <= 1e-4);
        QVERIFY(qAbs(field(last, 4) - lab.comparatorMean()) <= 1e-4);
        QVERIFY(qAbs(field(last, 5) - lab.commandMean()) <= 1e-3);
        QCOMPARE(field(last, 6), 0.5);
        QCOMPARE(field(last, 7), double(lab.loop().cycleSlips()));
    }

    // An experiment file, the same run given as options, and the window's export of the file
    // played to its end: the same table, byte for byte. Options beside the file override its
    // start and add their actions; a file that cannot be read is refused in one line.
    void fileOptionsAndWindowAgree()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("essai.pll"));
        Experiment e{"Essai", {}, {LabStart::Locked, {}, {{0.7, {.setpoint = 1200}}, {1.3, {.load = 5}}}}, 2.0};
        e.run.settings.setpoint = 1100;
        e.run.settings.ramp = 1570;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ExperimentFile::write(e)) > 0);
        file.close();

        const Run fromFile = pll({"--simulate", "--experiment", path});
        const Run fromOptions = pll({"--simulate", "--start", "locked", "--setpoint", "1100", "--ramp", "157",
                                     "--change", "0,7:1200", "--load-change", "1,3:0,5", "--duration", "2"});
        QCOMPARE(fromFile.status, 0);
        QCOMPARE(fromFile.err, QByteArray());
        QCOMPARE(lines(fromFile.out).size(), 1 + 2001);
        QVERIFY(fromFile.out == fromOptions.out);
        Lab lab;
        lab.open(e);
        while (!lab.atEnd())
            lab.advance();
        QVERIFY(table(lab.experiment().run, lab.loop().time(), 1e-3) == fromFile.out);

        const Run overridden = pll({"--simulate", "--experiment", path, "--setpoint", "1000", "--start", "rest",
                                    "--load-change", "0,2:1", "--duration", "1"});
        const Run same = pll({"--simulate", "--setpoint", "1000", "--ramp", "157", "--change", "0,7:1200",
                              "--load-change", "0,2:1", "--duration", "1"});
        QCOMPARE(overridden.status, 0);
        QVERIFY(overridden.out == same.out);

        const Run missing = pll({"--simulate", "--experiment", dir.filePath(QStringLiteral("absente.pll"))});
        QCOMPARE(missing.status, 2);
        QCOMPARE(missing.out, QByteArray());
        QVERIFY2(missing.err.startsWith("pll : L'expérience « ") && missing.err.endsWith(" » ne peut pas être ouverte : "
                                                                                          "le fichier n'existe pas.\n"),
                 missing.err.constData());
    }

    // Each course experiment the program ships runs from the command line to its end.
    void shippedExperimentsRun()
    {
        const QDir shipped(QStringLiteral(EXPERIMENTS_DIR));
        const QStringList files = shipped.entryList({QStringLiteral("*.pll")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files) {
            const auto read = ExperimentFile::read(shipped.filePath(name));
            QVERIFY2(std::holds_alternative<Experiment>(read), qPrintable(name));
            const double until = *std::get<Experiment>(read).until;
            const Run run = pll({"--simulate", "--experiment", shipped.filePath(name), "--every", "0,1"});
            QCOMPARE(run.status, 0);
            QCOMPARE(run.err, QByteArray());
            const QList<QByteArray> rows = lines(run.out);
            QCOMPARE(rows.size(), 1 + qRound(until / 0.1) + 1);
            QCOMPARE(field(rows.last(), 0), until);
        }
    }

    // Header, decimal commas, one row per step of time and no more, UTF-8 and "\n".
    void tableForm_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QByteArray>("lastTime");
        QTest::addRow("3 s at 1 ms, the defaults") << QStringList{"--duration", "3"} << 3001 << QByteArray("3,000");
        QTest::addRow("0,5 ms, a comma") << QStringList{"--duration", "0,01", "--every", "0,0005"} << 21 << QByteArray("0,0100");
        // The run's end always has its row, after the last whole step.
        QTest::addRow("not a whole number of steps") << QStringList{"--duration", "1,1", "--every", "0.25"} << 6 << QByteArray("1,100");
        QTest::addRow("a step longer than the run") << QStringList{"--duration", "0,5", "--every", "2"} << 2 << QByteArray("0,500");
        QTest::addRow("the end between two steps") << QStringList{"--duration", "1", "--every", "0,3"} << 5 << QByteArray("1,000");
        QTest::addRow("an end finer than the step") << QStringList{"--duration", "0,0125", "--every", "0,005"} << 4 << QByteArray("0,0125");
    }
    void tableForm()
    {
        QFETCH(QStringList, options);
        QFETCH(int, rows);
        QFETCH(QByteArray, lastTime);
        const Run run = pll(QStringList{"--simulate"} + options);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        QVERIFY(!run.out.contains('\r'));
        QCOMPARE(QString::fromUtf8(run.out).toUtf8(), run.out);
        const QList<QByteArray> all = lines(run.out);
        QCOMPARE(all.first(), QByteArray(MeasuresCsv::Header));
        QCOMPARE(all.size(), rows + 1);
        const QRegularExpression number(QStringLiteral("^-?[0-9]+(,[0-9]+)?$"));
        for (qsizetype i = 1; i < all.size(); ++i) {
            const QList<QByteArray> fields = all[i].split(';');
            QCOMPARE(fields.size(), 8);
            for (const QByteArray &f : fields)
                QVERIFY2(number.match(QString::fromLatin1(f)).hasMatch(), all[i].constData());
        }
        QCOMPARE(all.last().split(';').first(), lastTime);
    }

    // Past an hour only the last hour is written, said beside the table (on standard error from
    // the command line), never in it; actions before it still count. (At 0 Hz until the last
    // minute, the hour runs in about a second.)
    void longRunKeepsTheLastHour()
    {
        LabRun run;
        run.settings.setpoint = 0;
        run.actions = {{50, {.load = 2}}, {3650, {.setpoint = 1000}}};
        const QList<QByteArray> all = lines(table(run, 3700, 10));
        QCOMPARE(all.value(0), QByteArray(MeasuresCsv::Header));
        QCOMPARE(all.size(), 1 + 361);
        QCOMPARE(all[1].split(';').value(0), QByteArray("100,000"));
        QCOMPARE(field(all[1], 1), 0.0);
        QCOMPARE(field(all[1], 6), 0.2);
        QCOMPARE(field(all.last(), 1), 1000.0);
        // Locked at 1000 Hz by the end: 10 turns a second at 100 steps a turn.
        QCOMPARE(all.last().split(';').value(2), QByteArray("10,0000"));

        const Run cli = pll({"--simulate", "--setpoint", "0", "--duration", "3700", "--every", "10"});
        QCOMPARE(cli.status, 0);
        QCOMPARE(QString::fromUtf8(cli.err),
                 QStringLiteral("pll : Dernière heure seulement : de 100,000 s à 3700,000 s sur 3700,000 s de marche\n"));
        QVERIFY(cli.out.startsWith(QByteArray(MeasuresCsv::Header) + '\n'));
    }

    // Runs at the controls' far ends write a number in every cell: never "nan", "inf" or nothing.
    void extremeRunsWriteNumbers_data()
    {
        QTest::addColumn<LabSettings>("settings");
        QTest::addColumn<bool>("locked");
        LabSettings fastLoaded;
        fastLoaded.setpoint = 3000, fastLoaded.corrector = false, fastLoaded.load = 20;
        QTest::addRow("3000 Hz, no corrector, 2 V") << fastLoaded << false;
        LabSettings still;
        still.setpoint = 0;
        QTest::addRow("0 Hz, locked") << still << true;
        LabSettings slowRegulator;
        slowRegulator.lead = 10000, slowRegulator.lag = 1, slowRegulator.filter = 1, slowRegulator.gain = 1000;
        QTest::addRow("lead 1 s, lags 0,0001 s, gain 10") << slowRegulator << false;
        LabSettings quick;
        quick.setpoint = 3000, quick.lead = 1, quick.lag = 10000, quick.filter = 10000, quick.gain = 10;
        QTest::addRow("3000 Hz locked, lead 0,0001 s, lags 1 s, gain 0,1") << quick << true;
    }
    void extremeRunsWriteNumbers()
    {
        QFETCH(LabSettings, settings);
        QFETCH(bool, locked);
        const LabRun run{locked ? LabStart::Locked : LabStart::Rest, settings,
                         {{0.5, {.setpoint = 0}}, {1, {.setpoint = 3000}}, {1.5, {.load = 20}}}};
        const QList<QByteArray> all = lines(table(run, 2, 1e-3));
        QCOMPARE(all.size(), 1 + 2001);
        for (qsizetype i = 1; i < all.size(); ++i) {
            const QByteArray lower = all[i].toLower();
            QVERIFY2(!lower.contains("nan") && !lower.contains("inf") && !lower.contains(";;") && !lower.endsWith(';'),
                     all[i].constData());
        }
    }

    // Refused before anything runs: status 2, one line naming the option, nothing on output.
    void badOptionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("named");
        QTest::addRow("unknown option") << QStringList{"--speed", "3"} << "« --speed »";
        QTest::addRow("not a number") << QStringList{"--tau1", "abc"} << "--tau1 : « abc »";
        QTest::addRow("not finite") << QStringList{"--gain", "inf"} << "--gain";
        QTest::addRow("above the controls") << QStringList{"--setpoint", "3010"} << "--setpoint";
        QTest::addRow("between the controls' steps") << QStringList{"--load", "0,25"} << "--load";
        QTest::addRow("time constant too short") << QStringList{"--tau3", "0,00005"} << "--tau3";
        QTest::addRow("no duration") << QStringList{"--duration", "0"} << "--duration";
        QTest::addRow("too many rows") << QStringList{"--duration", "7200", "--every", "0,0005"} << "--every";
        // The least time quoted is more than the one refused, and enough.
        QTest::addRow("too many rows, by a hair") << QStringList{"--duration", "360,0001", "--every", "0,0001"}
                                                 << "un temps d'au moins 0,000101 s est attendu";
        QTest::addRow("slope between steps") << QStringList{"--ramp", "1,25"} << "--ramp";
        QTest::addRow("start neither way") << QStringList{"--start", "moving"} << "--start";
        QTest::addRow("change without a colon") << QStringList{"--change", "1100"} << "--change";
        QTest::addRow("change at a negative time") << QStringList{"--load-change", "-1:0,5"} << "--load-change";
        QTest::addRow("value missing") << QStringList{"--setpoint", "1000", "--gain"} << "--gain";
        QTest::addRow("given twice") << QStringList{"--setpoint", "1000", "--setpoint", "1100"} << "--setpoint";
    }
    void badOptionsAreRefused()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, named);
        const Run run = pll(QStringList{"--simulate"} + options);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("pll : ") && run.err.endsWith('\n') && run.err.count('\n') == 1, run.err.constData());
        QVERIFY2(QString::fromUtf8(run.err).contains(named), run.err.constData());
    }

    // A full disk under standard output is said, not taken for success.
    void unwritableOutputFails()
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        const Run run = pll({"--simulate"}, QStringLiteral("/dev/full"));
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("pll : les mesures n'ont pas pu être écrites sur la sortie standard\n"));
    }

    // The window's file: written whole and named .csv, or not at all with the reason in French.
    void exportFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("reason");
        QTest::addRow("written, .csv added") << "mesures" << "mesures.csv" << "";
        QTest::addRow("a folder that does not exist") << "absent/mesures.csv" << "" << "le dossier « %1 » n'existe pas.";
        QTest::addRow("a folder's name") << "dossier.csv" << "" << "c'est le nom d'un dossier.";
    }
    void exportFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dossier.csv")));
        const QString path = MeasuresFile::withSuffix(dir.filePath(name));
        const QString error = MeasuresFile::save(path, LabRun{}, 0.1);
        if (reason.isEmpty()) {
            QCOMPARE(error, QString());
        } else {
            QVERIFY2(error.startsWith(QStringLiteral("Les mesures n'ont pas été enregistrées dans « %1 » : ").arg(path)), qPrintable(error));
            const QString why = reason.contains(QLatin1String("%1")) ? reason.arg(QFileInfo(path).absolutePath()) : reason;
            QVERIFY2(error.endsWith(why), qPrintable(error));
        }
        QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(left, written.isEmpty() ? QStringList() : QStringList{written});
        if (!written.isEmpty()) {
            QFile file(dir.filePath(written));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(lines(file.readAll()).size(), 1 + 101);
        }
    }

    // Ctrl+E works on the lab's page only.
    void exportOnTheLabOnly()
    {
        const std::unique_ptr<TPLL> w = openWindow();
        PLL = w.get();
        QVERIFY(!w->isEnabled(Keys::Action::ExportMeasures));
        User::choose(*w, 4);
        User::click(*w, QStringLiteral("Button1"));
        // The lab's page, and its controls, show from its first tick.
        w->Timer1Timer();
        QVERIFY(w->isEnabled(Keys::Action::ExportMeasures));
        User::choose(*w, 0);
        QVERIFY(!w->isEnabled(Keys::Action::ExportMeasures));
        PLL = nullptr;
    }
};

QTEST_MAIN(TestMeasures)
#include "tst_measures.moc"

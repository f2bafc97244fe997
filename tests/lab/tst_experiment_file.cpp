// Experiment files on the lab's engine alone, no window: the documented example read as it
// reads, a run saved, opened and played again to the same numbers, and every kind of bad file
// refused with a sentence that says what is wrong.
#include <QtTest>
// moc cannot read the standard library's <numbers>, which the model's headers use.
#include <QTemporaryDir>

#ifndef Q_MOC_RUN
#include "lab/experiment_file.h"
#include "lab/lab.h"

namespace {
// What a reader of the lab sees, to the last bit.
struct Readouts
{
    double time, speed, phase, comparator, command;
    long long slips;
    LabSettings settings;
    bool operator==(const Readouts &) const = default;
};
Readouts readouts(const Lab &lab)
{
    const pllmodel::LoopSimulation &loop = lab.loop();
    return {loop.time(), loop.speed(), lab.foldedPhaseError(), lab.comparatorMean(), lab.commandMean(),
            loop.cycleSlips(), lab.settings()};
}

// Plays an opened experiment tick by tick at `tickMs` to its end.
Lab playedToItsEnd(const Experiment &experiment, int tickMs)
{
    Lab lab;
    lab.setPace({tickMs, 0});
    lab.open(experiment);
    while (!lab.atEnd())
        lab.advance();
    return lab;
}

// What is wrong with a reading, or "(read)".
std::string refusalOf(const std::variant<Experiment, std::string> &read)
{
    const auto *why = std::get_if<std::string>(&read);
    return why ? *why : std::string("(read)");
}
std::string refusal(const QByteArray &bytes)
{
    return refusalOf(ExperimentFile::parse(bytes));
}

QByteArray file(const QByteArray &body)
{
    return QByteArray(R"({"format": "pll-experience", "version": 1)") + body + '}';
}

struct BadFile
{
    const char *name;
    QByteArray bytes;
    const char *says;
};

// Every kind of bad file, and what its refusal says.
std::vector<BadFile> badFiles()
{
    QByteArray many = R"({"format": "pll-experience", "version": 1, "actions": [)";
    for (int i = 0; i <= int(ExperimentFile::MaxActions); ++i)
        many += i ? ",{\"at\":1}" : "{\"at\":1}";
    many += "]}";
    return {
        {"empty", "  \n", "le fichier est vide"},
        {"not UTF-8", file(", \"title\": \"caf\xE9\""), "n'est pas en UTF-8 (ligne 1, colonne 57)"},
        {"not JSON", "{\"format\": \"pll-experience\",\n \"version\" 1}",
         "ce n'est pas du JSON (ligne 2, colonne 1"},
        {"not an object", "[1, 2]", "le JSON n'est pas un objet"},
        {"no format", R"({"version": 1})", "la clé « format » manque"},
        {"another format", R"({"format": "svg", "version": 1})", "« format » ne vaut pas « pll-experience »"},
        {"a later version", R"({"format": "pll-experience", "version": 2})",
         "elle vient d'une version plus récente du programme (format version 2"},
        {"no version", R"({"format": "pll-experience"})", "la clé « version » manque"},
        {"an unknown key", file(R"(, "consigne": 1000)"), "clé inconnue « consigne »"},
        {"an unknown key with a line break", file(R"(, "a\nb": 1)"), "clé inconnue « a\\nb »"},
        {"an unknown key in an action", file(R"(, "actions": [{"at": 1}, {"at": 2, "speed": 3}])"),
         "action n° 2 : clé inconnue « speed »"},
        {"a string for a number", file(R"(, "setpoint": "1000")"), "« setpoint » doit être un nombre"},
        {"out of range", file(R"(, "setpoint": 3500)"), "« setpoint » vaut 3500 : une fréquence de 0 à 3000 Hz, par pas de 10 Hz"},
        {"between the steps", file(R"(, "tau1": 0.02505)"), "« tau1 » vaut 0,02505 : une durée de 0,0001 à 1 s"},
        {"not a number", file(R"(, "gain": 1e999)"), "ce n'est pas du JSON"},
        {"a corrector not true or false", file(R"(, "corrector": 1)"), "« corrector » doit valoir true ou false"},
        {"a start neither way", file(R"(, "start": "moving")"), "« start » doit valoir « rest » ou « locked »"},
        {"actions out of order", file(R"(, "actions": [{"at": 2, "load": 1}, {"at": 1.5, "load": 0}])"),
         "action n° 2 : « at » vaut 1,5, avant l'action précédente (2)"},
        {"a negative instant", file(R"(, "actions": [{"at": -1, "load": 1}])"), "action n° 1 : « at » vaut -1 : un instant de 0 à 1000000 s"},
        {"an action without its instant", file(R"(, "actions": [{"load": 1}])"), "action n° 1 : la clé « at » manque"},
        {"a title too long", file(", \"title\": \"" + QByteArray(201, 'e') + '"'), "« title » dépasse 200 caractères (201)"},
        {"too many actions", many, "plus de 100000 actions (100001)"},
        {"too large", file(", \"text\": \"" + QByteArray(ExperimentFile::MaxBytes, ' ') + '"'), "il dépasse 10 Mo"},
    };
}
}
#endif

class TestExperimentFile : public QObject
{
    Q_OBJECT

private slots:
    // The documentation's example, key by key.
    void theDocumentedExampleReads()
    {
        const auto read = ExperimentFile::read(QStringLiteral(EXAMPLE_FILE));
        QVERIFY2(std::holds_alternative<Experiment>(read), refusalOf(read).c_str());
        const Experiment &e = std::get<Experiment>(read);
        QCOMPARE(e.title, std::string("Un échelon que la boucle ne rattrape pas"));
        QCOMPARE(e.run.start, LabStart::Locked);
        QCOMPARE(e.run.settings, LabSettings{});
        const std::vector<LabAction> actions{
            {1.0, {.setpoint = 1200}}, {2.5, {.load = 10}}, {3.0, {.setpoint = 1500, .ramp = 1570}},
            {4.0, {.corrector = false}}, {5.0, {.lead = 300, .gain = 120}}, {6.0, {.restart = LabStart::Rest}}};
        QVERIFY(e.run.actions == actions);
        QCOMPARE(e.until, std::optional<double>(7.5));
    }

    // A run the student made, saved and opened again, played at another pace to where it was
    // saved: the same numbers, to the last bit. The file reads back to the same value.
    void aSavedRunPlaysAgainTheSame()
    {
        Lab lab;
        lab.open({"Essai « guillemets » \"doubles\"", "Ligne 1\nΔφ, Ω1\t½", {LabStart::Locked, {}, {}}, {}});
        const auto runTo = [&](double t) {
            while (lab.loop().time() < t - 1e-9)
                lab.advance();
        };
        runTo(0.4);
        lab.act({.setpoint = 1200});                 // slips for good
        runTo(0.9);
        lab.act({.lead = 300, .gain = 120});
        runTo(1.3);
        lab.act({.ramp = 1570});
        lab.act({.setpoint = 800, .load = 5});
        runTo(1.8);
        lab.act({.restart = LabStart::Rest});
        runTo(2.1);
        lab.act({.corrector = false});
        lab.act({.ramp = 0});
        runTo(2.5);
        const Experiment saved = lab.experiment();
        QCOMPARE(saved.run.actions.size(), std::size_t(7));

        const auto read = ExperimentFile::parse(ExperimentFile::write(saved));
        QVERIFY2(std::holds_alternative<Experiment>(read), refusalOf(read).c_str());
        QVERIFY(std::get<Experiment>(read) == saved);
        for (int tickMs : {20, 1, 7}) {
            const Lab again = playedToItsEnd(std::get<Experiment>(read), tickMs);
            QVERIFY2(readouts(again) == readouts(lab), qPrintable(QStringLiteral("at %1 ms a tick").arg(tickMs)));
        }
    }

    // Played to its end, the lab waits there a tick showing what was saved, the action made at
    // that very instant included, then goes on; an end at the start waits too.
    void theEndShowsWhatWasSaved()
    {
        Experiment e;
        e.run.actions = {{0.5, {.setpoint = 1200}}};
        for (double until : {0.5, 0.0}) {
            e.until = until;
            Lab lab;
            lab.open(e);
            while (!lab.atEnd())
                lab.advance();
            QCOMPARE(lab.loop().time(), until);
            QCOMPARE(lab.settings().setpoint, until > 0 ? 1200 : 1000);
            lab.advance();
            QVERIFY(lab.loop().time() > until);
        }
    }

    // The student acts while an experiment plays: the file's actions still come at their
    // instants, the student's join them, and going back keeps the file's.
    void theStudentActsWhileAnExperimentPlays()
    {
        Experiment e;
        e.run.actions = {{0.3, {.setpoint = 1100}}, {0.6, {.load = 5}}};
        Lab lab;
        lab.open(e);
        while (lab.loop().time() < 0.4)
            lab.advance();
        const Lab before = lab;
        lab.act({.gain = 150});
        while (lab.loop().time() < 0.7)
            lab.advance();
        QCOMPARE(lab.settings().load, 5);
        QCOMPARE(lab.settings().gain, 150);
        const std::vector<LabAction> &actions = lab.experiment().run.actions;
        QCOMPARE(actions.size(), std::size_t(3));
        QCOMPARE(actions[1].change, (LabChange{.gain = 150}));

        Lab back = before;
        back.takeActionsAhead(lab);
        back.act({.gain = 50});  // another history: the student's later actions go, the file's stay
        while (back.loop().time() < 0.7)
            back.advance();
        QCOMPARE(back.settings().gain, 50);
        QCOMPARE(back.settings().load, 5);
        QCOMPARE(back.experiment().run.actions.size(), std::size_t(3));
    }

    void badFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        for (const BadFile &bad : badFiles())
            QTest::newRow(bad.name) << bad.bytes << QString::fromUtf8(bad.says);
    }
    // Each refused with its sentence, nothing read.
    void badFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const std::string why = refusal(bytes);
        QVERIFY2(why.find(says.toStdString()) != std::string::npos, why.c_str());
    }

    // A file that cannot be read is named in the sentence, with the reason.
    void unreadableFilesAreNamed()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("absente.pll"));
        const auto read = ExperimentFile::read(missing);
        QCOMPARE(std::get<std::string>(read),
                 "L'expérience « " + missing.toStdString() + " » ne peut pas être ouverte : le fichier n'existe pas.");
        const std::string folder = std::get<std::string>(ExperimentFile::read(dir.path()));
        QVERIFY2(folder.find(dir.path().toStdString() + " » ne peut pas être ouverte : c'est un dossier.") != std::string::npos,
                 folder.c_str());
    }
};

QTEST_GUILESS_MAIN(TestExperimentFile)
#include "tst_experiment_file.moc"

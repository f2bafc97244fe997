// The help F1 opens: the glossary's figures against the loop's model, the course's words each
// defined on a line, and the lab's guide naming every control the lab shows.
#include "app/application.h"
#include "app/glossary.h"
#include "model/frequency_response.h"
#include "model/operating_point.h"
#include "pages/page_state.h"
#include "pages/topics.h"
#include "text/french_number.h"
#include "window_fixture.h"
#include "window_user.h"

#include <QTextBrowser>
#include <QtTest>
#include <memory>

namespace {
using namespace pllmodel;

QString meaningOf(const QString &term)
{
    for (const Help::Word &word : Help::Glossary)
        if (QString::fromUtf8(word.term) == term)
            return QString::fromUtf8(word.meaning);
    return {};
}

QString decimal(double value, int places) { return frenchDecimal(value, places); }
}

class TestHelp : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    // The help as a student reads it, F1 pressed.
    QString helpText()
    {
        QTest::keyClick(w.get(), Qt::Key_F1);
        const auto *help = w->findChild<QDialog *>(QStringLiteral("HelpWindow"));
        return help ? help->findChild<QTextBrowser *>()->toPlainText() : QString();
    }

private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        pointAtNoPrintService();
    }
    void init()
    {
        w = openWindow();
        PLL = w.get();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); PLL = nullptr; }

    void glossaryFiguresAreTheModels_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("figure");
        const OperatingPoint at1kHz = operatingPoint(1000);
        const OpenLoop course(true), bare(false);
        QTest::addRow("Gcp") << "Gcp" << decimal(Radar.comparatorGain(), 2) + " V/rad";
        QTest::addRow("Δφ at 1 kHz") << "Δφ" << decimal(at1kHz.phaseError, 2) + " rad";
        QTest::addRow("U0 at 1 kHz") << "U0" << decimal(at1kHz.comparatorMean, 2) + " V";
        QTest::addRow("lead corner") << "Régulateur (correcteur) à avance de phase" << "1/τ1 = " + decimal(1 / Radar.regulatorLead, 0) + " rad/s";
        QTest::addRow("lag corner") << "Régulateur (correcteur) à avance de phase" << "1/τ2 = " + decimal(1 / Radar.regulatorLag, 0) + " rad/s";
        QTest::addRow("τ3") << "τ1, τ2, τ3" << "τ3 = " + decimal(Radar.regulatorFilter, 4);
        QTest::addRow("motor") << "Ω1" << "constante de temps " + decimal(Radar.motorTimeConstant, 1) + " s";
        QTest::addRow("f/100") << "f/100" << "1000 Hz demandent " + decimal(at1kHz.speed, 0) + " tr/s";
        QTest::addRow("Kv") << "Kv" << decimal(velocityGain(), 0) + " s⁻¹";
        QTest::addRow("trailing error") << "Erreur de traînage" << "= " + decimal(at1kHz.phaseError, 2) + " rad à 1 kHz";
        QTest::addRow("hold range's top") << "Plage de maintien" << decimal(lockRange().highest, 0) + " Hz au plus";
        QTest::addRow("hold range's speed") << "Plage de maintien" << decimal(lockRange().highest / Radar.sensorSteps, 1) + " tr/s";
        QTest::addRow("margin without corrector") << "Marge de phase" << "(" + decimal(bare.phaseMarginDegrees(), 1) + "°)";
        QTest::addRow("margin with the course's")
            << "Marge de phase" << decimal(course.phaseMarginDegrees(), 1) + "° à " + decimal(course.gainCrossover(), 0) + " rad/s";
        QTest::addRow("gain margin") << "Marge de gain"
                                     << decimal(course.gainMarginDb(), 1) + " dB à " + decimal(course.phaseCrossover().value_or(0), 0) + " rad/s";
    }
    void glossaryFiguresAreTheModels()
    {
        QFETCH(QString, term);
        QFETCH(QString, figure);
        const QString meaning = meaningOf(term);
        QVERIFY2(meaning.contains(figure), qPrintable(term + " does not say " + figure + ": " + meaning));
    }

    // The words a student meets on the pages and in the lab, each heading a line of the glossary,
    // its meaning beside it.
    void courseWordsAreDefined_data()
    {
        QTest::addColumn<QString>("word");
        for (const char *word : {"Gcp", "U0", "U1", "f/100", "Glissement de cycle", "Couple résistant (V)",
                                 "Plage utile du comparateur", "Marge de phase", "Plage de capture", "Plage de maintien",
                                 "Verrouillage", "Δφ", "Ω1", "τ1, τ2, τ3", "Kv"})
            QTest::addRow("%s", word) << QString::fromUtf8(word);
    }
    void courseWordsAreDefined()
    {
        QFETCH(QString, word);
        const QStringList lines = helpText().split(QLatin1Char('\n'));
        QCOMPARE(lines.count(word), 1);
        const qsizetype at = lines.indexOf(word);
        QVERIFY2(at + 1 < lines.size() && lines[at + 1].size() > word.size(), "no meaning beside it");
    }

    // Every control the lab shows, on either tab, is named in the help as the lab names it.
    void labGuideNamesEveryControl()
    {
        User::choose(*w, LabTopic);
        User::click(*w, QStringLiteral("Button1"));
        w->Timer1Timer();
        const QString help = helpText();
        QApplication::setActiveWindow(w.get());
        QAccessibleInterface *tabs = User::accessible(*w, QStringLiteral("LabTabs"));
        QStringList names;
        for (int t = 0; t < tabs->childCount(); ++t) {
            if (tabs->child(t)->role() != QAccessible::PageTab)
                continue;
            const QString tab = tabs->child(t)->text(QAccessible::Name);
            QVERIFY2(help.split(QLatin1Char('\n')).contains(tab), qPrintable(tab));
            User::clickPart(*w, QStringLiteral("LabTabs"), tab);
            for (const QString &name : w->tabOrder()) {
                const ControlState control = *w->control(name);
                if (!name.startsWith(QLatin1String("Lab")) || name == QLatin1String("LabTabs") || !control.shown)
                    continue;
                // A slider is named after the box it goes with ("Consigne (Hz), curseur").
                const QString named = (control.accessibleName.isEmpty() ? control.text : control.accessibleName).section(QStringLiteral(", "), 0, 0);
                if (!help.contains(named))
                    names << named;
            }
        }
        QVERIFY2(names.isEmpty(), qPrintable("not in the help: " + names.join(QStringLiteral(" | "))));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"

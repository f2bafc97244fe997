// "Mesurer les plages" in the real window: the measure runs off the window's thread to the
// engine's ranges, said on the "Plages" chart, out of date once the regulator changes; cancelled,
// it gives nothing and the ranges measured before stay; a window closed while it runs closes.
#include <QtTest>
#ifndef Q_MOC_RUN
#include "pages/lab/lab_command.h"
#include "pages/page_state.h"
#include "window_fixture.h"
#endif

#include <QElapsedTimer>

namespace {
using Kind = LabCommand::Kind;
// A whole measure takes seconds on one core; a slow machine under load, many more.
constexpr int MeasureTimeoutMs = 120000;
// A cancelled measure stops within moments; so does a window closed during one.
constexpr qint64 PromptMs = 1000;

// What a screen reader reads of the drawing area.
QString pageText(TPLL &w)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return User::accessible(w, QStringLiteral("FOND"))->text(QAccessible::Description);
}

bool shown(TPLL &w, const char *name) { return w.control(QLatin1String(name))->shown; }

// The lab started, its frequency view shown.
void openLab(TPLL &w)
{
    User::choose(w, 4);
    User::click(w, QStringLiteral("Button1"));
    w.Timer1Timer();
    w.labAction({Kind::FrequencyView, 1});
}

// Ranges measured earlier, for other settings.
LockRanges earlier()
{
    LabSettings other;
    other.gain = 50;
    std::vector<bool> pullsIn(LabSettings::MaxSetpoint / LabSettings::SetpointStep + 1);
    pullsIn[30] = true;
    return {LockRangesKey::of(other), pullsIn, SetpointSpan{300, 700}};
}
}

class TestRangesWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TPLL> w;

private slots:
    void init()
    {
        w = openWindow();
        PLL = w.get();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        w.reset();
        PLL = nullptr;
    }

    // Shown with its chart only; measured while paused, the page follows it to the engine's
    // ranges, then says they are out of date once the regulator's gain changes.
    void measuresThenDates()
    {
        openLab(*w);
        QVERIFY(!shown(*w, "LabMeasureRanges"));
        w->togglePause();
        w->labAction({Kind::FrequencyChart, int(FrequencyChart::Ranges)});
        QVERIFY(shown(*w, "LabMeasureRanges"));
        QVERIFY(!shown(*w, "LabRangesProgress") && !shown(*w, "LabCancelRanges"));
        QVERIFY(pageText(*w).contains(QStringLiteral("appuyez sur « Mesurer les plages »")));

        QElapsedTimer clock;
        clock.start();
        User::click(*w, QStringLiteral("LabMeasureRanges"));
        QVERIFY(shown(*w, "LabRangesProgress") && shown(*w, "LabCancelRanges"));
        QTRY_VERIFY_WITH_TIMEOUT(pageText(*w).contains(QStringLiteral("Mesure en cours : ")), MeasureTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(pageText(*w).contains(QStringLiteral("Plage de maintien : de 50 à 1980 Hz")),
                                 MeasureTimeoutMs);
        qInfo("measured in %lld ms", clock.elapsed());
        const QString page = pageText(*w);
        QVERIFY(page.contains(QStringLiteral("Plage de capture depuis l'arrêt : de 50 à 1090 Hz")));
        QVERIFY(!page.contains(QStringLiteral("Mesure en cours")));
        QVERIFY(!shown(*w, "LabRangesProgress") && !shown(*w, "LabCancelRanges"));
        QVERIFY(w->playback().isPaused());

        User::clickPart(*w, QStringLiteral("LabTabs"), QStringLiteral("Correcteur"));
        User::setValue(*w, QStringLiteral("LabGain"), 2);
        QVERIFY(pageText(*w).contains(QStringLiteral("Plages mesurées pour d'autres réglages : mesurez à nouveau")));
        QVERIFY(pageText(*w).contains(QStringLiteral("Plage de maintien : de 50 à 1980 Hz")));
        // Back to Bode, the controls go; back to the chart, the measure is still there.
        w->labAction({Kind::FrequencyChart, int(FrequencyChart::Bode)});
        QVERIFY(!shown(*w, "LabMeasureRanges"));
        w->labAction({Kind::FrequencyChart, int(FrequencyChart::Ranges)});
        QVERIFY(pageText(*w).contains(QStringLiteral("Plage de maintien : de 50 à 1980 Hz")));
    }

    // Cancelled: at once, nothing found, the ranges measured before kept and the window going
    // on; closed while measuring, the window closes at once.
    void cancelKeepsTheOldRanges()
    {
        openLab(*w);
        const LockRanges old = earlier();
        w->stage().ranges.measure = old;
        w->labAction({Kind::FrequencyChart, int(FrequencyChart::Ranges)});
        User::click(*w, QStringLiteral("LabMeasureRanges"));
        QTRY_VERIFY_WITH_TIMEOUT(w->control(QStringLiteral("LabRangesProgress"))->value > 0, MeasureTimeoutMs);
        QElapsedTimer clock;
        clock.start();
        User::click(*w, QStringLiteral("LabCancelRanges"));
        QVERIFY2(clock.elapsed() < PromptMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!shown(*w, "LabRangesProgress") && !shown(*w, "LabCancelRanges"));
        const double before = w->stage().lab.loop().time();
        for (int i = 0; i < 3; ++i)
            w->Timer1Timer();
        QTest::qWait(200);
        QVERIFY(w->stage().lab.loop().time() > before);
        QVERIFY(w->stage().ranges.measure.has_value());
        QCOMPARE(w->stage().ranges.measure->key, old.key);
        QCOMPARE(w->stage().ranges.measure->hold, old.hold);
        const QString page = pageText(*w);
        QVERIFY(page.contains(QStringLiteral("Mesure annulée")));
        QVERIFY(page.contains(QStringLiteral("Plage de maintien : de 300 à 700 Hz")));

        User::click(*w, QStringLiteral("LabMeasureRanges"));
        QVERIFY(shown(*w, "LabCancelRanges"));
        clock.restart();
        w.reset();
        QVERIFY2(clock.elapsed() < PromptMs, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TestRangesWindow)
#include "tst_ranges_window.moc"

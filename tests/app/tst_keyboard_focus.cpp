// The playback keys given back after a lab control took them: a click on the drawing area, or
// Échap in the control; and the pause line that names the keys that step.
#include "app/application.h"
#include "pages/page_state.h"
#include "pages/topics.h"
#include "window_fixture.h"
#include "window_user.h"

#include <QtTest>
#include <memory>

namespace {
const QString StepKeys = QStringLiteral(" — « , » « . » : image par image");
// A point of the drawing area that no lab control covers, in window coordinates.
const QPoint FreeOfControls(500, 440);
}

class TestKeyboardFocus : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    bool focused(const char *name) const { return w->control(QLatin1String(name))->focused; }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            w->Timer1Timer();
    }
    void startLab()
    {
        User::choose(*w, LabTopic);
        User::click(*w, QStringLiteral("Button1"));
        tick(3);
        QApplication::setActiveWindow(w.get());
    }
    // P pauses, "." goes a frame on, "," back, P runs again: each from the focused control.
    void playbackKeysAnswer()
    {
        const int frame = LabStep;
        User::key(*w, Qt::Key_P);
        QVERIFY(w->playback().isPaused());
        User::key(*w, Qt::Key_Period);
        QCOMPARE(LabStep, frame + 1);
        User::key(*w, Qt::Key_Comma);
        QCOMPARE(LabStep, frame);
        User::key(*w, Qt::Key_P);
        QVERIFY(!w->playback().isPaused());
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

    // A value typed into the setpoint keeps the keys: "," is its decimal comma, not a step back.
    // A click on the picture takes them back.
    void clickOnTheDrawingAreaTakesTheKeys()
    {
        startLab();
        User::click(*w, QStringLiteral("LabSetpoint"));
        QVERIFY(focused("LabSetpoint"));
        const int frame = LabStep;
        User::key(*w, Qt::Key_P);
        User::key(*w, Qt::Key_Comma);
        QVERIFY(!w->playback().isPaused());
        QCOMPARE(LabStep, frame);
        QVERIFY(w->childAt(FreeOfControls) == w->findChild<QWidget *>(QStringLiteral("FOND")));
        User::clickAt(*w, FreeOfControls);
        QVERIFY(focused("FOND"));
        playbackKeysAnswer();
        // Tab still goes from control to control, the drawing area aside.
        QVERIFY(!w->tabOrder().contains(QStringLiteral("FOND")));
    }

    void escapeInALabControlGivesTheKeysBack_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("control");
        for (const char *control : {"LabSetpoint", "LabSetpointSlider", "LabSlope", "LabLoad", "LabSlowMotion", "LabTabs"})
            QTest::addRow("%s", control) << "Conduite" << control;
        for (const char *control : {"LabCorrector", "LabLead", "LabGain", "LabCourseValues"})
            QTest::addRow("%s", control) << "Correcteur" << control;
    }
    void escapeInALabControlGivesTheKeysBack()
    {
        QFETCH(QString, tab);
        QFETCH(QString, control);
        startLab();
        User::clickPart(*w, QStringLiteral("LabTabs"), tab);
        User::focus(*w, control);
        QVERIFY(w->control(control)->focused);
        User::key(*w, Qt::Key_Escape);
        QVERIFY(focused("FOND"));
        QVERIFY(!w->isFullScreen());
        playbackKeysAnswer();
    }

    // Paused, the line under the start button names the keys that step, whole.
    void pauseLineNamesTheStepKeys()
    {
        User::choose(*w, 2);
        User::click(*w, QStringLiteral("Button1"));
        tick(5);
        QTest::keyClick(w.get(), Qt::Key_P);
        QCOMPARE(w->status(), QStringLiteral("Pause — image 6 / 250") + StepKeys);
        const ControlState line = *w->control(QStringLiteral("StatusLine"));
        QVERIFY2(line.needs.width() <= line.place.width(), qPrintable(QString::number(line.needs.width())));
    }
};

QTEST_MAIN(TestKeyboardFocus)
#include "tst_keyboard_focus.moc"

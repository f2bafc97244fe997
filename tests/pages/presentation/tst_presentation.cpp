// The presentation topic on a bare stage, no window: its section dispatch and the setpoint,
// regulator and amplifier sections, read back as pixels of the drawing area.
#include "app/application.h"
#include "diagram_alone.h"
#include "drawing/canvas.h"
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

#include <QtTest>
#include <memory>

using Probe::rgb;

class TestPresentation : public QObject
{
    Q_OBJECT
    std::unique_ptr<Stage> stage;

    const QImage &picture() { return stage->canvas.image(); }
    bool shown(Control c) { return stage->controls.isShown(c); }
    QRgb at(int x, int y) { return Probe::opaque(picture().pixel(x, y)); }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            PageTick(*stage);
    }
    void openTopic()
    {
        ChoiceIndex = 0;
        Button1Click(*stage);
        tick();
    }
    // A button the page shows, pressed.
    void press(Control c)
    {
        QVERIFY(shown(c));
        commandOf(c)(*stage);
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init()
    {
        resetPageState();
        stage = std::make_unique<Stage>();
    }
    void cleanup() { stage.reset(); }

    void beforeAnyElementOnlyTheDiagramIsDrawn()
    {
        openTopic();
        tick(5);
        QCOMPARE(picture().copy(0, 0, Canvas::Width, 120), presentationDiagramAlone());
        QVERIFY(Probe::count(picture(), QRect(120, 200, 600, 50), rgb(Colour::Blue)) > 100); // the hints stay
        for (Control b : {Control::ButtonA, Control::ButtonD, Control::ButtonG})
            QVERIFY(shown(b));
        QVERIFY(!shown(Control::Button1));
        ElementStep = -1;
        ElementActive = 1;
        const QImage before = picture().copy();
        tick(3);
        QCOMPARE(picture(), before); // no section runs at -1
    }

    void sectionsRunTheirIntroThenHoldTheirPage_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("introTicks");
        QTest::addRow("setpoint") << 0 << 20 << 19;
        QTest::addRow("regulator") << 2 << 140 << 59;
        QTest::addRow("amplifier") << 3 << 200 << 59;
    }
    void sectionsRunTheirIntroThenHoldTheirPage()
    {
        QFETCH(int, button);
        QFETCH(int, end);
        QFETCH(int, introTicks);
        const Control buttons[] = {Control::ButtonA, Control::ButtonB, Control::ButtonC, Control::ButtonD};
        openTopic();
        press(buttons[button]);
        tick(introTicks - 1);
        QCOMPARE(ElementStep, end - 1);
        tick();
        QCOMPARE(ElementStep, end);
        const QImage page = picture().copy();
        tick(5);
        QCOMPARE(ElementStep, end); // a finished section never starts the next one
        QCOMPARE(picture(), page);
        QCOMPARE(picture().copy(0, 0, Canvas::Width, 120), presentationDiagramAlone()); // the diagram is whole again
    }

    void setpointLabelSlidesToTheFirstLine()
    {
        openTopic();
        press(Control::ButtonA);
        tick();
        QVERIFY(Probe::count(picture(), QRect(5, 106, 70, 13), rgb(Colour::Green)) > 20);
        tick(18);
        QCOMPARE(ElementStep, 20);
        QVERIFY(Probe::count(picture(), QRect(41, 160, 70, 13), rgb(Colour::Green)) > 20);
        QCOMPARE(Probe::count(picture(), QRect(39, 157, 2, 16), rgb(Colour::Green)), 0); // previous place wiped
        // The end page: square wave, lime blocks with their labels, the divider's arrow.
        QCOMPARE(at(550, 250), rgb(Colour::Black));
        QCOMPARE(at(529, 250), rgb(Colour::Black));
        QCOMPARE(at(260, 250), rgb(Colour::Lime));
        QCOMPARE(at(200, 225), rgb(Colour::Red));
        QVERIFY(Probe::count(picture(), QRect(205, 280, 60, 14), rgb(Colour::Red)) > 20);
        QCOMPARE(at(300, 280), rgb(Colour::Red));
    }

    void amplifierSlidesFromTheDiagram()
    {
        openTopic();
        press(Control::ButtonD);
        stage->controls.show({Control::ButtonPD, Control::Button2});
        tick();
        QVERIFY(!shown(Control::ButtonPD));
        QVERIFY(!shown(Control::Button2));
        QCOMPARE(LocalStep, 2);
        QCOMPARE(at(312, 64), rgb(Colour::Red));  // drawn at L = 2
        QCOMPARE(at(411, 103), rgb(Colour::Red));
        QCOMPARE(at(400, 100), rgb(Colour::White));
        QCOMPARE(at(400, 104), rgb(Colour::BtnFace));
        tick(58);
        QCOMPARE(LocalStep, 60);
        QCOMPARE(at(80, 180), rgb(Colour::Red));
        QCOMPARE(at(179, 219), rgb(Colour::Red));
        QCOMPARE(at(40, 200), rgb(Colour::Red));   // input arrow from x = 40
        QCOMPARE(at(219, 200), rgb(Colour::Red));  // output arrow to x = 220
        QVERIFY(Probe::count(picture(), QRect(85, 185, 90, 25), rgb(Colour::Blue)) > 30);
        QVERIFY(Probe::count(picture(), QRect(230, 190, 400, 55), rgb(Colour::Blue)) > 300);
        QCOMPARE(at(76, 182), rgb(Colour::BtnFace)); // nothing left of the step before
    }

    void regulatorPageOffersItsPictures()
    {
        openTopic();
        stage->controls.show(Control::Button2);
        press(Control::ButtonC);
        tick();
        QVERIFY(!shown(Control::Button2));
        QCOMPARE(at(216, 64), rgb(Colour::Red)); // the first step, 16 pixels left of the diagram's block
        tick(58);
        QCOMPARE(at(100, 180), rgb(Colour::Red));
        QCOMPARE(at(159, 219), rgb(Colour::Red));
        QCOMPARE(at(199, 200), rgb(Colour::Red));
        QVERIFY(shown(Control::ButtonPD));

        press(Control::ButtonPD);
        QCOMPARE(ElementStep, -1);
        QVERIFY(!shown(Control::ButtonPD));
        QVERIFY(Probe::count(picture(), QRect(20, 330, 120, 16), rgb(Colour::Red)) > 50);   // "Son rôle :"
        QVERIFY(Probe::count(picture(), QRect(20, 410, 300, 12), rgb(Colour::Green)) > 50); // "VOIR plus loin..."
        // The fraction's grey is cut out: the page's button face shows around the black figures.
        QVERIFY(Probe::count(picture(), QRect(20, 255, 210, 60), rgb(Colour::Black)) > 200);
        QCOMPARE(Probe::count(picture(), QRect(20, 255, 210, 60), qRgb(192, 192, 192)), 0);
        QVERIFY(Probe::count(picture(), QRect(300, 230, 400, 211), rgb(Colour::Black)) > 500);
        const QImage shown = picture().copy();
        tick(3);
        QCOMPARE(picture(), shown); // only the diagram is redrawn now
    }

    void anotherButtonRestartsMidIntro()
    {
        openTopic();
        press(Control::ButtonD);
        tick(20);
        press(Control::ButtonA);
        QCOMPARE(ElementStep, 1);
        QCOMPARE(Probe::inked(picture(), rgb(Colour::BtnFace)), QRect());
        press(Control::ButtonA); // the same button again: from the start again
        QCOMPARE(ElementStep, 1);
        tick();
        QCOMPARE(ElementStep, 2);
    }
};

QTEST_MAIN(TestPresentation)
#include "tst_presentation.moc"

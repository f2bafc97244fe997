// The presentation topic through the real window: its section dispatch and the setpoint,
// regulator and amplifier sections, read back as pixels of the drawing area.
#include "app/application.h"
#include "pages/page_state.h"
#include "app/tpll.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "pixel_probe.h"
#include "window_fixture.h"

#include <QPushButton>
#include <QtTest>
#include <memory>

using Probe::rgb;

class TestPresentation : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    const QImage &picture() { return w->canvas().image(); }
    QRgb at(int x, int y) { return Probe::opaque(picture().pixel(x, y)); }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            w->Timer1Timer();
    }
    void openTopic()
    {
        ChoiceIndex = 0;
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        tick();
    }
    void press(QPushButton *b)
    {
        QVERIFY(b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton);
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init() { w = openWindow(); }
    void cleanup() { w.reset(); }

    void beforeAnyElementOnlyTheDiagramIsDrawn()
    {
        openTopic();
        tick(5);
        QCOMPARE(picture().copy(0, 0, Canvas::Width, 120), presentationDiagramAlone());
        QVERIFY(Probe::count(picture(), QRect(120, 200, 600, 50), rgb(Colour::Blue)) > 100); // the hints stay
        for (QPushButton *b : {w->ButtonA, w->ButtonD, w->ButtonG})
            QVERIFY(b->isVisible());
        QVERIFY(!w->Button1->isVisible());
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
        QPushButton *buttons[] = {w->ButtonA, w->ButtonB, w->ButtonC, w->ButtonD};
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
        press(w->ButtonA);
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
        press(w->ButtonD);
        showControls(*w, {Control::ButtonPD, Control::Button2});
        tick();
        QVERIFY(!w->ButtonPD->isVisible());
        QVERIFY(!w->Button2->isVisible());
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
        showControls(*w, {Control::Button2});
        press(w->ButtonC);
        tick();
        QVERIFY(!w->Button2->isVisible());
        QCOMPARE(at(216, 64), rgb(Colour::Red)); // the first step, 16 pixels left of the diagram's block
        tick(58);
        QCOMPARE(at(100, 180), rgb(Colour::Red));
        QCOMPARE(at(159, 219), rgb(Colour::Red));
        QCOMPARE(at(199, 200), rgb(Colour::Red));
        QVERIFY(w->ButtonPD->isVisible());

        press(w->ButtonPD);
        QCOMPARE(ElementStep, -1);
        QVERIFY(!w->ButtonPD->isVisible());
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
        press(w->ButtonD);
        tick(20);
        press(w->ButtonA);
        QCOMPARE(ElementStep, 1);
        QCOMPARE(Probe::inked(picture(), rgb(Colour::BtnFace)), QRect());
        press(w->ButtonA); // the same button again: from the start again
        QCOMPARE(ElementStep, 1);
        tick();
        QCOMPARE(ElementStep, 2);
    }
};

QTEST_MAIN(TestPresentation)
#include "tst_presentation.moc"

// The speed sensor section and the encoder rotation run on a bare stage, no window, read back
// as pixels of the drawing area.
#include "app/application.h"
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

#include <QtTest>
#include <memory>

using Probe::rgb;

namespace {
constexpr int High = 230, Low = 260;
const QRect ChartArea(600, 220, 150, 50);
}

class TestSpeedSensor : public QObject
{
    Q_OBJECT
    std::unique_ptr<Stage> stage;

    const QImage &picture() { return stage->canvas.image(); }
    bool shown(Control c) { return stage->controls.isShown(c); }
    QRgb at(int x, int y) { return Probe::opaque(picture().pixel(x, y)); }
    int blackIn(const QRect &r) { return Probe::count(picture(), r, rgb(Colour::Black)); }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            PageTick(*stage);
    }
    // A button the page shows, pressed.
    void press(Control c)
    {
        QVERIFY(shown(c));
        commandOf(c)(*stage);
    }
    void startSensorSection()
    {
        ChoiceIndex = 0;
        Button1Click(*stage);
        tick();
        press(Control::ButtonG);
    }
    // The finished page, then the rotation run for `ticks` ticks.
    void runRotation(int ticks)
    {
        startSensorSection();
        tick(59);
        press(Control::Button3);
        tick(ticks);
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init()
    {
        resetPageState();
        stage = std::make_unique<Stage>();
    }
    void cleanup() { stage.reset(); }

    void blockComesToRestAndOffersTheRotation()
    {
        startSensorSection();
        tick(58);
        QCOMPARE(ElementStep, 379);
        QVERIFY(!shown(Control::Button3));
        tick();
        QVERIFY(shown(Control::Button3));
        for (const QPoint p : {QPoint(110, 190), QPoint(189, 229), QPoint(190, 210), QPoint(219, 210), QPoint(81, 210)})
            QCOMPARE(at(p.x(), p.y()), rgb(Colour::Red)); // block, input arrow to its tip, output arrow
        QCOMPARE(at(195, 188), rgb(Colour::BtnFace));      // nothing left of the step before
        // Only the emitter and receiver are fuchsia: the texts after them are transparent.
        const int boxes = Probe::count(picture(), QRect(150, 236, 101, 40), rgb(Colour::Fuchsia))
                        + Probe::count(picture(), QRect(451, 236, 99, 40), rgb(Colour::Fuchsia));
        QVERIFY(boxes > 4000);
        QCOMPARE(Probe::count(picture(), picture().rect(), rgb(Colour::Fuchsia)), boxes);
        const QImage page = picture().copy();
        tick(4);
        QCOMPARE(picture(), page);
        press(Control::ButtonG);
        QVERIFY(!shown(Control::Button3));
    }

    void discTeeth_data()
    {
        QTest::addColumn<int>("ticks"); // of the rotation run; -1: the page at rest
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("navy");
        // Points in the ring the hub leaves, radius 95.
        QTest::addRow("rest, first tooth") << -1 << QPoint(355, 252) << true;
        QTest::addRow("rest, fifth tooth") << -1 << QPoint(285, 280) << true;
        QTest::addRow("rest, gap 3-4") << -1 << QPoint(308, 264) << false;
        QTest::addRow("rest, right of the teeth") << -1 << QPoint(380, 260) << false;
        QTest::addRow("turned, first tooth") << 67 << QPoint(413, 279) << true;
        QTest::addRow("turned, fifth tooth in the beam") << 67 << QPoint(343, 256) << true;
        QTest::addRow("turned, old third tooth") << 67 << QPoint(317, 260) << false;
    }
    void discTeeth()
    {
        QFETCH(int, ticks);
        QFETCH(QPoint, point);
        QFETCH(bool, navy);
        if (ticks < 0) {
            startSensorSection();
            tick(59);
        } else {
            runRotation(ticks);
        }
        QCOMPARE(at(point.x(), point.y()) == rgb(Colour::Navy), navy);
    }

    void beamAndTraceFollowTheTeeth_data()
    {
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<int>("stretchStart"); // the edge this stretch began at
        for (const auto &[ticks, passes, start] : {std::tuple{1, true, 600}, {6, true, 600}, {7, false, 615},
                                                    {16, false, 615}, {17, true, 635}, {36, false, 655},
                                                    {37, true, 675}, {47, false, 695}, {66, true, 715}})
            QTest::addRow("step %d", ticks + 1) << ticks << passes << start;
    }
    void beamAndTraceFollowTheTeeth()
    {
        QFETCH(int, ticks);
        QFETCH(bool, passes);
        QFETCH(int, stretchStart);
        runRotation(ticks);
        QCOMPARE(SensorStep, ticks + 1);
        QCOMPARE(at(400, 256), rgb(passes ? Colour::Red : Colour::BtnFace));
        const int level = passes ? High : Low, head = 600 + 2 * SensorStep;
        QCOMPARE(blackIn(QRect(QPoint(stretchStart + 1, level), QPoint(head, level))), head - stretchStart);
        QCOMPARE(blackIn(QRect(QPoint(head + 1, 220), QPoint(749, 269))), 0);
        if (stretchStart > 600)
            QCOMPARE(blackIn(QRect(stretchStart, 231, 1, 29)), 29);
    }

    void finishedRunHoldsTheWholeChart()
    {
        runRotation(67);
        QCOMPARE(SensorStep, 68);
        // Between the edges: the level drawn in full, the other one empty.
        const int stretches[][3] = {{601, 614, High}, {616, 634, Low}, {636, 654, High}, {656, 674, Low},
                                    {676, 694, High}, {696, 714, Low}, {716, 734, High}};
        for (const auto &[from, to, level] : stretches) {
            QCOMPARE(blackIn(QRect(from, level, to - from + 1, 1)), to - from + 1);
            QCOMPARE(blackIn(QRect(from, level == High ? Low : High, to - from + 1, 1)), 0);
        }
        for (int edge = 615; edge <= 735; edge += 20)
            QCOMPARE(blackIn(QRect(edge, 231, 1, 29)), 29);
        QCOMPARE(blackIn(QRect(735, Low, 2, 1)), 2);
        QCOMPARE(blackIn(QRect(737, 220, 13, 50)), 0);
        QCOMPARE(at(400, 256), rgb(Colour::BtnFace)); // blocked at the end
        const QImage done = picture().copy();
        tick(5);
        QCOMPARE(picture(), done);
    }

    void button3RestartsTheRun()
    {
        runRotation(30);
        press(Control::Button3);
        QCOMPARE(Probe::inked(picture().copy(ChartArea), rgb(Colour::BtnFace)), QRect());
        tick();
        QCOMPARE(SensorStep, 2);
        QCOMPARE(blackIn(ChartArea), 4); // 601 .. 604 on the high level
        QCOMPARE(at(400, 256), rgb(Colour::Red));
    }
};

QTEST_MAIN(TestSpeedSensor)
#include "tst_speed_sensor.moc"

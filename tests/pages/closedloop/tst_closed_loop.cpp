// The two closed-loop animations on a bare stage, no window, read back as pixels.
#include "app/application.h"
#include "drawing/antenna.h"
#include "pages/closedloop/speed_change_page.h"
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

#include <QtTest>
#include <cmath>
#include <memory>

using Probe::rgb;

class TestClosedLoop : public QObject
{
    Q_OBJECT
    std::unique_ptr<Stage> stage;

    const QImage &picture() { return stage->canvas.image(); }
    QRgb at(int x, int y) { return Probe::opaque(picture().pixel(x, y)); }

    void tick() { PageTick(*stage); }
    // A fresh stage, as the program starts.
    void openStage()
    {
        resetPageState();
        stage = std::make_unique<Stage>();
    }
    // Starts a topic with the start button, as the user does.
    void start(int choice)
    {
        ChoiceIndex = choice;
        Button1Click(*stage);
    }
    // Ticks until PageStep reaches `page`.
    void runTo(int page)
    {
        while (PageStep < page)
            tick();
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init() { openStage(); }
    void cleanup() { stage.reset(); }

    void antennaTurnsFromItsFirstToItsLastPosition_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<QPoint>>("vertices");
        QTest::addRow("operating point, P = 2") << 2 << 2 << QList<QPoint>{{690, 83}, {682, 94}, {759, 86}, {749, 77}};
        QTest::addRow("operating point, P = 250") << 2 << 250 << QList<QPoint>{{690, 78}, {680, 87}, {757, 92}, {749, 81}};
        QTest::addRow("speed change, k = 320") << 3 << 570 << QList<QPoint>{{691, 71}, {680, 79}, {754, 100}, {748, 88}};
    }
    void antennaTurnsFromItsFirstToItsLastPosition()
    {
        QFETCH(int, choice);
        QFETCH(int, page);
        QFETCH(QList<QPoint>, vertices);
        start(choice);
        runTo(page);
        for (const QPoint &v : vertices)
            QCOMPARE(at(v.x(), v.y()), rgb(Colour::Red));
        const double angle = choice == 2 ? 0.05 * page : (0.000235 * 320 + 0.00248) * 320;
        const AntennaOutline outline = AntennaPolygon(angle);
        QCOMPARE(QList<QPoint>(outline.begin(), outline.begin() + 4), vertices);
        QCOMPARE(outline[4], outline[0]);
    }

    void operatingPointRampsGrowOnePixelPerTick()
    {
        start(2);
        runTo(4);
        QCOMPARE(at(601, 229), rgb(Colour::Blue));  // P = 2 and 3 share x = 601
        QCOMPARE(at(602, 228), rgb(Colour::Blue));  // P = 4
        QCOMPARE(at(602, 248), rgb(Colour::Black));
        QCOMPARE(at(603, 228), rgb(Colour::BtnFace)); // nothing ahead of the ramp
        runTo(250);
        for (int p = 2; p <= 250; ++p) {
            const int x = int(600 + 0.6 * p);
            if (x >= 695 && x <= 705)
                continue; // the gap marker is drawn over the ramps there
            QCOMPARE(at(x, int(230 - 0.3 * p)), rgb(Colour::Blue));
            QCOMPARE(at(x, int(250 - 0.3 * p)), rgb(Colour::Black));
        }
        QCOMPARE(at(750, 155), rgb(Colour::Blue));
        QCOMPARE(at(750, 175), rgb(Colour::Black));
    }

    void explanationAppearsAtStep201()
    {
        start(2);
        runTo(200);
        const QRect explanation(600, 300, 175, 100);
        QCOMPARE(Probe::count(picture(), explanation, rgb(Colour::Blue)), 0);
        QCOMPARE(at(700, 165), rgb(Colour::BtnFace));
        runTo(201);
        QVERIFY(Probe::count(picture(), explanation, rgb(Colour::Blue)) > 100);
        QCOMPARE(at(700, 165), rgb(Colour::Navy));
        QCOMPARE(at(720, 220), rgb(Colour::Navy)); // the leader under the pi/2 label
        QCOMPARE(at(696, 176), rgb(Colour::Navy)); // a head stroke touching the phi ramp
    }

    void operatingPointWaveformsAreFixed()
    {
        start(2);
        runTo(2);
        QCOMPARE(at(420, 150), rgb(Colour::Blue));   // setpoint high
        QCOMPARE(at(420, 190), rgb(Colour::BtnFace));
        QCOMPARE(at(440, 210), rgb(Colour::Black));  // feedback high a quarter period later
        QCOMPARE(at(410, 270), rgb(Colour::Green));  // exclusive OR high
        QCOMPARE(at(430, 310), rgb(Colour::Green));  // and low
        QCOMPARE(at(470, 290), rgb(Colour::Red));    // its mean
        QCOMPARE(at(580, 300), rgb(Colour::Black));  // separator, two pixels wide
        QCOMPARE(at(581, 300), rgb(Colour::Black));
    }

    void finishedRunsDrawNothingMore_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("last");
        QTest::addRow("operating point") << 2 << 250;
        QTest::addRow("speed change") << 3 << 570;
    }
    void finishedRunsDrawNothingMore()
    {
        QFETCH(int, choice);
        QFETCH(int, last);
        start(choice);
        runTo(last);
        const QImage end = picture().copy();
        for (int i = 0; i < 5; ++i)
            tick();
        QCOMPARE(PageStep, last);
        QCOMPARE(picture(), end);
        QVERIFY(stage->controls.isShown(Control::Button1));
    }

    void startButtonRestartsMidRun_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("first");
        QTest::addRow("operating point") << 2 << 1;
        QTest::addRow("speed change") << 3 << 251;
    }
    void startButtonRestartsMidRun()
    {
        QFETCH(int, choice);
        QFETCH(int, first);
        start(choice);
        runTo(first + 120);
        Button1Click(*stage);
        QCOMPARE(PageStep, first);
        QCOMPARE(Probe::inked(picture(), rgb(Colour::BtnFace)), QRect());
        tick();
        QCOMPARE(PageStep, first + 1);
        QCOMPARE(Probe::count(picture(), QRect(650, 100, 125, 200), rgb(Colour::Blue)) > 0, choice == 2);
    }

    void speedChangeWavesStayLeftOfTheStrip()
    {
        start(3);
        const QRect strip(540, 150, Canvas::Width - 540, 170);
        while (PageStep < 570) {
            tick();
            QCOMPARE(Probe::count(picture(), strip, rgb(Colour::BtnFace)), strip.width() * strip.height());
        }
    }

    void setpointCompressesFrom500HzTo1500Hz_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<QList<int>>("edges");
        QTest::addRow("k = 2") << 2 << QList<int>{400, 459, 519};
        QTest::addRow("k = 320") << 320 << QList<int>{400, 420, 440, 460, 480, 500, 520};
    }
    void setpointCompressesFrom500HzTo1500Hz()
    {
        QFETCH(int, k);
        QFETCH(QList<int>, edges);
        start(3);
        runTo(250 + k);
        // Along the middle of the wave only its vertical edges cross.
        QList<int> crossings;
        for (int x = 395; x < 540; ++x)
            if (at(x, 170) == rgb(Colour::Blue))
                crossings.append(x);
        QCOMPARE(crossings, edges);
        if (k == 320) // the last high level runs to x = 539
            QCOMPARE(at(539, 150), rgb(Colour::Blue));
    }

    void meanLineAndMarkersFollowTheStep_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("meanY");
        QTest::addColumn<bool>("quarter");
        QTest::addColumn<bool>("threeQuarters");
        QTest::addRow("k = 2") << 2 << 299 << false << false;
        QTest::addRow("k = 17") << 17 << 298 << false << false;
        QTest::addRow("k = 20") << 20 << 298 << false << false;
        QTest::addRow("k = 21") << 21 << 298 << true << false;
        QTest::addRow("k = 300") << 300 << 281 << true << false;
        QTest::addRow("k = 301") << 301 << 281 << true << true;
        QTest::addRow("k = 320") << 320 << 280 << true << true;
    }
    void meanLineAndMarkersFollowTheStep()
    {
        QFETCH(int, k);
        QFETCH(int, meanY);
        QFETCH(bool, quarter);
        QFETCH(bool, threeQuarters);
        start(3);
        runTo(250 + k);
        QCOMPARE(ElementStep, k);
        QCOMPARE(at(470, meanY), rgb(Colour::Red));
        QCOMPARE(at(470, meanY + 1), rgb(Colour::BtnFace)); // the previous line is wiped
        QCOMPARE(at(410, 445) == rgb(Colour::Navy), quarter);
        QCOMPARE(at(570, 400) == rgb(Colour::Navy), threeQuarters);
        // The ramps' current pixels.
        QCOMPARE(at(int(400 + 0.6 * k), int(430 - 0.3 * k)), rgb(Colour::Blue));
        QCOMPARE(at(int(400 + 0.6 * k), int(440 - 0.22 * k)), rgb(Colour::Black));
    }

    void readoutUsesTheUsersDecimalSeparator_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("french");
        QTest::addColumn<QString>("c");
        const struct { int k; const char *fr, *c; } rows[] = {
            {2, "1,27", "1.27"}, {94, "1,99", "1.99"}, {95, "2", "2"}, {160, "2,5", "2.5"},
            {223, "3", "3"}, {300, "3,6", "3.6"}, {320, "3,75", "3.75"},
        };
        for (const auto &r : rows)
            QTest::addRow("k = %d", r.k) << r.k << QString::fromLatin1(r.fr) << QString::fromLatin1(r.c);
    }
    void readoutUsesTheUsersDecimalSeparator()
    {
        QFETCH(int, k);
        QFETCH(QString, french);
        QFETCH(QString, c);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QCOMPARE(comparatorMeanText(k), french);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(comparatorMeanText(k), c);
    }

    void readoutOverwritesThePreviousValue()
    {
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        start(3);
        runTo(252);
        const QRect cell(363, 280, 24, 13);
        QVERIFY(Probe::count(picture(), cell, rgb(Colour::Red)) > 10);
        runTo(570);
        // Only the last value is left: the cell reads as a fresh "3,75" would.
        const QImage last = picture().copy(cell);
        openStage();
        start(3);
        PageStep = 569; // straight to the last frame, over a cleared area
        tick();
        QCOMPARE(picture().copy(cell), last);
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_MAIN(TestClosedLoop)
#include "tst_closed_loop.moc"

// The phase comparator section on a bare stage, no window: intro slide, end page, phase sweep.
#include "app/application.h"
#include "drawing/loop_diagram.h"
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

#include <QtTest>
#include <memory>

using Probe::rgb;

class TestPhaseComparator : public QObject
{
    Q_OBJECT
    std::unique_ptr<Stage> stage;
    static constexpr int IntroTicks = 59; // ElementStep 21 -> 80

    const QImage &picture() { return stage->canvas.image(); }
    QRgb at(int x, int y) { return Probe::opaque(picture().pixel(x, y)); }
    int count(const QRect &area, TColor colour) { return Probe::count(picture(), area, rgb(colour)); }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            PageTick(*stage);
    }
    void startSection()
    {
        if (PageStep != -1) {
            PageStep = -1;
            tick(); // shows the element buttons
        }
        ButtonBClick(*stage);
    }
    // Highlight pixels along row y; a 2-pixel trace's vertical edge at x covers x and x + 1.
    QList<int> crossings(int y)
    {
        QList<int> xs;
        for (int x = 395; x <= 600; ++x)
            if (at(x, y) == rgb(Colour::Highlight))
                xs.append(x);
        return xs;
    }
    static QList<int> edgePixels(const QList<int> &edges)
    {
        QList<int> xs;
        for (int e : edges)
            xs << (xs.contains(e) ? QList<int>{e + 1} : QList<int>{e, e + 1});
        return xs;
    }
    // Neither the sweep's marker nor its explanation.
    void expectNoSweep()
    {
        QCOMPARE(count(QRect(0, 380, 78, 85), Colour::Red), 0);
        QCOMPARE(count(QRect(220, 345, 145, 120), Colour::Black), 0);
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init()
    {
        resetPageState();
        stage = std::make_unique<Stage>();
    }
    void cleanup() { stage.reset(); }

    void introSlidesTheGroupTwoPixelsPerTick_data()
    {
        QTest::addColumn<int>("k");
        QTest::addRow("first step") << 2;
        QTest::addRow("midway") << 31;
        QTest::addRow("last step") << 60;
    }
    void introSlidesTheGroupTwoPixelsPerTick()
    {
        QFETCH(int, k);
        startSection();
        tick(k - 1);
        QCOMPARE(PhaseSweepStep, k);
        const int o = 2 * k;
        QCOMPARE(at(194, 70 + o), rgb(Colour::Red));     // top of the gain block
        QCOMPARE(at(194, 68 + o), rgb(Colour::BtnFace)); // where it was a tick before
        QVERIFY(count(QRect(181, 71 + o, 26, 18), Colour::Blue) > 0); // "Gcp" went with it
        QCOMPARE(at(60, 80 + o), rgb(Colour::Red));      // the group's own input arrow
        QCOMPARE(at(60, 78 + o), rgb(Colour::BtnFace));
        QCOMPARE(at(135, 30 + o), rgb(Colour::Red));     // feedback arrow
        QCOMPARE(at(220, 80 + o), rgb(Colour::Red));     // output arrow, tip
        QCOMPARE(at(221, 80 + o), rgb(Colour::BtnFace));
    }

    void endPageComesWithTheLastIntroStepAndWaitsForTheSweep()
    {
        startSection();
        const QRect blueTexts(250, 180, 500, 55);
        tick(IntroTicks - 1);
        QCOMPARE(count(blueTexts, Colour::Blue), 0);
        QVERIFY(!stage->controls.isShown(Control::Button2));
        tick();
        QCOMPARE(ElementStep, 80);
        QCOMPARE(PhaseSweepStep, 60);
        QVERIFY(count(blueTexts, Colour::Blue) > 500);
        QVERIFY(stage->controls.isShown(Control::Button2));
        expectNoSweep();
        tick(3);
        QCOMPARE(PhaseSweepStep, 60);
        expectNoSweep();
    }

    void diagramComparatorIsWholeAfterTheIntro()
    {
        Canvas reference;
        reference.setPenAndBrush(Colour::BtnFace);
        reference.Rectangle(0, 0, 793, 473);
        drawLoopDiagram(reference, DiagramVariant::Presentation);
        const QRect comparator(55, 0, 175, 124);
        startSection();
        tick(10);
        QVERIFY(picture().copy(comparator) != reference.image().copy(comparator));
        tick(IntroTicks - 10 + 1);
        QCOMPARE(picture().copy(comparator), reference.image().copy(comparator));
    }

    // Rows 325 and 397 cross X and S where the dotted marks leave a gap.
    void tracesFollowTheShift_data()
    {
        QTest::addColumn<int>("sweepTicks"); // -1: Button2 not pressed
        QTest::addColumn<int>("p");
        QTest::addColumn<QList<int>>("xEdges");
        QTest::addColumn<QList<int>>("sEdges");
        QTest::addColumn<QPoint>("marker");
        QTest::addRow("still, pi/2") << -1 << 20 << QList<int>{420, 460, 500} << QList<int>{400, 420, 440, 460, 480, 500} << QPoint();
        QTest::addRow("first step") << 1 << 2 << QList<int>{402, 442, 482, 522} << QList<int>{400, 402, 440, 442, 480, 482} << QPoint(12, 447);
        QTest::addRow("odd shift") << 2 << 3 << QList<int>{403, 443, 483, 523} << QList<int>{400, 403, 440, 443, 480, 483} << QPoint(13, 445);
        QTest::addRow("at rest") << 38 << 39 << QList<int>{439, 479, 519, 559} << QList<int>{400, 439, 440, 479, 480, 519} << QPoint(67, 391);
    }
    void tracesFollowTheShift()
    {
        QFETCH(int, sweepTicks);
        QFETCH(int, p);
        QFETCH(QList<int>, xEdges);
        QFETCH(QList<int>, sEdges);
        QFETCH(QPoint, marker);
        startSection();
        tick(IntroTicks);
        if (sweepTicks >= 0) {
            Button2Click(*stage);
            tick(sweepTicks);
            QCOMPARE(PhaseSweepStep, p);
        }
        QCOMPARE(crossings(325), edgePixels(xEdges));
        QCOMPARE(crossings(397), edgePixels(sEdges));
        QCOMPARE(crossings(265), edgePixels({400, 440, 480, 520})); // E does not move
        // One 2-pixel mean line, p pixels above 0 V.
        QCOMPARE(count(QRect(470, 288, 1, 150), Colour::Red), 2);
        QCOMPARE(at(470, 405 - p), rgb(Colour::Red));
        QCOMPARE(at(470, 406 - p), rgb(Colour::Red));
        if (marker.isNull())
            return expectNoSweep();
        // Only the latest marker: the 4-pixel pen around the stroke to 2 pixels right of it.
        QRect reds;
        for (int y = 380; y < 465; ++y)
            for (int x = 0; x < 78; ++x)
                if (at(x, y) == rgb(Colour::Red))
                    reds |= QRect(x, y, 1, 1);
        QCOMPARE(reds, QRect(marker - QPoint(1, 1), QSize(5, 4)));
    }

    void sweepStopsAt39AndHolds()
    {
        startSection();
        tick(IntroTicks);
        Button2Click(*stage);
        for (int i = 0; i < 45; ++i) {
            tick();
            QVERIFY(PhaseSweepStep >= 2 && PhaseSweepStep <= 39);
        }
        QVERIFY(count(QRect(220, 345, 145, 120), Colour::Black) > 100); // the explanation
        const QImage rest = picture().copy();
        tick(3);
        QCOMPARE(PhaseSweepStep, 39);
        QCOMPARE(picture(), rest);
    }

    void sweepButtonDuringTheIntroIsOverwritten()
    {
        startSection();
        tick(IntroTicks);
        const QImage firstVisit = picture().copy();
        startSection(); // Button2 stays visible from the first visit
        tick(10);
        Button2Click(*stage);
        QCOMPARE(PhaseSweepStep, 1);
        tick();
        QCOMPARE(PhaseSweepStep, 12);
        tick(IntroTicks - 11);
        QCOMPARE(PhaseSweepStep, 60);
        QCOMPARE(picture(), firstVisit);
    }
};

QTEST_MAIN(TestPhaseComparator)
#include "tst_phase_comparator.moc"

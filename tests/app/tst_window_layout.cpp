// The zoom's factors: the keys' steps, the full screen's factor to the hundredth, and places
// rounded as the drawing area's picture rounds its pixels.
#include "app/window_layout.h"
#include "drawing/raster.h"

#include <QtTest>

class TestWindowLayout : public QObject
{
    Q_OBJECT
private slots:
    void zoomKeysStepThroughTheSteps()
    {
        QList<qreal> up{1}, down{4};
        while (up.size() < 10)
            up << WindowLayout::stepUp(up.last(), WindowLayout::MaxFactor);
        while (down.size() < 10)
            down << WindowLayout::stepDown(down.last());
        QCOMPARE(up, (QList<qreal>{1, 1.25, 1.5, 1.75, 2, 2.5, 3, 4, 4, 4}));
        QCOMPARE(down, (QList<qreal>{4, 3, 2.5, 2, 1.75, 1.5, 1.25, 1, 1, 1}));
        // Full screen on 1920 x 1080 holds x1.91: the step up stops there, the step down leaves it.
        QCOMPARE(WindowLayout::stepUp(1.75, 1.91), 1.91);
        QCOMPARE(WindowLayout::stepUp(1.91, 1.91), 1.91);
        QCOMPARE(WindowLayout::stepDown(1.91), 1.75);
    }

    void fullScreenTakesTheLargestFactorThatFits_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<qreal>("factor");
        QTest::addRow("1920 x 1080") << QSize(1920, 1080) << 1.91;
        QTest::addRow("1920 x 1200") << QSize(1920, 1200) << 2.13;
        QTest::addRow("1600 x 1000") << QSize(1600, 1000) << 1.77;
        QTest::addRow("1024 x 768") << QSize(1024, 768) << 1.28;
        QTest::addRow("smaller than the layout") << QSize(640, 480) << 1.0;
        QTest::addRow("3840 x 2160, no more than x4") << QSize(3840, 2160) << 3.83;
        QTest::addRow("7680 x 4320") << QSize(7680, 4320) << 4.0;
    }
    void fullScreenTakesTheLargestFactorThatFits()
    {
        QFETCH(QSize, screen);
        QFETCH(qreal, factor);
        QCOMPARE(WindowLayout::largestFitting(screen), factor);
        const QRect room(QPoint(), screen);
        if (factor > 1)
            QVERIFY(room.contains(WindowLayout{factor, {}}.area()));
        if (factor < WindowLayout::MaxFactor)
            QVERIFY(!room.contains(WindowLayout{factor + 0.01, {}}.area()));
    }

    // Controls side by side in the classic layout stay side by side, neither overlapping nor
    // apart, and the drawing area is its picture's size.
    void placesTileAsThePictureDoes()
    {
        for (qreal factor : WindowLayout::Steps) {
            const WindowLayout layout{factor, QPoint(7, 3)};
            for (int x = 0; x < 40; ++x)
                QCOMPARE(layout.place(QRect(x, 0, 1, 1)).right() + 1, layout.place(QRect(x + 1, 0, 1, 1)).left());
            QCOMPARE(layout.scaled(QSize(Raster::Width, Raster::Height)), Raster(factor).rect().size());
        }
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"

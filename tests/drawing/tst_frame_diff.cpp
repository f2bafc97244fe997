// A frame drawn over the last one where they differ: the picture it draws whole, with no more
// changed than what the differing operations reach.
#include "canvas_probe.h"
#include "drawing/frame_diff.h"

#include <QtTest>

using namespace CanvasProbe;

namespace {
QImage drawnWhole(const std::vector<DrawOp> &frame)
{
    Raster raster;
    for (const DrawOp &op : frame)
        raster.paint(op);
    return raster.image();
}
}

class TestFrameDiff : public QObject
{
    Q_OBJECT
private slots:
    void aFrameEqualToTheLastChangesNothing()
    {
        const std::vector<DrawOp> drawn{box(QRect(0, 0, 200, 100), White), box(QRect(10, 10, 20, 20), Red)};
        Raster raster;
        FrameDiff diff;
        QRegion changed;
        std::vector<DrawOp> frame = drawn;
        QVERIFY(diff.draw(frame, raster, changed));
        QVERIFY(frame.empty());
        QCOMPARE(diff.last(), drawn);

        changed = QRegion();
        frame = drawn;
        QVERIFY(!diff.draw(frame, raster, changed));
        QVERIFY(changed.isEmpty());
        QCOMPARE(raster.image(), drawnWhole(drawn));
    }

    void onlyWhatTheDifferingOperationsReachIsDrawnAgain()
    {
        // A box that moves between two that stay, one of them drawn over where it was.
        const QRect before(10, 10, 20, 20), after(100, 10, 20, 20), still(15, 15, 60, 60), ground(0, 0, 300, 100);
        const DrawOp background = box(ground, White), over = box(still, Blue);
        Raster raster;
        FrameDiff diff;
        QRegion changed;
        std::vector<DrawOp> frame{background, box(before, Red), over};
        diff.draw(frame, raster, changed);
        changed = QRegion();
        const std::vector<DrawOp> next{background, box(after, Red), over};
        frame = next;
        QVERIFY(diff.draw(frame, raster, changed));
        QCOMPARE(raster.image(), drawnWhole(next));
        QVERIFY(changed.contains(before) && changed.contains(after));
        QVERIFY(!changed.intersects(QRect(50, 50, 20, 20))); // what only the ones that stay reach
    }
};

QTEST_MAIN(TestFrameDiff)
#include "tst_frame_diff.moc"

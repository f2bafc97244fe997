// The operations that describe the picture: kept short as a page draws on for hours, and drawing
// the same picture at every scale as all the operations drawn in order.
#include "canvas_probe.h"
#include "drawing/drawing_list.h"

#include <QtTest>

using namespace CanvasProbe;

namespace {
DrawOp line(QPoint from, QPoint to, QRgb colour)
{
    DrawOp op{OpKind::Line};
    op.pen = colour;
    op.at = {from.x(), from.y(), to.x(), to.y()};
    op.seal();
    return op;
}
}

class TestDrawingList : public QObject
{
    Q_OBJECT
private slots:
    void anOperationOverTheSamePixelsHidesTheEarlierOne()
    {
        // A readout drawn again every tick, in one colour then the other.
        DrawingList list;
        for (int tick = 0; tick < 3001; ++tick) {
            const DrawOp readout = box(QRect(10, 10, 40, 10), tick % 2 ? Blue : Red);
            list.add(std::span(&readout, 1));
        }
        QCOMPARE(list.size(), std::size_t(2)); // the blank area and the last readout
        QCOMPARE(list.compacted().size(), std::size_t(2));
        Raster raster;
        list.paint(raster);
        QCOMPARE(Probe::opaque(raster.image().pixel(20, 15)), Red);
    }

    void clearingTheWholeAreaStartsAgain()
    {
        DrawingList list;
        const std::vector<DrawOp> frame{box(QRect(10, 10, 40, 10), Red), line({0, 50}, {100, 50}, Blue),
                                        box(QRect(-2, -2, 800, 500), Blue), box(QRect(5, 5, 10, 10), Red)};
        list.add(frame);
        QCOMPARE(list.compacted(), std::vector<DrawOp>(frame.begin() + 2, frame.end()));
    }

    void blocksCoveredByLaterOnesAreDroppedAsTheListGrows_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addRow("x1") << 1;
        QTest::addRow("x3") << 3;
    }
    void blocksCoveredByLaterOnesAreDroppedAsTheListGrows()
    {
        QFETCH(int, scale);
        // A curve traced in short strokes, a box over part of it, then more of the curve.
        std::vector<DrawOp> drawn;
        for (int i = 0; i < 1400; ++i)
            drawn.push_back(line({i % 700, 100 + i / 700}, {i % 700 + 3, 100 + i / 700}, i % 2 ? Red : Blue));
        drawn.push_back(box(QRect(0, 90, 775, 20), Red));
        for (int i = 0; i < 200; ++i)
            drawn.push_back(line({i, 200}, {i + 3, 200}, Blue));
        DrawingList list;
        for (const DrawOp &op : drawn)
            list.add(std::span(&op, 1));
        QCOMPARE(list.size(), std::size_t(1 + 1 + 200));

        Raster kept(scale), all(scale);
        list.paint(kept);
        DrawingList().paint(all);
        for (const DrawOp &op : drawn)
            all.paint(op);
        QCOMPARE(kept.image(), all.image());
    }
};

QTEST_MAIN(TestDrawingList)
#include "tst_drawing_list.moc"

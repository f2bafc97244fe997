// The drawing state the pages rely on: the tools a canvas starts with, the text background a brush
// brings back, and what counts as painting.
#include "canvas_probe.h"

#include <QtTest>

using namespace CanvasProbe;

class TestCanvas : public QObject
{
    Q_OBJECT
private slots:
    void startsWithTheDocumentedTools()
    {
        Canvas c;
        QCOMPARE(c.pen().Color, Colour::Black);
        QCOMPARE(c.pen().Width, 1);
        QCOMPARE(c.pen().Style, PenStyle::Solid);
        QCOMPARE(c.brush().Color, Colour::White);
        QCOMPARE(c.font().Size, 8);
        QCOMPARE(c.image().size(), QSize(775, 465));
    }

    void opaqueBackgroundFillsTheDotGaps()
    {
        Canvas c;
        c.setPenAndBrush(Colour::Lime);
        c.Rectangle(0, 0, 50, 50); // the brush is now in effect: opaque lime background
        c.setPenColor(Colour::Red);
        c.setPenStyle(PenStyle::Dot);
        c.MoveTo(100, 5);
        c.LineTo(124, 5);
        for (int x = 100; x < 124; ++x)
            QCOMPARE(at(c, x, 5), ((x - 100) / 3) % 2 == 0 ? Red : Lime);
    }

    void transparencyLastsUntilTheBrushChanges()
    {
        Canvas c;
        c.setBrushColor(Colour::Lime);
        c.SetBkMode(BkMode::Transparent);
        c.TextOut(10, 10, QStringLiteral("A"));
        QCOMPARE(count(c, QRect(0, 0, 100, 40), Lime), 0);

        c.setBrushColor(Colour::Lime); // the same colour is no change
        c.MoveTo(0, 100);
        c.LineTo(5, 100);              // nor does an operation without the brush
        c.TextOut(10, 30, QStringLiteral("A"));
        QCOMPARE(count(c, QRect(0, 0, 100, 60), Lime), 0);

        c.setBrushColor(Colour::Blue); // a real change: the next text is opaque blue
        c.TextOut(10, 60, QStringLiteral("A"));
        QVERIFY(count(c, QRect(0, 60, 100, 20), Blue) > 10);
    }

    void aShapeWithTheNewBrushAlsoBringsBackTheBackground()
    {
        Canvas c;
        c.SetBkMode(BkMode::Transparent);
        c.setPenAndBrush(Colour::Lime);
        c.Rectangle(200, 200, 210, 210);
        c.setFontColor(Colour::Red);
        c.TextOut(10, 10, QStringLiteral("A"));
        QVERIFY(count(c, QRect(0, 0, 100, 40), Lime) > 10);
    }

    // The drawing area is put back on screen only after a tick that drew something.
    void onlyDrawingCountsAsPainting()
    {
        Canvas c;
        c.image();
        QVERIFY(!c.isPainting());
        c.setPenColor(Colour::Red);
        c.setPenWidth(3);
        c.setBrushColor(Colour::Blue);
        c.setFontSize(12);
        c.SetBkMode(BkMode::Transparent);
        c.MoveTo(10, 10);
        QVERIFY(!c.isPainting());
        c.LineTo(20, 10);
        QVERIFY(c.isPainting());
        c.image();
        QVERIFY(!c.isPainting());
        c.TextOut(0, 0, QStringLiteral("A"));
        QVERIFY(c.isPainting());
    }

    void aPictureTakenEarlierKeepsItsPixels()
    {
        Canvas c;
        const QImage before = c.image();
        c.setPenAndBrush(Colour::Red);
        c.Rectangle(0, 0, 50, 50);
        c.Ellipse(100, 100, 150, 150);
        c.TextOut(200, 200, QStringLiteral("A"));
        QCOMPARE(Probe::inked(before, White), QRect());
        QCOMPARE(at(c, 10, 10), Red);
    }
};

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"

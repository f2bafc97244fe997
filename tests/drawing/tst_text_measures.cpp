// The texts told to a listener: once their frame is drawn, each with the cell the canvas filled.
#include "canvas_probe.h"
#include "drawing/fonts.h"

#include <QtTest>

using namespace CanvasProbe;

class TestTextMeasures : public QObject
{
    Q_OBJECT
private slots:
    void listenerIsToldOfEveryTextOnceItsFrameIsDrawn()
    {
        struct Log : TextListener
        {
            QList<DrawnText> texts;
            void textDrawn(const DrawnText &text) override { texts.append(text); }
        } log;
        Canvas c;
        c.setTextListener(&log);
        c.setBrushColor(Colour::Lime);
        c.setFontName(QStringLiteral("Symbol"));
        c.setFontSize(10);
        c.setFontColor(Colour::Red);
        c.TextOut(30, 40, QStringLiteral("Dj"));
        c.SetBkMode(BkMode::Transparent);
        c.setFontName(QStringLiteral("MS sans Serif"));
        c.TextOut(5, 6, QStringLiteral("Ab"));
        c.setTextListener(nullptr);
        c.TextOut(0, 0, QStringLiteral("unheard"));
        // A later text of its line may still move it.
        QVERIFY(log.texts.isEmpty());
        c.image();

        QCOMPARE(log.texts.size(), 2);
        const DrawnText &greek = log.texts[0];
        QCOMPARE(greek.fontName, QStringLiteral("Symbol"));
        QCOMPARE(greek.points, 10);
        QCOMPARE(greek.colour, Colour::Red);
        QCOMPARE(greek.text, QStringLiteral("Dj"));
        QCOMPARE(greek.shown, Fonts::symbolText(QStringLiteral("Dj")));
        QVERIFY(greek.opaque);
        // The cell told is the one filled.
        QCOMPARE(count(c, QRect(0, 0, Canvas::Width, Canvas::Height), Lime), count(c, greek.cell, Lime));
        QCOMPARE(count(c, greek.cell, Lime) + count(c, greek.cell, Red), greek.cell.width() * greek.cell.height());
        QVERIFY(!log.texts[1].opaque);
        QCOMPARE(log.texts[1].cell.topLeft(), QPoint(5, 6));
    }
};

QTEST_MAIN(TestTextMeasures)
#include "tst_text_measures.moc"

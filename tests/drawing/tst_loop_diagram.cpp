// The loop diagram: its fixed points, fills and colours, its variants, and the still antenna.
#include "drawing/antenna.h"
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"
#include "pixel_probe.h"

#include <QtTest>

namespace {
using Probe::rgb;

// The diagram in one variant over a button-face background, as the menu page draws it.
QImage diagram(DiagramVariant variant, int times = 1)
{
    Canvas c;
    c.setPenAndBrush(Colour::BtnFace);
    c.Rectangle(0, 0, 793, 473);
    for (int i = 0; i < times; ++i)
        drawLoopDiagram(c, variant);
    return c.image().copy();
}

}

class TestLoopDiagram : public QObject
{
    Q_OBJECT
private slots:
    void stillAntennaIsTheTurningOutlineAtItsRestingAngle()
    {
        const AntennaOutline expected = {QPoint(744, 96), QPoint(757, 92), QPoint(693, 49), QPoint(695, 63), QPoint(744, 96)};
        QCOMPARE(AntennaPolygon(StillAntennaAngle), expected);
        const QImage img = diagram(DiagramVariant::Full);
        for (const QPoint &vertex : expected)
            QCOMPARE(img.pixel(vertex), rgb(Colour::Red));
        QCOMPARE(img.pixel(720, 80), rgb(Colour::Navy)); // the pivot on top of it
    }

    void boxesAreFilledOverTheirLines_data()
    {
        QTest::addColumn<QPoint>("inside");
        QTest::addColumn<TColor>("fill");
        QTest::addRow("oscillator") << QPoint(60, 50) << Colour::Lime;
        QTest::addRow("divider") << QPoint(60, 90) << Colour::Lime;
        QTest::addRow("reducer") << QPoint(655, 95) << Colour::Yellow;
        QTest::addRow("gain box") << QPoint(205, 87) << Colour::White;
        QTest::addRow("regulator over the amplifier shaft") << QPoint(290, 80) << Colour::White;
        QTest::addRow("motor") << QPoint(550, 95) << Colour::White;
        QTest::addRow("sensor") << QPoint(545, 45) << Colour::White;
        QTest::addRow("comparator") << QPoint(135, 95) << Colour::White;
        QTest::addRow("comparator frame") << QPoint(105, 100) << Colour::BtnFace;
    }
    void boxesAreFilledOverTheirLines()
    {
        QFETCH(QPoint, inside);
        QFETCH(TColor, fill);
        QCOMPARE(diagram(DiagramVariant::Full).pixel(inside), rgb(fill));
    }

    void outlinesAndShaftsSitOnTheirPixels()
    {
        const QImage img = diagram(DiagramVariant::Full);
        const QRgb red = rgb(Colour::Red);
        QCOMPARE(img.pixel(600, 60), red);             // reducer outline, first corner
        QCOMPARE(img.pixel(659, 99), red);             // and last
        QCOMPARE(img.pixel(620, 100), rgb(Colour::BtnFace));
        QCOMPARE(img.pixel(300, 80), red);             // the amplifier shaft, out of the regulator
        QCOMPARE(img.pixel(35, 64), red);              // oscillator-to-divider arrow
        QCOMPARE(img.pixel(580, 50), red);             // the speed tap
        QCOMPARE(img.pixel(690, 80), rgb(Colour::Navy)); // output shaft
        QCOMPARE(img.pixel(690, 82), rgb(Colour::Navy)); // five pixels thick
        QCOMPARE(img.pixel(690, 83), rgb(Colour::BtnFace));
        // The comparator's dotted frame: from its corner, three navy pixels, then three in the background.
        for (int x = 100; x < 116; ++x)
            QCOMPARE(img.pixel(x, 45), (x - 100) / 3 % 2 ? rgb(Colour::BtnFace) : rgb(Colour::Navy));
    }

    void labelsAreWrittenInTheirColours_data()
    {
        QTest::addColumn<QRect>("cell");
        QTest::addColumn<TColor>("colour");
        QTest::addRow("CONSIGNE") << QRect(1, 100, 70, 13) << Colour::Green;
        QTest::addRow("Radar") << QRect(735, 60, 35, 11) << Colour::Red;
        QTest::addRow("U1") << QRect(300, 55, 16, 13) << Colour::Maroon;
        QTest::addRow("Omega") << QRect(665, 82, 14, 14) << Colour::Highlight;
        QTest::addRow("Oscillateur") << QRect(2, 27, 40, 8) << Colour::Black;
    }
    void labelsAreWrittenInTheirColours()
    {
        QFETCH(QRect, cell);
        QFETCH(TColor, colour);
        const int ink = Probe::count(diagram(DiagramVariant::Full), cell, rgb(colour));
        QVERIFY(ink > 5);
    }

    void redrawingChangesNoPixel()
    {
        for (auto variant : {DiagramVariant::Full, DiagramVariant::Presentation, DiagramVariant::OperatingPoint, DiagramVariant::SpeedChange})
            QCOMPARE(diagram(variant, 3), diagram(variant));
    }

    void variantsDifferOnlyWhereTheyShould_data()
    {
        QTest::addColumn<DiagramVariant>("variant");
        QTest::addColumn<QRect>("changes");
        QTest::addRow("presentation: divider label") << DiagramVariant::Presentation << QRect(0, 78, 72, 16);
        QTest::addRow("operating point: divider labels, no antenna")
            << DiagramVariant::OperatingPoint << QRect(0, 65, 72, 29).united(QRect(690, 45, 70, 55));
        QTest::addRow("speed change: no oscillator, CONSIGNE moved") << DiagramVariant::SpeedChange
                                                                     << QRect(0, 24, 72, 90).united(QRect(690, 45, 70, 55));
    }
    void variantsDifferOnlyWhereTheyShould()
    {
        QFETCH(DiagramVariant, variant);
        QFETCH(QRect, changes);
        const QRect diff = Probe::difference(diagram(DiagramVariant::Full), diagram(variant));
        QVERIFY(!diff.isEmpty());
        QVERIFY2(changes.contains(diff), qPrintable(QStringLiteral("changed %1,%2 %3x%4").arg(diff.x()).arg(diff.y()).arg(diff.width()).arg(diff.height())));
    }

    void speedChangeVariantLeavesTheOscillatorOut()
    {
        const QImage img = diagram(DiagramVariant::SpeedChange);
        QCOMPARE(img.pixel(60, 50), rgb(Colour::BtnFace));
        QCOMPARE(img.pixel(35, 60), rgb(Colour::BtnFace));
        QCOMPARE(img.pixel(70, 80), rgb(Colour::Red)); // the setpoint arrow stays
        QCOMPARE(img.pixel(744, 96), rgb(Colour::BtnFace)); // the page turns the antenna itself
    }
};

QTEST_MAIN(TestLoopDiagram)
#include "tst_loop_diagram.moc"

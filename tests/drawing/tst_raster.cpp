// Pixel rules of the drawing surface that every page relies on, drawn through the operations the
// pages call.
#include "canvas_probe.h"
#include "drawing/fonts.h"
#include "drawing/glyph_cache.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtTest>

using namespace CanvasProbe;

class TestRaster : public QObject
{
    Q_OBJECT
private slots:
    void rectangleCoversUpToButNotIncludingItsSecondCorner()
    {
        Canvas c;
        c.setPenColor(Colour::Red);
        c.setBrushColor(Colour::Blue);
        c.Rectangle(10, 20, 30, 25);
        QCOMPARE(inked(c, White), QRect(QPoint(10, 20), QPoint(29, 24)));
        QCOMPARE(at(c, 10, 20), Red);
        QCOMPARE(at(c, 29, 24), Red);
        QCOMPARE(at(c, 20, 22), Blue);
        QCOMPARE(count(c, QRect(11, 21, 18, 3), Blue), 18 * 3);
    }

    void clearingBeyondTheAreaIsClipped()
    {
        Canvas c;
        c.setPenAndBrush(Colour::Lime);
        c.Rectangle(0, 0, 793, 473);
        QCOMPARE(count(c, QRect(0, 0, 775, 465), Lime), 775 * 465);
    }

    void lineLeavesOutItsEndPixelAndMovesThePen_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("covered");
        QTest::addRow("rightwards") << QPoint(10, 10) << QPoint(20, 10) << QRect(QPoint(10, 10), QPoint(19, 10));
        QTest::addRow("leftwards") << QPoint(20, 10) << QPoint(10, 10) << QRect(QPoint(11, 10), QPoint(20, 10));
        QTest::addRow("downwards") << QPoint(5, 5) << QPoint(5, 15) << QRect(QPoint(5, 5), QPoint(5, 14));
        QTest::addRow("diagonal") << QPoint(0, 0) << QPoint(8, 8) << QRect(QPoint(0, 0), QPoint(7, 7));
    }
    void lineLeavesOutItsEndPixelAndMovesThePen()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, covered);
        Canvas c;
        c.MoveTo(from.x(), from.y());
        c.LineTo(to.x(), to.y());
        QCOMPARE(c.penPos(), to);
        QCOMPARE(inked(c, White), covered);
    }

    void widePenIsCentredWithRoundEnds()
    {
        Canvas c;
        c.setPenWidth(5);
        c.MoveTo(20, 20);
        c.LineTo(40, 20);
        QCOMPARE(inked(c, White), QRect(QPoint(18, 18), QPoint(42, 22))); // both ends, evenly
        QCOMPARE(at(c, 18, 18), White);                                    // rounded corners
        QCOMPARE(at(c, 42, 22), White);
        QCOMPARE(at(c, 18, 20), qRgb(0, 0, 0));
    }

    void dottedPenIsThreeOnThreeOff()
    {
        Canvas c;
        c.setPenStyle(PenStyle::Dot);
        c.setPenColor(Colour::Red);
        c.SetBkMode(BkMode::Transparent);
        c.MoveTo(0, 5);
        c.LineTo(24, 5);
        for (int x = 0; x < 24; ++x)
            QCOMPARE(at(c, x, 5), (x / 3) % 2 == 0 ? Red : White);
    }

    void ellipseStaysInItsBox()
    {
        Canvas c;
        c.setPenColor(Colour::Red);
        c.setBrushColor(Colour::Blue);
        c.Ellipse(110, 55, 160, 105);
        QCOMPARE(inked(c, White), QRect(QPoint(110, 55), QPoint(159, 104)));
        QCOMPARE(at(c, 135, 80), Blue);
        QCOMPARE(at(c, 111, 56), White); // corners of the box stay clear
    }

    void pieRunsCounterClockwiseBetweenItsRadials_data()
    {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QPoint>("end");
        QTest::addColumn<QList<QPoint>>("inside");
        QTest::addColumn<QList<QPoint>>("outside");
        const QPoint upRight(70, 30), upLeft(30, 30), downLeft(30, 70), downRight(70, 70);
        QTest::addRow("first quadrant") << QPoint(100, 50) << QPoint(50, 0)
                                        << QList<QPoint>{upRight} << QList<QPoint>{upLeft, downLeft, downRight};
        QTest::addRow("three quadrants") << QPoint(50, 0) << QPoint(100, 50)
                                         << QList<QPoint>{upLeft, downLeft, downRight} << QList<QPoint>{upRight};
        QTest::addRow("lower half") << QPoint(0, 50) << QPoint(100, 50)
                                    << QList<QPoint>{downLeft, downRight} << QList<QPoint>{upLeft, upRight};
    }
    void pieRunsCounterClockwiseBetweenItsRadials()
    {
        QFETCH(QPoint, start);
        QFETCH(QPoint, end);
        QFETCH(QList<QPoint>, inside);
        QFETCH(QList<QPoint>, outside);
        Canvas c;
        c.setPenAndBrush(Colour::Red);
        c.Pie(0, 0, 101, 101, start.x(), start.y(), end.x(), end.y());
        for (QPoint p : inside)
            QCOMPARE(at(c, p.x(), p.y()), Red);
        for (QPoint p : outside)
            QCOMPARE(at(c, p.x(), p.y()), White);
    }

    void pieOnAFlatEllipseUsesTheRadialsDirections()
    {
        // A radial at 45 degrees on screen, on an ellipse twice as wide as high.
        Canvas c;
        c.setPenAndBrush(Colour::Red);
        c.Pie(0, 0, 201, 101, 200, 50, 150, 0);
        QCOMPARE(at(c, 160, 40), Red);   // below the 45-degree radial
        QCOMPARE(at(c, 120, 15), White); // above it
    }

    void polygonIsOutlinedAndFilled()
    {
        Canvas c;
        c.setPenColor(Colour::Red);
        c.setBrushColor(Colour::Blue);
        const QPoint square[] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 10}};
        c.Polygon(square);
        QCOMPARE(at(c, 20, 20), Blue);
        QCOMPARE(at(c, 10, 20), Red);
        QCOMPARE(at(c, 30, 20), Red);
        QCOMPARE(inked(c, White), QRect(QPoint(10, 10), QPoint(30, 30)));
    }

    void textCellHasItsTopLeftAtThePoint()
    {
        Canvas c;
        c.setFontColor(Colour::Red);
        c.SetBkMode(BkMode::Transparent);
        c.TextOut(100, 50, QStringLiteral("Tg"));
        const QFontMetrics m(Fonts::pageFont(QStringLiteral("MS Sans Serif"), 8));
        const QRect cell(100, 50, m.horizontalAdvance(QStringLiteral("Tg")) + Fonts::GlyphInset, m.height());
        const QRect ink = inked(c, White);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(cell.contains(ink), qPrintable(QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
        // The T sits at the top left of the cell, its glyph one pixel in, besides the face's own
        // bearing of at most a pixel.
        QVERIFY2(ink.top() <= 53 && ink.left() >= 100 + Fonts::GlyphInset && ink.left() <= 101 + Fonts::GlyphInset, qPrintable(QStringLiteral("ink at %1,%2").arg(ink.left()).arg(ink.top())));
        QVERIFY(count(c, ink, Red) > 0);
        QCOMPARE(count(c, ink, Red) + count(c, ink, White), ink.width() * ink.height()); // no smoothing
    }

    void textCopiedFromItsFirstRenderingIsTheTextItself_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("text");
        QTest::addRow("accents") << "MS sans Serif" << 6 << QStringLiteral("Réducteur à courant");
        QTest::addRow("overhangs") << "MS sans Serif" << 15 << QStringLiteral("fj/Wy");
        QTest::addRow("greek") << "Symbol" << 15 << QStringLiteral("j1");
        QTest::addRow("large") << "MS sans Serif" << 12 << QStringLiteral("Des explications");
    }
    void textCopiedFromItsFirstRenderingIsTheTextItself()
    {
        QFETCH(QString, font);
        QFETCH(int, size);
        QFETCH(QString, text);
        QImage direct(Canvas::Width, Canvas::Height, QImage::Format_RGB32);
        direct.fill(Qt::white);
        const QFont qfont = Fonts::pageFont(font, size);
        QPainter p(&direct);
        p.setFont(qfont);
        p.setPen(QColor(Red));
        p.drawText(40 + Fonts::GlyphInset, 30 + QFontMetrics(qfont).ascent(), Fonts::isSymbol(font) ? Fonts::symbolText(text) : text);
        p.end();

        Canvas c;
        c.setFontName(font);
        c.setFontSize(size);
        c.setFontColor(Colour::Red);
        c.SetBkMode(BkMode::Transparent);
        for (int i = 0; i < 2; ++i) // drawn once fresh, once from what was kept
            c.TextOut(40, 30, text);
        QCOMPARE(c.image(), direct);
    }

    void opaqueTextFillsItsCellWithTheBrushColour()
    {
        Canvas c;
        c.setBrushColor(Colour::Lime);
        c.setFontColor(Colour::Red);
        c.TextOut(10, 10, QStringLiteral("Ab"));
        const QFontMetrics m(Fonts::pageFont(QStringLiteral("MS Sans Serif"), 8));
        const QRect cell(10, 10, m.horizontalAdvance(QStringLiteral("Ab")) + Fonts::GlyphInset, m.height());
        QCOMPARE(inked(c, White), cell);
        QCOMPARE(count(c, cell, Lime) + count(c, cell, Red), cell.width() * cell.height());
        QVERIFY(count(c, cell, Red) > 0);
    }

    // Shapes are rasterised once and then repeated from the pixels kept: a repeat must take the
    // pen and brush of its own moment, and clip as a first drawing does.
    void shapeRepeatedFromWhatWasKeptTakesTheNewColours_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("width");
        QTest::addRow("wide polygon") << 0 << 3;
        QTest::addRow("wide ellipse") << 1 << 3;
        QTest::addRow("thin pie") << 2 << 1;
        QTest::addRow("wide line") << 3 << 10;
        QTest::addRow("wide rectangle") << 4 << 4;
        QTest::addRow("ellipse across the edge") << 5 << 2;
    }
    void shapeRepeatedFromWhatWasKeptTakesTheNewColours()
    {
        QFETCH(int, shape);
        QFETCH(int, width);
        const auto draw = [&](Canvas &c, TColor pen, TColor brush) {
            c.setPenWidth(width);
            c.setPenColor(pen);
            c.setBrushColor(brush);
            const QPoint outline[] = {{700, 50}, {740, 60}, {745, 100}, {705, 95}, {700, 50}};
            switch (shape) {
            case 0: c.Polygon(outline); break;
            case 1: c.Ellipse(250, 250, 450, 450); break;
            case 2: c.Pie(250, 250, 450, 450, 349, 250, 300, 263); break;
            case 3: c.MoveTo(350, 345); c.LineTo(550, 345); break;
            case 4: c.Rectangle(20, 20, 80, 60); break;
            case 5: c.Ellipse(740, 430, 800, 480); break;
            }
        };
        Canvas once, twice;
        draw(once, Colour::Lime, Colour::Yellow);
        draw(twice, Colour::Red, Colour::Blue);
        draw(twice, Colour::Lime, Colour::Yellow);
        QVERIFY(count(once, once.image().rect(), Lime) > 0);
        QCOMPARE(twice.image(), once.image());
    }

    void keptShapesAreToldApartByPenWidthAndKind()
    {
        Canvas c;
        const auto clear = [&] { c.setPenWidth(1); c.setPenAndBrush(Colour::White); c.Rectangle(0, 0, 775, 465); };
        for (int width : {2, 6}) {
            clear();
            c.setPenWidth(width);
            c.setPenColor(Colour::Red);
            c.MoveTo(20, 20);
            c.LineTo(60, 20);
            QCOMPARE(inked(c, White).height(), width);
        }
        clear();
        c.setPenAndBrush(Colour::Red);
        c.Ellipse(0, 0, 101, 101);
        const int wholeEllipse = count(c, QRect(0, 0, 101, 101), Red);
        clear();
        c.setPenAndBrush(Colour::Red);
        c.Pie(0, 0, 101, 101, 100, 50, 50, 0);
        QVERIFY(count(c, QRect(0, 0, 101, 101), Red) < wholeEllipse / 2);
    }

    void textCutByTheEdgeKeepsItsPlace()
    {
        const QString text = QStringLiteral("Wg");
        const auto write = [&](Canvas &c, int x, int y) {
            c.setFontSize(15);
            c.setFontColor(Colour::Red);
            c.SetBkMode(BkMode::Transparent);
            c.TextOut(x, y, text);
        };
        Canvas whole, right, left;
        write(whole, 100, 100);
        write(right, Canvas::Width - 10, Canvas::Height - 8);
        write(left, -7, -5);
        QCOMPARE(right.image().copy(Canvas::Width - 10, Canvas::Height - 8, 10, 8), whole.image().copy(100, 100, 10, 8));
        QCOMPARE(left.image().copy(0, 0, 20, 20), whole.image().copy(107, 105, 20, 20));
        QVERIFY(count(right, QRect(Canvas::Width - 10, Canvas::Height - 8, 10, 8), Red) > 0);
    }

    void lineTooLongForTheAreaClosesUpItsWordSpaces()
    {
        const QString line = QStringLiteral("La fonction de transfert du capteur de vitesse : ");
        const auto write = [&](Canvas &c, int x) {
            c.setFontColor(Colour::Blue);
            c.SetBkMode(BkMode::Transparent);
            c.TextOut(x, 360, line);
            return inked(c, White);
        };
        // Three pixels too long for the room left where it is written.
        const int x = Canvas::Width - Fonts::GlyphInset - QFontMetrics(Fonts::pageFont(QStringLiteral("MS Sans Serif"), 8)).horizontalAdvance(line.trimmed()) + 3;
        Canvas atEdge, further;
        const QRect fitted = write(atEdge, x), natural = write(further, 300);
        // Every glyph is drawn whole, closer together.
        QCOMPARE(count(atEdge, fitted, Blue), count(further, natural, Blue));
        QVERIFY(fitted.width() < natural.width());

        // Trailing spaces may run past the edge: the words keep their spacing.
        const QString words = QStringLiteral("de vitesse : ");
        const int left = Canvas::Width - Fonts::GlyphInset - QFontMetrics(Fonts::pageFont(QStringLiteral("MS Sans Serif"), 8)).horizontalAdvance(words.trimmed());
        Canvas edge, inside;
        for (auto [c, at] : {std::pair{&edge, left}, std::pair{&inside, 100}}) {
            c->setFontColor(Colour::Blue);
            c->SetBkMode(BkMode::Transparent);
            c->TextOut(at, 360, words);
        }
        QCOMPARE(edge.image().copy(left, 360, Canvas::Width - left, 20), inside.image().copy(100, 360, Canvas::Width - left, 20));
    }

    void smoothedTextIsKeptAsAnImage()
    {
        GlyphCache cache;
        QFont smooth = Fonts::pageFont(QStringLiteral("MS Sans Serif"), 15);
        smooth.setStyleStrategy(QFont::PreferAntialias);
        const GlyphCache::Run &smoothRun = cache.run(QStringLiteral("Wg"), smooth, 1, Red);
        QVERIFY(!smoothRun.inkOnly);
        QVERIFY(!smoothRun.glyphs.isNull());
        const GlyphCache::Run &plainRun = cache.run(QStringLiteral("Wg"), Fonts::pageFont(QStringLiteral("MS Sans Serif"), 15), 2, Red);
        QVERIFY(plainRun.inkOnly);
        QVERIFY(!plainRun.ink.empty());
    }
};

QTEST_MAIN(TestRaster)
#include "tst_raster.moc"

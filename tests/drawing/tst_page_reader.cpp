// The page read back as text: which drawn texts the picture still shows, their reading order,
// and the Greek letters merged into the lines whose gaps they fill.
#include "drawing/canvas.h"
#include "drawing/page_reader.h"
#include "drawing/page_text.h"

#include <QtTest>

namespace {
using namespace FontFace;
using namespace Colour;

// A clear area with `texts` written on it, transparently, as the pages write.
struct Page
{
    Canvas canvas;
    PageReader reader;

    explicit Page(const QList<PageText> &texts = {})
    {
        canvas.setTextListener(&reader);
        canvas.setPenAndBrush(BtnFace);
        canvas.Rectangle(0, 0, 793, 473);
        canvas.SetBkMode(BkMode::Transparent);
        drawTexts(canvas, texts);
    }
    QString read() { return reader.read(canvas.image()); }
};
}

class TestPageReader : public QObject
{
    Q_OBJECT
private slots:
    void readsInOrderWithTheGreekInPlace_data()
    {
        QTest::addColumn<QList<PageText>>("texts");
        QTest::addColumn<QString>("read");
        QTest::addRow("Greek letters in their gaps")
            << QList<PageText>{{1, 165, Sans, 8, Blue, "sa pulsation :      = 2    ft = 2000    t"}, {70, 165, Symbol, 8, Blue, "j"},
                               {97, 165, Symbol, 8, Blue, "p"}, {155, 165, Symbol, 8, Blue, "p"}}
            << "sa pulsation : φ = 2πft = 2000πt";
        QTest::addRow("a Greek word set apart")
            << QList<PageText>{{1, 400, Sans, 8, Navy, "La vitesse      est constante = 2,5V*(25/2   ) = 10tr/s."},
                               {52, 400, Symbol, 8, Navy, "W1"}, {197, 400, Symbol, 8, Navy, "p"}}
            << "La vitesse Ω1 est constante = 2,5V*(25/2π) = 10tr/s.";
        QTest::addRow("Greek letters beside a line, as it reads them")
            << QList<PageText>{{600, 315, Sans, 8, Blue, "comme une rampe de pente 2000"}, {760, 315, Symbol, 8, Blue, "p."},
                               {385, 386, Symbol, 8, Black, "p"}, {391, 386, Sans, 8, Black, "/4"},
                               {250, 220, Sans, 10, Blue, "(phase     =wt -      )"}, {292, 220, Symbol, 10, Blue, "j1"}, {333, 220, Symbol, 10, Blue, "Dj"}}
            << "(phase φ1=wt - Δφ)\ncomme une rampe de pente 2000π.\nπ/4";
        QTest::addRow("a Greek letter past a line's trailing spaces")
            << QList<PageText>{{600, 315, Sans, 8, Blue, "comme une rampe de pente 2000    "}, {760, 315, Symbol, 8, Blue, "p."}}
            << "comme une rampe de pente 2000π.";
        QTest::addRow("a Greek label alone") << QList<PageText>{{100, 100, Symbol, 12, Blue, "Dj"}} << "Δφ";
        QTest::addRow("top to bottom, left to right")
            << QList<PageText>{{300, 50, Sans, 8, Black, "Gcp"}, {10, 80, Sans, 8, Black, "Radar"}, {10, 10, Sans, 8, Black, "Oscillateur"}}
            << "Oscillateur\nGcp\nRadar";
        QTest::addRow("a label's lines before what lies beside them")
            << QList<PageText>{{10, 10, Sans, 8, Blue, "Diviseur de"}, {200, 15, Sans, 8, Blue, "Gcp"}, {10, 23, Sans, 8, Blue, "fréquence"}}
            << "Diviseur de\nfréquence\nGcp";
        QTest::addRow("texts that follow each other on a row")
            << QList<PageText>{{100, 265, Sans, 8, Red, "Sa valeur moyenne U0 = 2,5V."}, {1, 265, Sans, 8, Green, "de fréquence 2 kHz."}}
            << "de fréquence 2 kHz. Sa valeur moyenne U0 = 2,5V.";
    }
    void readsInOrderWithTheGreekInPlace()
    {
        QFETCH(QList<PageText>, texts);
        QFETCH(QString, read);
        QCOMPARE(Page(texts).read(), read);
    }

    void readsOnlyWhatIsStillShown()
    {
        const PageText hint{587, 415, Sans, 10, Green, "Observer la"};
        Page erased({hint});
        drawText(erased.canvas, {587, 415, Sans, 10, BtnFace, "Observer la"});
        QCOMPARE(erased.read(), QString());

        Page covered({hint, {10, 10, Sans, 8, Blue, "Gcp"}});
        covered.canvas.setPenAndBrush(Yellow);
        covered.canvas.Rectangle(580, 410, 700, 440);
        QCOMPARE(covered.read(), QStringLiteral("Gcp"));
        QCOMPARE(covered.reader.kept(), 1); // what is gone is forgotten

        // A value written over the last on an opaque cell, sharing its first glyphs.
        Page value({{363, 280, Sans, 8, Red, "3.7"}});
        value.canvas.SetBkMode(BkMode::Opaque);
        drawText(value.canvas, {363, 280, Sans, 8, Red, "3.75"});
        QCOMPARE(value.read(), QStringLiteral("3.75"));

        // A live value drawn again over a cleared area, transparently, its ink mostly where the
        // last one's was.
        Page live({{5, 366, Sans, 8, Black, "Glissements de cycle : 453"}});
        live.canvas.setPenAndBrush(BtnFace);
        live.canvas.Rectangle(0, 0, 793, 473);
        live.canvas.SetBkMode(BkMode::Transparent);
        drawText(live.canvas, {5, 366, Sans, 8, Black, "Glissements de cycle : 454"});
        QCOMPARE(live.read(), QStringLiteral("Glissements de cycle : 454"));
    }

    void keepsABoundedNumberOfTexts()
    {
        Page page;
        for (int i = 0; i < PageReader::MostKept + 100; ++i)
            drawText(page.canvas, {i % 700, (i / 700) * 20, Sans, 8, BtnFace, QString::number(i)});
        QVERIFY(page.reader.kept() <= PageReader::MostKept);
        drawText(page.canvas, {10, 440, Sans, 8, Black, "dernier"});
        QCOMPARE(page.read(), QStringLiteral("dernier"));
    }
};

QTEST_MAIN(TestPageReader)
#include "tst_page_reader.moc"

// The page faces: the program's own files, sized at 96 dots per inch, and the symbol face's Greek
// letters.
#include "drawing/canvas.h"
#include "drawing/fonts.h"

#include <QFile>
#include <QRawFont>
#include <QtTest>

class TestFonts : public QObject
{
    Q_OBJECT
private slots:
    void fontSizesAreTakenAtNinetySixDotsPerInch_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("pixels");
        // Below 8 points the page face is drawn at its 8-point size, the smallest that reads.
        for (auto [pt, px] : {std::pair{4, 11}, {6, 11}, {8, 11}, {10, 13}, {12, 16}, {15, 20}})
            QTest::addRow("%d pt", pt) << pt << px;
    }
    void fontSizesAreTakenAtNinetySixDotsPerInch()
    {
        QFETCH(int, points);
        QFETCH(int, pixels);
        QCOMPARE(Fonts::pageFont(QStringLiteral("MS sans Serif"), points).pixelSize(), pixels);
    }

    // Another version of the same face installed on the machine must not stand in for ours.
    void pageFacesAreTheEmbeddedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("file");
        QTest::addRow("small labels") << "MS sans Serif" << 6 << ":/fonts/PLLText-Regular.ttf";
        QTest::addRow("small text") << "MS sans Serif" << 8 << ":/fonts/PLLText-Regular.ttf";
        QTest::addRow("text") << "MS sans Serif" << 10 << ":/fonts/PLLSans-Regular.ttf";
        QTest::addRow("symbol") << "Symbol" << 8 << ":/fonts/PLLSerif-Regular.ttf";
    }
    void pageFacesAreTheEmbeddedFiles()
    {
        QFETCH(QString, name);
        QFETCH(int, points);
        QFETCH(QString, file);
        Fonts::registerEmbedded();
        QFile embedded(file);
        QVERIFY(embedded.open(QIODevice::ReadOnly));
        const QRawFont ours(embedded.readAll(), 11);
        const QRawFont used = QRawFont::fromFont(Fonts::pageFont(name, points));
        QCOMPARE(used.familyName(), ours.familyName());
        QCOMPARE(used.fontTable("head"), ours.fontTable("head"));
    }

    void symbolFontShowsGreekLetters()
    {
        QCOMPARE(Fonts::symbolText(QStringLiteral("j1/W1")), QString::fromUtf8("ϕ1/Ω1"));
        QCOMPARE(Fonts::symbolText(QStringLiteral("Dj p.")), QString::fromUtf8("Δϕ π."));

        Canvas greek, latin;
        for (auto [canvas, name] : {std::pair{&greek, "Symbol"}, {&latin, "MS sans Serif"}}) {
            canvas->setFontName(QString::fromLatin1(name));
            canvas->setFontSize(15);
            canvas->SetBkMode(BkMode::Transparent);
            canvas->TextOut(0, 0, QStringLiteral("p"));
        }
        QVERIFY(greek.image() != latin.image());
    }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"

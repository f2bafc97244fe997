// Saving the picture: the format and scale the user chose, files of the right size, and writes
// that cannot be made refused with a French reason, leaving nothing behind. The vector formats'
// drawing, page by page, is tst_vector_pictures'.
#include "app/picture_file.h"
#include "drawing/canvas.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(PictureFile::Choice)
Q_DECLARE_METATYPE(PictureFile::Format)

namespace {
Canvas::Snapshot bluePicture()
{
    Canvas canvas;
    canvas.setPenAndBrush(Colour::Blue);
    canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    return canvas.snapshot();
}

QString pdfText(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    return pdftotext.waitForFinished() && pdftotext.exitCode() == 0 ? QString::fromUtf8(pdftotext.readAllStandardOutput())
                                                                   : QStringLiteral("pdftotext failed");
}
}

class TestPictureFile : public QObject
{
    Q_OBJECT
    QTemporaryDir folder;

private slots:
    void theNameOrTheFilterChoosesTheFormat_data()
    {
        using enum PictureFile::Format;
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter"); // index in the dialog's list: PNG x1 to x4, PDF, SVG
        QTest::addColumn<QString>("path");
        QTest::addColumn<PictureFile::Format>("format");
        QTest::addColumn<int>("scale");
        QTest::addRow("png named, x3 filter") << "a.png" << 2 << "a.png" << Png << 3;
        QTest::addRow("pdf named, png filter") << "a.PDF" << 0 << "a.PDF" << Pdf << 1;
        QTest::addRow("svg named, pdf filter") << "a.Svg" << 4 << "a.Svg" << Svg << 1;
        QTest::addRow("png named, pdf filter") << "a.png" << 4 << "a.png" << Png << 2;
        QTest::addRow("png named, svg filter") << "a.png" << 5 << "a.png" << Png << 2;
        QTest::addRow("no suffix, pdf filter") << "a" << 4 << "a.pdf" << Pdf << 1;
        QTest::addRow("no suffix, svg filter") << "a" << 5 << "a.svg" << Svg << 1;
        QTest::addRow("no suffix, x4 filter") << "a" << 3 << "a.png" << Png << 4;
    }
    void theNameOrTheFilterChoosesTheFormat()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(PictureFile::Format, format);
        QString path = typed;
        const PictureFile::Choice choice = PictureFile::choose(path, PictureFile::filters().at(filter), 2);
        QTEST(path, "path");
        QCOMPARE(choice.format, format);
        if (format == PictureFile::Format::Png)
            QTEST(choice.scale, "scale");
        QCOMPARE(PictureFile::filter(choice), PictureFile::filters().at(format == PictureFile::Format::Png ? choice.scale - 1
                                                                                                          : int(format) + 3));
    }

    void writesThePictureInTheFormatChosen_data()
    {
        QTest::addColumn<PictureFile::Choice>("choice");
        QTest::addColumn<QByteArray>("start");
        QTest::addRow("png x3") << PictureFile::Choice{PictureFile::Format::Png, 3} << QByteArray("\x89PNG");
        QTest::addRow("pdf") << PictureFile::Choice{PictureFile::Format::Pdf, 1} << QByteArray("%PDF-");
        QTest::addRow("svg") << PictureFile::Choice{PictureFile::Format::Svg, 1} << QByteArray("<?xml");
    }
    void writesThePictureInTheFormatChosen()
    {
        QFETCH(PictureFile::Choice, choice);
        QFETCH(QByteArray, start);
        const QString path = folder.filePath(QStringLiteral("picture"));
        QCOMPARE(PictureFile::save(path, choice, bluePicture()), QString());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.read(start.size()), start);
        if (choice.format == PictureFile::Format::Png)
            QCOMPARE(QImage(path).size(), QSize(Canvas::Width * 3, Canvas::Height * 3));
    }

    // A searchable PDF holds only what the picture shows: no reading erased since, no label a
    // later drawing covers.
    void aTextNoLongerShownIsNotInTheFile()
    {
        Canvas canvas;
        canvas.SetBkMode(BkMode::Transparent);
        canvas.setFontColor(Colour::Black);
        canvas.TextOut(10, 10, QStringLiteral("Erased"));
        canvas.setFontColor(Colour::White);
        canvas.TextOut(10, 10, QStringLiteral("Erased"));
        canvas.setFontColor(Colour::Black);
        canvas.TextOut(10, 40, QStringLiteral("Covered"));
        canvas.setPenAndBrush(Colour::Blue);
        canvas.Rectangle(5, 35, 200, 70);
        canvas.setFontColor(Colour::Black);
        canvas.TextOut(10, 100, QStringLiteral("Shown"));
        canvas.setPenAndBrush(Colour::Blue);
        canvas.Rectangle(5, 95, 25, 130); // covers a part of it only
        const QString pdf = folder.filePath(QStringLiteral("texts.pdf"));
        QCOMPARE(PictureFile::save(pdf, {PictureFile::Format::Pdf, 1}, canvas.snapshot()), QString());
        QCOMPARE(pdfText(pdf).simplified(), QStringLiteral("Shown"));
    }

    void aWriteThatCannotBeMadeIsRefusedAndLeavesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::addRow("a folder's name") << "taken.png" << "c'est le nom d'un dossier";
        QTest::addRow("no such folder") << "missing/picture.png" << "n'existe pas";
    }
    void aWriteThatCannotBeMadeIsRefusedAndLeavesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir place;
        QVERIFY(QDir(place.path()).mkdir(QStringLiteral("taken.png")));
        const QString message = PictureFile::save(place.filePath(name), {PictureFile::Format::Png, 1}, bluePicture());
        QVERIFY2(message.startsWith(QStringLiteral("L'image n'a pas été enregistrée dans « ")) && message.contains(reason),
                 qPrintable(message));
        QCOMPARE(QDir(place.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{QStringLiteral("taken.png")});
        QVERIFY(QDir(place.filePath(QStringLiteral("taken.png"))).isEmpty());
    }
};

QTEST_MAIN(TestPictureFile)
#include "tst_picture_file.moc"

// Saving the picture: the format and scale the user chose, files of the right size, and writes
// that cannot be made refused with a French reason, leaving nothing behind.
#include "app/picture_file.h"
#include "drawing/canvas.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QImage pictureAt(int scale)
{
    QImage image(Canvas::Width * scale, Canvas::Height * scale, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}
}

class TestPictureFile : public QObject
{
    Q_OBJECT
    QTemporaryDir folder;

private slots:
    void theNameOrTheFilterChoosesTheFormat_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter"); // index in the dialog's list: PNG x1 to x4, then PDF
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<int>("scale");
        QTest::addRow("png named, x3 filter") << "a.png" << 2 << "a.png" << false << 3;
        QTest::addRow("pdf named, png filter") << "a.PDF" << 0 << "a.PDF" << true << 1;
        QTest::addRow("png named, pdf filter") << "a.png" << 4 << "a.png" << false << 2;
        QTest::addRow("no suffix, pdf filter") << "a" << 4 << "a.pdf" << true << 1;
        QTest::addRow("no suffix, x4 filter") << "a" << 3 << "a.png" << false << 4;
    }
    void theNameOrTheFilterChoosesTheFormat()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QString path = typed;
        const PictureFile::Choice choice = PictureFile::choose(path, PictureFile::filters().at(filter), 2);
        QTEST(path, "path");
        QTEST(choice.pdf, "pdf");
        if (!choice.pdf)
            QTEST(choice.scale, "scale");
    }

    void writesThePictureAtTheScaleChosen()
    {
        const QString png = folder.filePath(QStringLiteral("picture.png"));
        QCOMPARE(PictureFile::save(png, {false, 3}, pictureAt), QString());
        QCOMPARE(QImage(png).size(), QSize(Canvas::Width * 3, Canvas::Height * 3));
        const QString pdf = folder.filePath(QStringLiteral("picture.pdf"));
        QCOMPARE(PictureFile::save(pdf, {true, 1}, pictureAt), QString());
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(5) == "%PDF-");
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
        const QString message = PictureFile::save(place.filePath(name), {false, 1}, pictureAt);
        QVERIFY2(message.startsWith(QStringLiteral("L'image n'a pas été enregistrée dans « ")) && message.contains(reason),
                 qPrintable(message));
        QCOMPARE(QDir(place.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{QStringLiteral("taken.png")});
        QVERIFY(QDir(place.filePath(QStringLiteral("taken.png"))).isEmpty());
    }
};

QTEST_MAIN(TestPictureFile)
#include "tst_picture_file.moc"

// Pictures found in the resources by name, drawn opaque or with their bottom left colour left out.
#include "canvas_probe.h"
#include "drawing/picture.h"

#include <QtTest>
#include <stdexcept>

using namespace CanvasProbe;

class TestPicture : public QObject
{
    Q_OBJECT
private slots:
    void transparentPictureLeavesOutItsBottomLeftColour()
    {
        Picture picture = Picture::fromResource(QStringLiteral("SAMPLE"), QStringLiteral(":/testpictures"));
        QCOMPARE(picture.size(), QSize(4, 3));
        Canvas c;
        c.setPenAndBrush(Colour::Lime);
        c.Rectangle(0, 0, 20, 20);
        c.Draw(5, 5, picture);
        QCOMPARE(at(c, 6, 5), White); // drawn opaque, white is white
        picture.setTransparent(true);
        c.Draw(5, 5, picture);
        QCOMPARE(at(c, 5, 5), Red);
        QCOMPARE(at(c, 7, 5), Blue);
        QCOMPARE(at(c, 6, 5), White); // unchanged from the opaque draw beneath
        c.Rectangle(0, 0, 20, 20);
        c.Draw(5, 5, picture);
        QCOMPARE(at(c, 6, 5), Lime);  // the background shows through
        QCOMPARE(at(c, 6, 6), Red);
    }

    void picturesAreFoundByNameInAnyCase()
    {
        for (const char *name : {"sample", "Sample", "SAMPLE"})
            QCOMPARE(Picture::fromResource(QString::fromLatin1(name), QStringLiteral(":/testpictures")).size(), QSize(4, 3));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Picture::fromResource(QStringLiteral("absent"), QStringLiteral(":/testpictures")));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"

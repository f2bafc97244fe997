// The modelling topic through the real window: its page, its five buttons and its pictures.
#include "app/application.h"
#include "pages/page_state.h"
#include "app/tpll.h"
#include "pixel_probe.h"
#include "window_fixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

using Probe::rgb;

namespace {
// Is `picture` drawn with its top left at `at`? Where it is transparent the page must show
// `under`, unless the page held something else there (under = 0: not checked).
bool drawnAt(const QImage &canvas, const Picture &picture, QPoint at, QRgb under = 0)
{
    const QImage &pixels = picture.drawable();
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb p = pixels.pixel(x, y);
            if (qAlpha(p) == 0 && under == 0)
                continue;
            const QRgb expected = qAlpha(p) == 0 ? under : p;
            if (Probe::opaque(canvas.pixel(at.x() + x, at.y() + y)) != Probe::opaque(expected))
                return false;
        }
    return true;
}
}

class TestModelling : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    const QImage &picture() { return w->canvas().image(); }
    void click(QPushButton *b)
    {
        QVERIFY(b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void openTopic()
    {
        const QRect r = w->ListBox1->visualItemRect(w->ListBox1->item(1));
        QTest::mouseClick(w->ListBox1->viewport(), Qt::LeftButton, {}, r.center());
        w->Timer1Timer();
        click(w->Button1);
        w->Timer1Timer();
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init() { w = openWindow(); }
    void cleanup() { w.reset(); }

    void picturesAreCarriedUnderTheirNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("colours"); // 0: 24-bit
        QTest::addRow("PDFILTRE") << "PDfiltre" << QSize(210, 60) << 0;
        QTest::addRow("SCHEMAPD") << "schemapd" << QSize(400, 211) << 0;
        QTest::addRow("PLLMODEL") << "pllmodel" << QSize(556, 180) << 16;
        QTest::addRow("PLLBONC") << "PLLBOnc" << QSize(482, 350) << 4;
        QTest::addRow("PLLBOC") << "PLLBOc" << QSize(603, 426) << 16;
        QTest::addRow("REGUL") << "regul" << QSize(624, 412) << 32;
    }
    void picturesAreCarriedUnderTheirNames()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(int, colours);
        for (const QString &spelling : {name, name.toUpper(), name.toLower()})
            QCOMPARE(Picture::fromResource(spelling).size(), size);
        const QImage file(QStringLiteral(":/pictures/%1.png").arg(QString::fromLatin1(QTest::currentDataTag())));
        QCOMPARE(file.format() == QImage::Format_Indexed8, colours > 0);
        if (colours > 0)
            QVERIFY(file.colorCount() <= colours);
        // The bottom-left colour is the background: most of the picture, and cut out when drawn.
        const QRgb key = file.pixel(0, file.height() - 1);
        QVERIFY(Probe::count(file.convertToFormat(QImage::Format_RGB32), file.rect(), key) > file.width() * file.height() / 2);
        Picture cut = Picture::fromResource(name);
        cut.setTransparent(true);
        QCOMPARE(qAlpha(cut.drawable().pixel(0, size.height() - 1)), 0);
    }

    void startButtonOpensThePageOnce()
    {
        openTopic();
        QCOMPARE(PageStep, -3);
        QVERIFY(w->ButtonMod->isVisible());
        QVERIFY(w->Button1->isVisible());
        QVERIFY(Probe::count(picture(), QRect(240, 136, 200, 16), rgb(Colour::Highlight)) > 50); // the title
        QCOMPARE(picture().pixel(630, 90), rgb(Colour::Yellow));                                  // the diagram
        const QImage page = picture().copy();
        w->Timer1Timer();
        QCOMPARE(picture(), page);
    }

    void visualiserShowsTheBlockModel()
    {
        openTopic();
        click(w->ButtonMod);
        QVERIFY(!w->ButtonMod->isVisible());
        QVERIFY(w->ButtonBOnc->isVisible());
        QVERIFY(w->ButtonBOc->isVisible());
        QVERIFY(drawnAt(picture(), w->stage().PllModelBitmap, {80, 150}, rgb(Colour::BtnFace)));
        QVERIFY(Probe::count(picture(), QRect(100, 350, 600, 14), rgb(Colour::Blue)) > 100);
    }

    void analysisPagesShowTheirPicture_data()
    {
        QTest::addColumn<int>("button"); // 0 without regulator, 1 with, 2 the regulator itself
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("regulatorButton");
        QTest::addRow("without regulator") << 0 << QPoint(150, 80) << false;
        QTest::addRow("with regulator") << 1 << QPoint(80, 20) << true;
        QTest::addRow("regulator") << 2 << QPoint(80, 20) << false;
    }
    void analysisPagesShowTheirPicture()
    {
        QFETCH(int, button);
        QFETCH(QPoint, at);
        QFETCH(bool, regulatorButton);
        openTopic();
        click(w->ButtonMod);
        click(button == 0 ? w->ButtonBOnc : w->ButtonBOc);
        if (button == 2)
            click(w->Buttonregul);
        Picture *shown[] = {&w->stage().PllBoncBitmap, &w->stage().PllBocBitmap, &w->stage().RegulBitmap};
        // The open-loop picture with the regulator lies over the page's red texts.
        QVERIFY(drawnAt(picture(), *shown[button], at, button == 1 ? 0 : rgb(Colour::BtnFace)));
        QVERIFY(!w->Button1->isVisible());
        QVERIFY(!w->ButtonBOnc->isVisible());
        QVERIFY(w->ButtonPP->isVisible());
        QCOMPARE(w->Buttonregul->isVisible(), regulatorButton);
        QCOMPARE(PageStep, -3);
        // Nothing of the model page is left.
        QCOMPARE(Probe::count(picture(), QRect(630, 90, 1, 1), rgb(Colour::Yellow)), 0);
    }

    void redTextsShowThroughTheOpenLoopPicture()
    {
        openTopic();
        click(w->ButtonMod);
        click(w->ButtonBOc);
        QVERIFY(Probe::count(picture(), QRect(600, 200, 120, 28), rgb(Colour::Red)) > 80);
    }

    void returnDrawsTheModelAtOnce()
    {
        openTopic();
        click(w->ButtonMod);
        click(w->ButtonBOnc);
        click(w->ButtonPP);
        QCOMPARE(PageStep, -2);
        QCOMPARE(ShowModelButton, 0);
        QVERIFY(w->Button1->isVisible());
        QVERIFY(!w->ButtonPP->isVisible());
        QVERIFY(w->ButtonBOnc->isVisible() && w->ButtonBOc->isVisible());
        QVERIFY(drawnAt(picture(), w->stage().PllModelBitmap, {80, 150}, rgb(Colour::BtnFace)));
        w->Timer1Timer(); // the diagram and title above the model, without the "Visualiser" button
        QCOMPARE(PageStep, -3);
        QVERIFY(!w->ButtonMod->isVisible());
        QCOMPARE(picture().pixel(630, 90), rgb(Colour::Yellow));

        click(w->Button1); // the start button opens the page afresh, with its button
        w->Timer1Timer();
        QVERIFY(w->ButtonMod->isVisible());
    }

    void leavingTheTopicHidesItsButtons()
    {
        openTopic();
        click(w->ButtonMod);
        click(w->ButtonBOc);
        const QRect r = w->ListBox1->visualItemRect(w->ListBox1->item(2));
        QTest::mouseClick(w->ListBox1->viewport(), Qt::LeftButton, {}, r.center());
        w->Timer1Timer();
        for (QPushButton *b : {w->ButtonMod, w->ButtonBOnc, w->ButtonBOc, w->Buttonregul, w->ButtonPP})
            QVERIFY(!b->isVisible());
    }
};

QTEST_MAIN(TestModelling)
#include "tst_modelling.moc"

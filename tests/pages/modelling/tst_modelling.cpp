// The modelling topic on a bare stage, no window: its page, its five buttons and its pictures.
#include "app/application.h"
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

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
    std::unique_ptr<Stage> stage;

    const QImage &picture() { return stage->canvas.image(); }
    bool shown(Control c) { return stage->controls.isShown(c); }
    void tick() { PageTick(*stage); }
    // A button the page shows, pressed.
    void press(Control c)
    {
        QVERIFY(shown(c));
        commandOf(c)(*stage);
    }
    void openTopic()
    {
        Choix(*stage, 1);
        tick();
        press(Control::Button1);
        tick();
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init()
    {
        resetPageState();
        stage = std::make_unique<Stage>();
    }
    void cleanup() { stage.reset(); }

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
        QVERIFY(shown(Control::ButtonMod));
        QVERIFY(shown(Control::Button1));
        QVERIFY(Probe::count(picture(), QRect(240, 136, 200, 16), rgb(Colour::Highlight)) > 50); // the title
        QCOMPARE(picture().pixel(630, 90), rgb(Colour::Yellow));                                  // the diagram
        const QImage page = picture().copy();
        tick();
        QCOMPARE(picture(), page);
    }

    void visualiserShowsTheBlockModel()
    {
        openTopic();
        press(Control::ButtonMod);
        QVERIFY(!shown(Control::ButtonMod));
        QVERIFY(shown(Control::ButtonBOnc));
        QVERIFY(shown(Control::ButtonBOc));
        QVERIFY(drawnAt(picture(), stage->PllModelBitmap, {80, 150}, rgb(Colour::BtnFace)));
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
        press(Control::ButtonMod);
        press(button == 0 ? Control::ButtonBOnc : Control::ButtonBOc);
        if (button == 2)
            press(Control::Buttonregul);
        Picture *drawn[] = {&stage->PllBoncBitmap, &stage->PllBocBitmap, &stage->RegulBitmap};
        // The open-loop picture with the regulator lies over the page's red texts.
        QVERIFY(drawnAt(picture(), *drawn[button], at, button == 1 ? 0 : rgb(Colour::BtnFace)));
        QVERIFY(!shown(Control::Button1));
        QVERIFY(!shown(Control::ButtonBOnc));
        QVERIFY(shown(Control::ButtonPP));
        QCOMPARE(shown(Control::Buttonregul), regulatorButton);
        QCOMPARE(PageStep, -3);
        // Nothing of the model page is left.
        QCOMPARE(Probe::count(picture(), QRect(630, 90, 1, 1), rgb(Colour::Yellow)), 0);
    }

    void redTextsShowThroughTheOpenLoopPicture()
    {
        openTopic();
        press(Control::ButtonMod);
        press(Control::ButtonBOc);
        QVERIFY(Probe::count(picture(), QRect(600, 200, 120, 28), rgb(Colour::Red)) > 80);
    }

    void returnDrawsTheModelAtOnce()
    {
        openTopic();
        press(Control::ButtonMod);
        press(Control::ButtonBOnc);
        press(Control::ButtonPP);
        QCOMPARE(PageStep, -2);
        QCOMPARE(ShowModelButton, 0);
        QVERIFY(shown(Control::Button1));
        QVERIFY(!shown(Control::ButtonPP));
        QVERIFY(shown(Control::ButtonBOnc) && shown(Control::ButtonBOc));
        QVERIFY(drawnAt(picture(), stage->PllModelBitmap, {80, 150}, rgb(Colour::BtnFace)));
        tick(); // the diagram and title above the model, without the "Visualiser" button
        QCOMPARE(PageStep, -3);
        QVERIFY(!shown(Control::ButtonMod));
        QCOMPARE(picture().pixel(630, 90), rgb(Colour::Yellow));

        press(Control::Button1); // the start button opens the page afresh, with its button
        tick();
        QVERIFY(shown(Control::ButtonMod));
    }

    void leavingTheTopicHidesItsButtons()
    {
        openTopic();
        press(Control::ButtonMod);
        press(Control::ButtonBOc);
        Choix(*stage, 2);
        tick();
        for (Control b : {Control::ButtonMod, Control::ButtonBOnc, Control::ButtonBOc, Control::Buttonregul, Control::ButtonPP})
            QVERIFY(!shown(b));
    }
};

QTEST_MAIN(TestModelling)
#include "tst_modelling.moc"

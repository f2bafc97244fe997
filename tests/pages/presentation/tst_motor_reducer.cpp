// The motor and reducer sections of the presentation topic on a bare stage, no window: their
// blocks sliding out of the diagram, where they come to rest, and their end pages.
#include "app/application.h"
#include "diagram_alone.h"
#include "drawing/canvas.h"
#include "drawing/fonts.h"
#include "drawing/page_text.h"
#include "pages/commands.h"
#include "pages/page_state.h"
#include "pages/page_tick.h"
#include "pages/stage.h"
#include "pixel_probe.h"

#include <QtTest>
#include <memory>

using Probe::rgb;

class TestMotorReducer : public QObject
{
    Q_OBJECT
    std::unique_ptr<Stage> stage;

    const QImage &picture() { return stage->canvas.image(); }
    QRgb at(QPoint p) { return Probe::opaque(picture().pixel(p)); }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            PageTick(*stage);
    }
    // The topic open, then the section's button pressed.
    void start(bool reducer)
    {
        ChoiceIndex = 0;
        Button1Click(*stage);
        tick();
        QVERIFY(stage->controls.isShown(reducer ? Control::ButtonF : Control::ButtonE));
        (reducer ? ButtonFClick : ButtonEClick)(*stage);
    }
    QRect inkBelowDiagram() { return Probe::inked(picture().copy(0, 125, Canvas::Width, Canvas::Height - 125), rgb(Colour::BtnFace)); }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init()
    {
        resetPageState();
        stage = std::make_unique<Stage>();
    }
    void cleanup() { stage.reset(); }

    // Points given at the diagram's place; at step k they are expected moved by k * step.
    void copyMovesWholeAtEveryStep_data()
    {
        QTest::addColumn<bool>("reducer");
        QTest::addColumn<QPoint>("step");
        QTest::addColumn<QList<QPoint>>("red");
        QTest::addColumn<QList<QPoint>>("navy");
        QTest::addColumn<QList<QPoint>>("wiped"); // on the copy one step earlier, clear of this one
        // Box corners, input arrow start, output arrow tip.
        QTest::addRow("motor") << false << QPoint(-6, 2)
                               << QList<QPoint>{{460, 60}, {559, 99}, {420, 80}, {600, 80}}
                               << QList<QPoint>{} << QList<QPoint>{{530, 58}, {430, 78}};
        // Box corners, input arrow start, the antenna's four vertices; pivot and shaft.
        QTest::addRow("reducer") << true << QPoint(-8, 2)
                                 << QList<QPoint>{{600, 60}, {659, 99}, {560, 80}, {744, 96}, {757, 92}, {693, 49}, {695, 63}}
                                 << QList<QPoint>{{720, 80}, {690, 80}} << QList<QPoint>{{640, 58}, {700, 76}};
    }
    void copyMovesWholeAtEveryStep()
    {
        QFETCH(bool, reducer);
        QFETCH(QPoint, step);
        QFETCH(QList<QPoint>, red);
        QFETCH(QList<QPoint>, navy);
        QFETCH(QList<QPoint>, wiped);
        start(reducer);
        for (int k = 2; k <= 60; ++k) {
            tick();
            QCOMPARE(LocalStep, k);
            const QPoint offset = k * step;
            for (QPoint p : red)
                QVERIFY2(at(p + offset) == rgb(Colour::Red), qPrintable(QStringLiteral("step %1").arg(k)));
            for (QPoint p : navy)
                QVERIFY2(at(p + offset) == rgb(Colour::Navy), qPrintable(QStringLiteral("step %1").arg(k)));
            for (QPoint p : wiped)
                QVERIFY2(at(p + offset) == rgb(Colour::BtnFace), qPrintable(QStringLiteral("step %1").arg(k)));
        }
    }

    void introEndsOnItsPage_data()
    {
        QTest::addColumn<bool>("reducer");
        QTest::addColumn<int>("end");
        QTest::addColumn<QRect>("copy");      // everything the copy draws at rest
        QTest::addColumn<QRect>("box"); // holds the block's name
        QTest::addColumn<QList<QRect>>("lines"); // the page's text lines
        QTest::addRow("motor") << false << 260 << QRect(60, 180, 181, 40) << QRect(100, 180, 100, 40)
                               << QList<QRect>{{250, 190, 500, 14}, {250, 210, 300, 14}, {250, 230, 500, 14}, {250, 250, 450, 14}};
        QTest::addRow("reducer") << true << 320 << QRect(80, 168, 200, 52) << QRect(120, 180, 60, 40)
                                 << QList<QRect>{{280, 220, 480, 14}, {280, 240, 480, 14}, {280, 260, 150, 14}};
    }
    void introEndsOnItsPage()
    {
        QFETCH(bool, reducer);
        QFETCH(int, end);
        QFETCH(QRect, copy);
        QFETCH(QRect, box);
        QFETCH(QList<QRect>, lines);
        start(reducer);
        tick(58);
        QCOMPARE(ElementStep, end - 1);
        for (const QRect &line : lines) // no page before the last step
            QCOMPARE(Probe::count(picture(), line, rgb(Colour::Blue)), 0);
        tick();
        QCOMPARE(ElementStep, end);
        for (const QRect &line : lines)
            QVERIFY(Probe::count(picture(), line, rgb(Colour::Blue)) > 60);
        // The copy at rest is all that lies left of the texts: nothing of earlier steps.
        const QImage withoutTexts = picture().copy(0, 125, lines.front().left(), Canvas::Height - 125);
        QCOMPARE(Probe::inked(withoutTexts, rgb(Colour::BtnFace)).translated(0, 125), copy);
        QVERIFY(Probe::count(picture(), box, rgb(Colour::Blue)) > 30);
        // Right of the copy nothing is red but the end of the reducer's label "Radar", above the texts.
        const QRect right(copy.right() + 1, 125, 775, 340);
        const QFontMetrics small(Fonts::pageFont(FontFace::Sans, 6));
        const QRect radarLabel(255, 180, small.horizontalAdvance(QStringLiteral("Radar")) + Fonts::GlyphInset, small.height());
        QCOMPARE(Probe::count(picture(), right, rgb(Colour::Red)),
                 reducer ? Probe::count(picture(), right & radarLabel, rgb(Colour::Red)) : 0);
        const QImage page = picture().copy();
        tick(4);
        QCOMPARE(ElementStep, end);
        QCOMPARE(picture(), page);
        QCOMPARE(picture().copy(0, 0, Canvas::Width, 120), presentationDiagramAlone());
    }

    void motorPageWritesItsGreekLetters()
    {
        start(false);
        tick(59);
        // The blanks after "1 :" hold only the Symbol face's omega, 1 and slash.
        QVERIFY(Probe::count(picture(), QRect(380, 205, 32, 20), rgb(Colour::Blue)) > 30);
        // Later pages write in the usual face and size.
        QCOMPARE(stage->canvas.font().Name, FontFace::Sans);
        QCOMPARE(stage->canvas.font().Size, 10);
    }

    void reducerCopyLabelsItsRadarSmall()
    {
        start(true);
        tick(59);
        // Size 6, red, on the page's own background (not on the pivot's navy).
        Canvas reference;
        reference.setPenAndBrush(Colour::BtnFace);
        reference.Rectangle(0, 0, Canvas::Width, Canvas::Height);
        reference.SetBkMode(BkMode::Transparent);
        drawText(reference, {255, 180, FontFace::Sans, 6, Colour::Red, QStringLiteral("Radar")});
        const QRect label = Probe::inked(reference.image(), rgb(Colour::BtnFace));
        QVERIFY(!label.isEmpty());
        const QRect around = label.adjusted(-2, -3, 6, 0);
        QCOMPARE(picture().copy(around), reference.image().copy(around));
    }

    void buttonAgainRestartsMidIntro_data()
    {
        QTest::addColumn<bool>("reducer");
        QTest::addColumn<int>("first");
        QTest::addRow("motor") << false << 201;
        QTest::addRow("reducer") << true << 261;
    }
    void buttonAgainRestartsMidIntro()
    {
        QFETCH(bool, reducer);
        QFETCH(int, first);
        start(reducer);
        tick(20);
        QVERIFY(inkBelowDiagram() != QRect()); // the copy is well down by now
        (reducer ? ButtonFClick : ButtonEClick)(*stage);
        QCOMPARE(ElementStep, first);
        QCOMPARE(Probe::inked(picture(), rgb(Colour::BtnFace)), QRect());
        tick();
        QCOMPARE(LocalStep, 2);
        QCOMPARE(inkBelowDiagram(), QRect()); // back at the diagram, nothing of step 21 left
    }
};

QTEST_MAIN(TestMotorReducer)
#include "tst_motor_reducer.moc"

// The drawing area goes back on screen after each tick that changed something, and only then:
// a finished page, or one redrawn the same, costs next to nothing while the timer keeps ticking.
#include "app/application.h"
#include "window_fixture.h"

#include <QtTest>

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};
}

class TestRepaint : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    // Ticks `times` times, letting each tick's repaint through; returns the drawing area's paints.
    int tick(int times)
    {
        // Paints counted on the drawing area, seen from outside.
        PaintCounter counter(w->findChild<QWidget *>(QStringLiteral("FOND")));
        for (int i = 0; i < times; ++i) {
            w->Timer1Timer();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        return counter.paints;
    }

private slots:
    void initTestCase() { PllApplication::applyLook(); }
    void init()
    {
        w = openWindow();
        PLL = w.get();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); PLL = nullptr; }

    void animationIsRepaintedEveryTickAndItsLastFrameNoMore_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("ticks");
        QTest::addRow("operating point") << 2 << 249;
        QTest::addRow("speed change") << 3 << 319;
    }
    void animationIsRepaintedEveryTickAndItsLastFrameNoMore()
    {
        QFETCH(int, entry);
        QFETCH(int, ticks);
        User::choose(*w, entry);
        User::click(*w, QStringLiteral("Button1"));
        QCOMPARE(tick(10), 10);
        tick(ticks - 10);
        QCOMPARE(tick(50), 0);
    }

    // The menu page clears and redraws itself every tick: once on screen, the same pixels are not
    // put there again.
    void menuPageRedrawnTheSameIsNotRepainted()
    {
        // The first tick draws the page and hides the two buttons the window opens with.
        QVERIFY(tick(3) > 0);
        QCOMPARE(tick(5), 0);
        User::choose(*w, 2);
        User::click(*w, QStringLiteral("Button1"));
        QCOMPARE(tick(1), 1);
    }
};

QTEST_MAIN(TestRepaint)
#include "tst_repaint.moc"

// The window for a keyboard and a screen reader: names and roles, the drawing area's title and
// text, the scroll bar and the list from the keys, the list's entries whole at every size, a
// layout larger than the screen scrolled into sight, the window's own keys, and its least size.
#include "app/application.h"
#include "app/command_line.h"
#include "app/tpll.h"
#include "pages/page_state.h"
#include "pixel_probe.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

namespace {
// The list's frame, each side, in the window's style.
constexpr int ListFrame = 1;

// A page reached as a user reaches it: a list entry (or none), buttons pressed between ticks.
struct Visit
{
    int entry;
    QList<std::pair<QString, int>> pressThenTick; // a button's name (or none), then ticks
};
}
Q_DECLARE_METATYPE(Visit)

class TestAccessibility : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            w->Timer1Timer();
    }
    void visit(const Visit &visit)
    {
        if (visit.entry >= 0)
            User::choose(*w, visit.entry);
        for (const auto &[button, ticks] : visit.pressThenTick) {
            if (!button.isEmpty())
                User::click(*w, button);
            tick(ticks);
        }
    }
    QAccessibleInterface *accessible(const QString &name) { return User::accessible(*w, name); }
    QString areaText() { return accessible(QStringLiteral("FOND"))->textInterface()->text(0, -1); }

private slots:
    void initTestCase()
    {
        PllApplication::applyLook();
        pointAtNoPrintService();
    }
    void init()
    {
        w = openWindow();
        PLL = w.get();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); PLL = nullptr; }

    void everyControlHasANameAndARole()
    {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(w.get());
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("PLL"));
        for (int i = 0; i < window->childCount(); ++i)
            if (window->child(i)->role() == QAccessible::Button)
                QVERIFY2(!window->child(i)->text(QAccessible::Name).isEmpty(), qPrintable(QString::number(i)));
        QCOMPARE(accessible(QStringLiteral("ButtonB"))->text(QAccessible::Name), QStringLiteral("Comparateur de phase"));
        QCOMPARE(accessible(QStringLiteral("Buttonregul"))->text(QAccessible::Name), QStringLiteral("Choix des constantes de temps du régulateur"));
        QCOMPARE(accessible(QStringLiteral("BitBtn1"))->text(QAccessible::Name), QStringLiteral("Imprimer la page en cours"));
        QCOMPARE(accessible(QStringLiteral("ScrollBar1"))->text(QAccessible::Name), QStringLiteral("Réglage vitesse animation"));
        QCOMPARE(accessible(QStringLiteral("ListBox1"))->text(QAccessible::Name), QStringLiteral("Choix du sujet"));
        QCOMPARE(accessible(QStringLiteral("FOND"))->role(), QAccessible::Graphic);
        QVERIFY(accessible(QStringLiteral("FOND"))->textInterface());
    }

    void drawingAreaIsNamedAfterItsPage_data()
    {
        QTest::addColumn<Visit>("route");
        QTest::addColumn<QString>("title");
        const QString presentation = QStringLiteral("Présentation de chaque élément de la boucle — ");
        QTest::addRow("menu") << Visit{-1, {{{}, 1}}} << "Menu : schéma de la boucle";
        QTest::addRow("operating point") << Visit{2, {{"Button1", 119}}}
                                         << "Comportement en boucle fermée en un point de fonctionnement — image 120 sur 250";
        QTest::addRow("speed change") << Visit{3, {{"Button1", 10}}} << "Modification de la vitesse — image 11 sur 320";
        QTest::addRow("modelling") << Visit{1, {{"Button1", 2}}} << "Modélisation de la boucle";
        QTest::addRow("comparator") << Visit{0, {{"Button1", 1}, {"ButtonB", 10}}} << presentation + "Comparateur de phase — image 11 sur 60";
        QTest::addRow("regulator's circuit") << Visit{0, {{"Button1", 1}, {"ButtonC", 61}, {"ButtonPD", 2}}} << presentation + "Régulateur";
        QTest::addRow("sensor's rotation") << Visit{0, {{"Button1", 1}, {"ButtonG", 61}, {"Button3", 5}}}
                                           << presentation + "capteur de vitesse — image 6 sur 68";
    }
    void drawingAreaIsNamedAfterItsPage()
    {
        QFETCH(Visit, route);
        QFETCH(QString, title);
        visit(route);
        QCOMPARE(accessible(QStringLiteral("FOND"))->text(QAccessible::Name), title);
    }

    void drawingAreaReadsThePageShown()
    {
        visit({2, {{"Button1", 260}}});
        QTRY_VERIFY(areaText().split(QLatin1Char('\n')).contains(QStringLiteral("sa pulsation : φ = 2πft = 2000πt")));
        QCOMPARE(accessible(QStringLiteral("FOND"))->text(QAccessible::Description), areaText());
        // Another page once it is on screen.
        visit({0, {{"Button1", 1}}});
        QTRY_VERIFY(areaText().contains(QStringLiteral("Des explications sur la configuration choisie peuvent être")));
        QVERIFY(!areaText().contains(QStringLiteral("sa pulsation")));
    }

    void scrollBarAndListFromTheKeys()
    {
        tick();
        const auto focused = [&](const char *name) { return w->control(QLatin1String(name))->focused; };
        User::focus(*w, QStringLiteral("Button1"));
        User::key(*w, Qt::Key_Tab);
        QVERIFY(focused("ScrollBar1"));
        const struct { Qt::Key key; int value; } moves[] = {
            {Qt::Key_Right, 21}, {Qt::Key_Left, 20}, {Qt::Key_PageUp, 30}, {Qt::Key_PageDown, 20}, {Qt::Key_End, 100}, {Qt::Key_Home, 1},
            {Qt::Key_Up, 2}, {Qt::Key_Down, 1},
        };
        for (const auto &move : moves) {
            User::key(*w, move.key);
            QCOMPARE(w->control(QStringLiteral("ScrollBar1"))->value, move.value);
        }
        tick();
        QCOMPARE(w->tickPeriod(), 1);

        // Into the list: nothing chosen until Space; an arrow chooses; Enter chooses again.
        User::key(*w, Qt::Key_Tab);
        QVERIFY(focused("ListBox1"));
        QCOMPARE(ChoiceIndex, -1);
        User::key(*w, Qt::Key_Space);
        QCOMPARE(ChoiceIndex, 0);
        User::key(*w, Qt::Key_Down);
        QCOMPARE(ChoiceIndex, 1);
        User::click(*w, QStringLiteral("Button1"));
        QCOMPARE(PageStep, -2);
        User::focus(*w, QStringLiteral("ListBox1"));
        User::key(*w, Qt::Key_Return);
        QCOMPARE(PageStep, 0);
    }

    // The list shows its five entries whole at every enlargement: none is below the fold, where a
    // student would not look for it.
    void listShowsEveryEntryWhole_data()
    {
        QTest::addColumn<qreal>("factor");
        for (qreal factor : WindowLayout::Steps)
            QTest::addRow("x%g", factor) << factor;
    }
    void listShowsEveryEntryWhole()
    {
        QFETCH(qreal, factor);
        w->setZoom(factor);
        const QRect place = w->control(QStringLiteral("ListBox1"))->place;
        QVERIFY(QRect(QPoint(), WindowLayout{factor, {}}.scaled(WindowLayout::Classic)).contains(place));
        // Inside its frame.
        const QRect inside = QRect(w->mapToGlobal(place.topLeft()), place.size()).adjusted(ListFrame, ListFrame, -ListFrame, -ListFrame);
        QAccessibleInterface *list = accessible(QStringLiteral("ListBox1"));
        QCOMPARE(list->childCount(), 5);
        for (int i = 0; i < list->childCount(); ++i) {
            const QRect entry = list->child(i)->rect();
            QVERIFY2(inside.contains(entry), qPrintable(QStringLiteral("entry %1 at %2,%3 %4 x %5, the list's inside %6,%7 %8 x %9")
                .arg(i).arg(entry.x()).arg(entry.y()).arg(entry.width()).arg(entry.height())
                .arg(inside.x()).arg(inside.y()).arg(inside.width()).arg(inside.height())));
        }
    }

    void helpPrintAndQuitKeys()
    {
        QTest::keyClick(w.get(), Qt::Key_F1);
        QTest::keyClick(w.get(), Qt::Key_F1);
        const QList<QDialog *> helps = w->findChildren<QDialog *>(QStringLiteral("HelpWindow"));
        QCOMPARE(helps.size(), 1);
        QTRY_VERIFY(helps.first()->isVisible());
        QCOMPARE(helps.first()->windowTitle(), QStringLiteral("Aide — PLL"));
        const QString help = helps.first()->findChild<QTextBrowser *>()->toPlainText();
        for (const CommandLine::Line &key : CommandLine::windowKeys())
            QVERIFY2(help.contains(QString::fromStdString(key.name)), key.name.c_str());
        QAccessibleInterface *list = accessible(QStringLiteral("ListBox1"));
        for (int i = 0; i < list->childCount(); ++i)
            QVERIFY(help.contains(list->child(i)->text(QAccessible::Name)));
        QVERIFY(help.contains(w->control(QStringLiteral("Label2"))->text));
        QTest::keyClick(helps.first(), Qt::Key_Escape);
        QTRY_VERIFY(w->findChildren<QDialog *>(QStringLiteral("HelpWindow")).isEmpty());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));

        // Ctrl+P does what the print button does: here, says that there is no printer.
        MessageBoxReader box;
        QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(!w->control(QStringLiteral("BitBtn1"))->enabled);
        QTRY_VERIFY_WITH_TIMEOUT(box.title == QStringLiteral("Impression") && w->control(QStringLiteral("BitBtn1"))->enabled, 10000);

        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w->isVisible());
    }

    // Larger than its screen, the layout scrolls in a window the screen holds: the window's scroll
    // bars, named for a screen reader, bring the list at its bottom left into sight.
    void aLayoutLargerThanTheScreenScrolls()
    {
        w->setZoom(WindowLayout::MaxFactor);
        QVERIFY(QRect(QPoint(), w->screen()->availableSize()).contains(QRect(QPoint(), w->size())));
        const QRect sight = w->rect();
        QVERIFY(!sight.contains(w->control(QStringLiteral("ListBox1"))->place));
        QCOMPARE(accessible(QStringLiteral("LayoutScrollY"))->text(QAccessible::Name), QStringLiteral("Défilement vertical de la fenêtre"));
        User::setValue(*w, QStringLiteral("LayoutScrollY"), accessible(QStringLiteral("LayoutScrollY"))->valueInterface()->maximumValue().toDouble());
        const QRect list = w->control(QStringLiteral("ListBox1"))->place;
        QVERIFY(sight.contains(QPoint(list.left() + 1, list.center().y())));
        User::choose(*w, 4);
        QCOMPARE(w->control(QStringLiteral("ListBox1"))->value, 4.0);
    }

    void leastSizeKeepsEveryControlInSight()
    {
        w->resize(100, 100);
        QCOMPARE(w->size(), w->minimumSize());
        // Every control a user can see, as a screen reader finds them.
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(w.get());
        const QRect inside(w->mapToGlobal(QPoint(0, 0)), w->size());
        for (int i = 0; i < window->childCount(); ++i)
            if (QAccessibleInterface *control = window->child(i); !control->state().invisible)
                QVERIFY2(inside.contains(control->rect()), qPrintable(control->text(QAccessible::Name)));
        // The "-" speed mark, right of the scroll bar, is still painted.
        const QImage shot = w->grab().toImage();
        QVERIFY(Probe::count(shot, QRect(786, 500, shot.width() - 786, 20), Probe::rgb(Colour::Blue)) > 0);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"

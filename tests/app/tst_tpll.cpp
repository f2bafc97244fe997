// The window driven headlessly: its controls, the commands, the tick's dispatch and the menu page.
#include "app/application.h"
#include "app/command_line.h"
#include "app/key_table.h"
#include "pages/page_state.h"
#include "app/tpll.h"
#include "pixel_probe.h"
#include "window_fixture.h"
#include "window_user.h"

#include <QAction>
#include <QTranslator>
#include <QtTest>
#include <memory>

namespace {
using Probe::rgb;

// Every pixel of the drawing area in one colour?
bool allOf(TPLL &w, TColor colour) { return Probe::inked(w.canvas().image(), rgb(colour)).isEmpty(); }

int inkOf(TPLL &w, const QRect &area, TColor colour) { return Probe::count(w.canvas().image(), area, rgb(colour)); }
}

class TestTPLL : public QObject
{
    Q_OBJECT
    std::unique_ptr<TPLL> w;

    void choose(int entry) { User::choose(*w, entry); }
    void start() { User::click(*w, QStringLiteral("Button1")); }
    bool shown(const char *control) const { return w->control(QLatin1String(control))->shown; }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            w->Timer1Timer();
    }

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
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() { w.reset(); PLL = nullptr; }

    void controlsOpenWhereTheyBelong_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("hint");
        QTest::addRow("Button1") << "Button1" << QRect(456, 496, 105, 25) << false << "";
        QTest::addRow("ButtonA") << "ButtonA" << QRect(40, 136, 17, 17) << false << "Consigne";
        QTest::addRow("ButtonC") << "ButtonC" << QRect(272, 120, 17, 17) << false << "Régulateur";
        QTest::addRow("ButtonPD") << "ButtonPD" << QRect(656, 224, 57, 25) << false << "";
        QTest::addRow("ButtonF") << "ButtonF" << QRect(632, 120, 17, 17) << true << "réducteur + radar";
        QTest::addRow("ButtonG") << "ButtonG" << QRect(456, 48, 17, 17) << true << "capteur de vitesse";
        QTest::addRow("ButtonBOnc") << "ButtonBOnc" << QRect(216, 384, 19, 17) << false << "";
        QTest::addRow("ButtonPP") << "ButtonPP" << QRect(472, 496, 129, 25) << false << "";
        QTest::addRow("BitBtn1") << "BitBtn1" << QRect(16, 504, 25, 25) << true << "Imprimer la page en cours";
    }
    void controlsOpenWhereTheyBelong()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(bool, shown);
        QFETCH(QString, hint);
        const ControlState b = *w->control(name);
        QCOMPARE(b.place, geometry);
        QCOMPARE(b.shown, shown);
        QCOMPARE(b.hint, hint);
    }

    void windowAndItsFixedControls()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("PLL"));
        QCOMPARE(w->control("FOND")->place, QRect(10, 16, 775, 465));
        QCOMPARE(w->control("ScrollBar1")->place, QRect(664, 504, 121, 16));
        QCOMPARE(w->control("ScrollBar1")->value, 20);
        QCOMPARE(w->tickPeriod(), 20);
        QAccessibleInterface *list = User::accessible(*w, QStringLiteral("ListBox1"));
        QCOMPARE(list->childCount(), 5);
        QCOMPARE(list->child(4)->text(QAccessible::Name), QStringLiteral("Laboratoire : la boucle en direct"));
        QCOMPARE(list->child(2)->text(QAccessible::Name), QStringLiteral("Comportement en boucle fermée en un point de fonctionnement"));
        // The labels write in maroon as painted, not only in their palette; the title is not cut.
        for (const char *label : {"Label4", "Label2", "Label3"}) {
            const QImage painted = w->picture(QLatin1String(label));
            QVERIFY(Probe::count(painted, painted.rect(), Probe::rgb(Colour::Maroon)) > 20);
            QCOMPARE(Probe::count(painted, painted.rect(), Probe::rgb(Colour::Black)), 0);
            QVERIFY(w->control(QLatin1String(label))->place.width() >= w->control(QLatin1String(label))->needs.width());
        }
        // The print button shows its printer.
        const QImage printer = w->picture(QStringLiteral("BitBtn1"));
        QVERIFY(Probe::count(printer, printer.rect(), Probe::rgb(Colour::Black)) > 20);
        // Tab order: start button, scroll bar, list, then the small buttons.
        QCOMPARE(w->tabOrder().mid(0, 3), (QStringList{"Button1", "ScrollBar1", "ListBox1"}));
    }

    void firstTickDrawsTheMenuPage()
    {
        QVERIFY(shown("ButtonF"));
        tick();
        QVERIFY(!shown("ButtonF"));
        QVERIFY(!shown("ButtonG"));
        QVERIFY(shown("Button1"));
        QCOMPARE(w->canvas().image().pixel(630, 90), rgb(Colour::Yellow));
        QCOMPARE(w->canvas().image().pixel(400, 300), rgb(Colour::BtnFace));
        const QImage first = w->canvas().image().copy();
        tick(3);
        QCOMPARE(w->canvas().image(), first);
        QCOMPARE(PageStep, 0);
    }

    void startWithoutAChoiceOnlyClears()
    {
        tick();
        start();
        QVERIFY(allOf(*w, Colour::BtnFace));
        QCOMPARE(PageStep, 0);
        QCOMPARE(ShowModelButton, 1);
        tick();
        QCOMPARE(w->canvas().image().pixel(630, 90), rgb(Colour::Yellow));
    }

    void choosingATopicResetsThePage()
    {
        PageStep = 77;
        ElementActive = 1;
        ElementStep = 30;
        showControls(*w, {Control::ButtonA, Control::ButtonPP});
        choose(3);
        QCOMPARE(ChoiceIndex, 3);
        QCOMPARE(PageStep, 0);
        QCOMPARE(ElementActive, 0);
        QCOMPARE(ElementStep, 0);
        QVERIFY(!shown("ButtonA"));
        QVERIFY(!shown("ButtonPP"));
        QVERIFY(shown("Button1"));

        start();
        QCOMPARE(PageStep, 251);
        choose(3); // the same entry again: back to the menu, start again by hand
        QCOMPARE(PageStep, 0);
    }

    void startButtonEntersEachTopic_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("page");
        QTest::addRow("presentation") << 0 << -1;
        QTest::addRow("modelling") << 1 << -2;
        QTest::addRow("operating point") << 2 << 1;
        QTest::addRow("speed change") << 3 << 251;
    }
    void startButtonEntersEachTopic()
    {
        QFETCH(int, entry);
        QFETCH(int, page);
        tick();
        showControls(*w, {Control::ButtonBOnc});
        choose(entry);
        start();
        QCOMPARE(PageStep, page);
        QVERIFY(!shown("ButtonBOnc"));
        // Only the presentation writes its two hint lines, in blue, over the cleared area.
        const int hint = inkOf(*w, QRect(120, 200, 600, 50), Colour::Blue);
        QCOMPARE(hint > 50, entry == 0);
        QCOMPARE(inkOf(*w, QRect(0, 0, 775, 465), Colour::BtnFace) + hint, 775 * 465);
    }

    void animationCountersAdvanceBeforeDrawingAndStop_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("element");
        QTest::addRow("operating point, first frame") << 1 << 1 << 2 << 0;
        QTest::addRow("operating point, last frame") << 249 << 1 << 250 << 0;
        QTest::addRow("operating point, finished") << 1 << 400 << 250 << 0;
        QTest::addRow("speed change, first frame") << 251 << 1 << 252 << 2;
        QTest::addRow("speed change, last frame") << 569 << 1 << 570 << 320;
        QTest::addRow("speed change, finished") << 251 << 400 << 570 << 320;
        QTest::addRow("modelling drawn") << -3 << 5 << -3 << 0;
    }
    void animationCountersAdvanceBeforeDrawingAndStop()
    {
        QFETCH(int, from);
        QFETCH(int, ticks);
        QFETCH(int, page);
        QFETCH(int, element);
        PageStep = from;
        tick(ticks);
        QCOMPARE(PageStep, page);
        QCOMPARE(ElementStep, element);
    }

    void modellingPageShowsItsButtonOnlyWhenAsked()
    {
        for (int show : {1, 0}) {
            hideControls(*w, {Control::ButtonMod});
            PageStep = -2;
            ShowModelButton = show;
            tick();
            QCOMPARE(PageStep, -3);
            QCOMPARE(shown("ButtonMod"), show == 1);
        }
    }

    void finishedPagesStillFollowTheScrollBar()
    {
        PageStep = 570;
        User::setValue(*w, QStringLiteral("ScrollBar1"), 1);
        QCOMPARE(w->tickPeriod(), 20); // taken up by the next tick, not before
        tick();
        QCOMPARE(w->tickPeriod(), 1);
        QCOMPARE(PageStep, 570);
    }

    void elementButtonsStartTheirSection_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("first");
        const int firsts[] = {1, 21, 81, 141, 201, 261, 321};
        for (int i = 0; i < 7; ++i)
            QTest::addRow("%c", 'A' + i) << i << firsts[i];
    }
    void elementButtonsStartTheirSection()
    {
        QFETCH(int, index);
        QFETCH(int, first);
        tick();
        PageStep = -1;
        SensorStep = 12;
        showControls(*w, {Control::Button3, Control::ButtonPD, ElementButtons[index]});
        User::click(*w, QLatin1String(controlName(ElementButtons[index])));
        QCOMPARE(ElementActive, 1);
        QCOMPARE(ElementStep, first);
        QCOMPARE(SensorStep, 0);
        QVERIFY(!shown("Button3"));
        QCOMPARE(shown("ButtonPD"), first != 81); // only the regulator's button hides it
        QVERIFY(allOf(*w, Colour::BtnFace));
    }

    void phaseAndSensorButtonsSetTheirCounters()
    {
        tick();
        showControls(*w, {Control::Button2});
        User::click(*w, QStringLiteral("Button2"));
        QCOMPARE(PhaseSweepStep, 1);

        showControls(*w, {Control::Button3});
        User::click(*w, QStringLiteral("Button3"));
        QCOMPARE(ElementStep, -1);
        QCOMPARE(SensorStep, 1);
        // The chart area is wiped to button face, and only it.
        QCOMPARE(inkOf(*w, QRect(600, 220, 150, 50), Colour::BtnFace), 150 * 50);
        QCOMPARE(w->canvas().image().pixel(630, 90), rgb(Colour::Yellow));
    }

    // The window paints the speed marks itself: they show on a finished page, where no tick draws.
    void speedMarksShowBesideTheScrollBar()
    {
        ChoiceIndex = 2;
        w->command(Button1Click);
        for (int i = 0; i < 260; ++i)
            w->Timer1Timer();
        QCOMPARE(PageStep, 250);
        const QImage shot = w->grab().toImage();
        const QRgb blue = Probe::rgb(Colour::Blue);
        QVERIFY(Probe::count(shot, QRect(650, 500, 14, 20), blue) > 0);
        QVERIFY(Probe::count(shot, QRect(790, 500, 10, 20), blue) > 0);
    }

    void playbackKeysWorkWhicheverControlHasFocus_data()
    {
        QTest::addColumn<QString>("focus");
        for (const char *name : {"ListBox1", "ScrollBar1", "Button1", "BitBtn1", "FOND"})
            QTest::addRow("%s", name) << QString::fromLatin1(name);
    }
    void playbackKeysWorkWhicheverControlHasFocus()
    {
        QFETCH(QString, focus);
        choose(2);
        start();
        tick(5);
        QWidget *focused = w->findChild<QWidget *>(focus);
        QVERIFY(focused);
        focused->setFocusPolicy(Qt::StrongFocus);
        focused->setFocus();
        QCOMPARE(w->status(), QString());
        QTest::keyClick(focused, Qt::Key_P);
        QVERIFY(w->playback().isPaused());
        QCOMPARE(ChoiceIndex, 2); // the list did not take the letter
        tick(3);
        QCOMPARE(w->status(), QStringLiteral("Pause — image 6 / 250 — « , » « . » : image par image"));
        QTest::keyClick(focused, Qt::Key_Period);
        QTest::keyClick(focused, Qt::Key_Period);
        QCOMPARE(w->status(), QStringLiteral("Pause — image 8 / 250 — « , » « . » : image par image"));
        QTest::keyClick(focused, Qt::Key_Comma);
        QCOMPARE(PageStep, 7);
        QTest::keyClick(focused, Qt::Key_Pause);
        QCOMPARE(w->status(), QString());
        tick();
        QCOMPARE(PageStep, 8);
    }

    void statusLineStaysOutOfTheWay()
    {
        const QRect status = w->control("StatusLine")->place;
        QVERIFY(!status.intersects(w->control("FOND")->place));
        const QWidget *surface = w->findChild<QWidget *>(QStringLiteral("FOND"))->parentWidget();
        for (const QWidget *child : surface->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            const QString name = child->objectName();
            QVERIFY2(name.isEmpty() || name == "StatusLine" || name == "FOND" || !status.intersects(w->control(name)->place), qPrintable(name));
        }
    }

    void menuAndHelpFollowTheKeyTable()
    {
        // Each entry as its text and its keys in Qt's portable form: a key the table misspells
        // comes back otherwise. Separators as "—"; the keys off the menu are the window's own.
        const auto entry = [](const QString &text, const QStringList &keys) {
            return text + QLatin1Char('\t') + keys.join(QLatin1Char(' '));
        };
        const auto shown = [&](const QList<QAction *> &actions) {
            QStringList entries;
            for (const QAction *action : actions) {
                QStringList keys;
                for (const QKeySequence &key : action->shortcuts())
                    keys << key.toString(QKeySequence::PortableText);
                entries << (action->isSeparator() ? QStringLiteral("—") : entry(action->text(), keys));
            }
            return entries;
        };
        QStringList menu, alone;
        Keys::Menu group = Keys::Menu::Off;
        for (const Keys::Row &row : Keys::Actions) {
            QStringList keys;
            for (const char *key : row.keyList())
                keys << QString::fromUtf8(key);
            if (row.menu == Keys::Menu::Off) {
                alone << entry(QString::fromUtf8(row.text), keys);
                continue;
            }
            if (group != Keys::Menu::Off && group != row.menu)
                menu << QStringLiteral("—");
            group = row.menu;
            menu << entry(QString::fromUtf8(row.text), keys);
        }
        QCOMPARE(shown(w->menuActions()), menu);
        QCOMPARE(shown(w->actions()), alone);

        // --help gives each row a line with its keys as the menu names them in French.
        QTranslator french;
        QVERIFY2(french.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)),
                 "qtbase_fr.qm missing: install the Debian package qt6-translations-l10n");
        QCoreApplication::installTranslator(&french);
        const QStringList help = QString::fromStdString(CommandLine::helpText()).split(QLatin1Char('\n'));
        for (const Keys::Row &row : Keys::Actions) {
            QStringList keys;
            for (const char *key : row.keyList())
                keys << QKeySequence::fromString(QString::fromUtf8(key), QKeySequence::PortableText).toString(QKeySequence::NativeText);
            const QString meaning = QStringLiteral("  ") + QString::fromUtf8(row.meaning);
            const QStringList lines = help.filter(QRegularExpression(QRegularExpression::escape(meaning) + QLatin1Char('$')));
            QCOMPARE(lines.size(), 1);
            QCOMPARE(lines.first().chopped(meaning.size()).trimmed(), keys.join(QStringLiteral(", ")));
        }
        QCoreApplication::removeTranslator(&french);
    }

    // The lab's controls: shown on its page only, named for the screen reader, in the tab chain
    // after the list; a value applies at once, also paused, and going back shows the settings of
    // the frame gone back to; a typed value applies on Enter, and a decimal comma is typed, not
    // taken for the key that goes back a frame.
    void labControlsActOnTheLab()
    {
        QVERIFY(!shown("LabSetpoint"));
        choose(4);
        start();
        tick(3);
        QVERIFY(shown("LabSetpoint") && shown("LabSlowMotion"));
        QCOMPARE(w->control("LabSetpoint")->accessibleName, QStringLiteral("Consigne (Hz)"));
        QCOMPARE(w->control("LabLoad")->accessibleName, QStringLiteral("Couple résistant (V)"));
        QApplication::setActiveWindow(w.get());
        // The tab shown, then the buttons over the displays; the other tab's controls are hidden.
        const QStringList order = w->tabOrder();
        const auto walk = [&] {
            User::focus(*w, QStringLiteral("ListBox1"));
            QRect above;
            for (qsizetype i = order.indexOf("ListBox1") + 1; i < order.size() && order[i].startsWith("Lab"); ++i) {
                // Of the two radio buttons, Tab takes the one checked; the arrows move between them.
                const ControlState next = *w->control(order[i]);
                if (order[i] == "LabRamp" || !next.shown)
                    continue;
                User::key(*w, Qt::Key_Tab);
                QVERIFY2(w->control(order[i])->focused, qPrintable(order[i]));
                // Down the left column, then the displays.
                if (above.isValid() && above.x() / 200 == next.place.x() / 200)
                    QVERIFY(above.y() <= next.place.y());
                above = next.place;
            }
        };
        walk();
        QVERIFY(!shown("LabLead"));
        User::clickPart(*w, QStringLiteral("LabTabs"), QStringLiteral("Correcteur"));
        QVERIFY(shown("LabLead") && !shown("LabSetpoint"));
        QCOMPARE(w->control("LabLead")->accessibleName, QStringLiteral("τ1 avance (s)"));
        walk();
        User::clickPart(*w, QStringLiteral("LabTabs"), QStringLiteral("Conduite"));

        QTest::keyClick(w.get(), Qt::Key_P);
        const int frame = LabStep;
        User::setValue(*w, QStringLiteral("LabSetpoint"), 1100);
        QCOMPARE(w->stage().lab.settings().setpoint, 1100);
        QCOMPARE(LabStep, frame + 1);
        QCOMPARE(w->control("LabSetpointSlider")->value, 110);
        QTest::keyClick(w.get(), Qt::Key_Comma);
        QCOMPARE(w->stage().lab.settings().setpoint, 1000);
        QCOMPARE(w->control("LabSetpoint")->value, 1000);

        // Tab from the slope selects the load's text: what is typed replaces it.
        User::click(*w, QStringLiteral("LabSlope"));
        User::key(*w, Qt::Key_Tab);
        QVERIFY(w->control("LabLoad")->focused);
        User::type(*w, QStringLiteral("1,5"));
        QCOMPARE(w->stage().lab.settings().load, 0);
        QCOMPARE(LabStep, frame);
        User::key(*w, Qt::Key_Return);
        QCOMPARE(w->stage().lab.settings().load, 15);

        choose(1);
        tick();
        QVERIFY(!shown("LabSetpoint"));
    }

    // The frequency view's chart, chosen from the keyboard in the view's corner, only while the view
    // shows; going back a frame shows that frame's chart, on the page and on the choice.
    void labChartChoiceFollowsTheFrames()
    {
        choose(4);
        start();
        tick(3);
        QVERIFY(!shown("LabChart"));
        User::click(*w, QStringLiteral("LabView"));
        QVERIFY(shown("LabChart"));
        QCOMPARE(w->control("LabChart")->accessibleName, QStringLiteral("Diagramme"));
        const QStringList order = w->tabOrder();
        QCOMPARE(order.indexOf("LabChart"), order.indexOf("LabStatement") + 1);
        QTest::keyClick(w.get(), Qt::Key_P);
        const int frame = LabStep;
        User::focus(*w, QStringLiteral("LabChart"));
        User::key(*w, Qt::Key_Down);
        User::key(*w, Qt::Key_Down);
        QCOMPARE(w->stage().labView.chart, FrequencyChart::Nyquist);
        QCOMPARE(w->control("LabChart")->text, QStringLiteral("Nyquist"));
        QCOMPARE(LabStep, frame + 2);
        QTest::keyClick(w.get(), Qt::Key_Comma);
        QCOMPARE(w->stage().labView.chart, FrequencyChart::Black);
        QCOMPARE(w->control("LabChart")->text, QStringLiteral("Black"));
        User::click(*w, QStringLiteral("LabView"));
        QVERIFY(!shown("LabChart"));
    }

    void printingWithoutAPrinterSaysSo()
    {
        // The page goes to the print service away from the window's thread: the button greys out
        // until the service has answered, then the box tells why nothing was printed.
        MessageBoxReader box;
        User::click(*w, QStringLiteral("BitBtn1"));
        QVERIFY(!w->control("BitBtn1")->enabled);
        QTRY_VERIFY2_WITH_TIMEOUT(!box.text.isEmpty() && w->control("BitBtn1")->enabled, "no message box, or the button stayed grey", 10000);
        QCOMPARE(box.title, QStringLiteral("Impression"));
        QCOMPARE(box.text, QStringLiteral("Aucune imprimante par défaut n'est installée : la page ne peut pas être imprimée."));
    }
};

QTEST_MAIN(TestTPLL)
#include "tst_tpll.moc"

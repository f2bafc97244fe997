// Experiment files in the real window: opened on the lab with their words on the page, played
// to where they were saved and paused there, dropped on the window; a bad one said in a dialog,
// the window going on as it was.
#include <QtTest>
#ifndef Q_MOC_RUN
#include "app/course_experiments_dialog.h"
#include "app/lab_controls.h"
#include "app/statement_dialog.h"
#include "lab/experiment_file.h"
#include "window_fixture.h"
#endif

#include <QAccessible>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>

namespace {
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

// What a screen reader reads of the drawing area.
QString pageText(TPLL &w)
{
    // Read again once painted.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return User::accessible(w, QStringLiteral("FOND"))->text(QAccessible::Description);
}

const Experiment Example{"Un échelon de trop", "Passez la consigne à 1200 Hz : la boucle suit-elle ?",
                         {LabStart::Locked, {}, {{0.1, {.setpoint = 1200}}}}, 0.3};
}

class TestExperimentWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TPLL> w;
    QTemporaryDir dir;

private slots:
    void init()
    {
        w = openWindow();
        PLL = w.get();
        // The area is painted, and so read, once the window is on screen.
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup()
    {
        w.reset();
        PLL = nullptr;
    }

    // Opened from anywhere: the lab shows, its list entry chosen, the file's words over the
    // displays until the student hides them; played, it waits at its end, said under the start
    // button; saving is offered on the lab only.
    void anExperimentOpensOnTheLabAndWaitsAtItsEnd()
    {
        QVERIFY(!w->isEnabled(Keys::Action::SaveExperiment));
        const QString path = writeFile(dir, QStringLiteral("essai.pll"), ExperimentFile::write(Example));
        QCOMPARE(w->loadExperiment(path), QString());
        QCOMPARE(PageStep, LabPageStep);
        QCOMPARE(w->control(QStringLiteral("ListBox1"))->value, 4);
        w->Timer1Timer();
        QVERIFY(w->isEnabled(Keys::Action::SaveExperiment));
        QVERIFY(w->control(QStringLiteral("LabStatement"))->shown);
        QVERIFY(pageText(*w).contains(QStringLiteral("Un échelon de trop")));
        QVERIFY(pageText(*w).contains(QStringLiteral("la boucle suit-elle ?")));
        QVERIFY(!pageText(*w).contains(QStringLiteral("Oscilloscope")));
        User::click(*w, QStringLiteral("LabStatement"));
        w->Timer1Timer();
        QVERIFY(!pageText(*w).contains(QStringLiteral("Un échelon de trop")));
        QVERIFY(pageText(*w).contains(QStringLiteral("Oscilloscope")));

        for (int i = 0; i < 40 && !w->playback().isPaused(); ++i)
            w->Timer1Timer();
        QVERIFY(w->playback().isPaused());
        QCOMPARE(w->stage().lab.loop().time(), 0.3);
        QCOMPARE(w->stage().lab.settings().setpoint, 1200);
        QCOMPARE(w->status(), QStringLiteral("Pause — fin de l'expérience — « , » « . » : image par image"));
        // Its longest line, whole.
        QVERIFY(w->control(QStringLiteral("StatusLine"))->needs.width() <= w->control(QStringLiteral("StatusLine"))->place.width());
        // Going on, the lab runs past its end.
        w->togglePause();
        w->Timer1Timer();
        QVERIFY(w->stage().lab.loop().time() > 0.3);
    }

    // The frequency view's chart choice stays hidden while the experiment's words cover the view.
    void theChartChoiceShowsWithTheFrequencyViewOnly()
    {
        QCOMPARE(w->loadExperiment(writeFile(dir, QStringLiteral("essai.pll"), ExperimentFile::write(Example))), QString());
        w->Timer1Timer();
        User::click(*w, QStringLiteral("LabView"));
        w->Timer1Timer();
        QVERIFY(!w->control(QStringLiteral("LabChart"))->shown);
        User::click(*w, QStringLiteral("LabStatement"));
        w->Timer1Timer();
        QVERIFY(w->control(QStringLiteral("LabChart"))->shown);
        User::click(*w, QStringLiteral("LabStatement"));
        w->Timer1Timer();
        QVERIFY(!w->control(QStringLiteral("LabChart"))->shown);
    }

    // "Expériences du cours…" from the lab's button: the list in the course's order, a line of
    // each text; Enter on the chosen one opens it on the lab, its first frame drawn within 0,2 s.
    void aCourseExperimentOpensFromTheList()
    {
        w->openExperimentFile(writeFile(dir, QStringLiteral("avant.pll"), ExperimentFile::write(Example)));
        w->Timer1Timer();
        int listed = 0;
        QString second;
        qint64 openingMs = -1;
        QElapsedTimer clock;
        QTimer::singleShot(0, w.get(), [&] {
            auto *dialog = dynamic_cast<CourseExperimentsDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            auto *list = dialog->findChild<QListWidget *>();
            listed = list->count();
            second = list->item(1)->text();
            QTest::keyClick(list, Qt::Key_Down);
            clock.start();
            QTest::keyClick(list, Qt::Key_Return);
        });
        User::click(*w, QStringLiteral("LabCourseExperiments"));
        w->Timer1Timer();
        openingMs = clock.elapsed();
        QVERIFY(listed >= 11);
        QCOMPARE(second, QStringLiteral("2. Un échelon de +50 Hz rattrapé\nLa boucle est verrouillée à 1000 Hz."));
        QCOMPARE(w->stage().lab.title(), std::string("2. Un échelon de +50 Hz rattrapé"));
        QVERIFY(pageText(*w).contains(QStringLiteral("2. Un échelon de +50 Hz rattrapé")));
        QVERIFY2(openingMs < 200, qPrintable(QStringLiteral("%1 ms to open").arg(openingMs)));
        qInfo("opened in %lld ms", openingMs);
    }

    // A file that cannot be read: a dialog says why, the window stays on its page.
    void aBadFileIsSaidAndChangesNothing()
    {
        User::choose(*w, 2);
        w->Timer1Timer();
        const QString bad = writeFile(dir, QStringLiteral("faux.pll"), "{\"format\": \"pll-experience\", \"version\": 3}");
        MessageBoxReader reader;
        w->openExperimentFile(bad);
        QCOMPARE(reader.title, QStringLiteral("Ouvrir une expérience"));
        QVERIFY2(reader.text.contains(QStringLiteral("ne peut pas être ouverte : elle vient d'une version plus récente")),
                 qPrintable(reader.text));
        QCOMPARE(PageStep, 0);
        QCOMPARE(ChoiceIndex, 2);
    }

    // "Enregistrer l'expérience…" asks for the title and the text first, prefilled with the open
    // experiment's; the file carries the words written and the lab shows them, a text longer
    // than its box page after page with "Page suivante".
    void savingAsksForTheWordsAndALongTextPages()
    {
        w->openExperimentFile(writeFile(dir, QStringLiteral("avant.pll"), ExperimentFile::write(Example)));
        w->Timer1Timer();
        QVERIFY(!w->control(QStringLiteral("LabStatementNextPage"))->shown);
        const QString path = dir.filePath(QStringLiteral("après.pll"));
        const QString text = QStringLiteral("Regardez la phase. ").repeated(80).trimmed();
        QString prefilled;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *words = dynamic_cast<StatementDialog *>(modal)) {
                prefilled = words->findChild<QLineEdit *>(QStringLiteral("StatementTitle"))->text();
                words->findChild<QLineEdit *>(QStringLiteral("StatementTitle"))->setText(QStringLiteral("Mon titre"));
                words->findChild<QPlainTextEdit *>(QStringLiteral("StatementText"))->setPlainText(text);
                words->accept();
            } else if (auto *files = qobject_cast<QFileDialog *>(modal)) {
                // Typed as a user types it: selectFile() leaves a focused name box as it is.
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                QMetaObject::invokeMethod(files, "accept");
            }
        });
        answer.start(10);
        w->saveExperiment();
        answer.stop();
        QCOMPARE(prefilled, QString::fromStdString(Example.title));
        const auto saved = ExperimentFile::read(path);
        QVERIFY(std::holds_alternative<Experiment>(saved));
        QCOMPARE(std::get<Experiment>(saved).title, std::string("Mon titre"));
        QCOMPARE(QString::fromStdString(std::get<Experiment>(saved).text), text);

        w->Timer1Timer();
        QVERIFY(pageText(*w).contains(QStringLiteral("Mon titre")));
        QVERIFY(pageText(*w).contains(QStringLiteral("Page 1 sur ")));
        QVERIFY(w->control(QStringLiteral("LabStatementNextPage"))->shown);
        User::click(*w, QStringLiteral("LabStatementNextPage"));
        w->Timer1Timer();
        QVERIFY(pageText(*w).contains(QStringLiteral("Page 2 sur ")));
    }

    // A .pll dropped on the window opens; any other file is not taken.
    void aDroppedFileOpens()
    {
        const QString path = writeFile(dir, QStringLiteral("lâché.pll"), ExperimentFile::write(Example));
        const QString other = writeFile(dir, QStringLiteral("image.png"), "not a picture");
        for (const QString &file : {other, path}) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(file)});
            QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w.get(), &enter);
            QCOMPARE(enter.isAccepted(), file == path);
            if (!enter.isAccepted())
                continue;
            QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w.get(), &drop);
        }
        QCOMPARE(PageStep, LabPageStep);
        QCOMPARE(w->stage().lab.title(), Example.title);
    }
};

QTEST_MAIN(TestExperimentWindow)
#include "tst_experiment_window.moc"

// The lab's files: experiments opened from a dialog, the command line or a drop, the lab's run
// saved as one, and its measures exported as a table; a file that cannot be read or written is
// said, and nothing is lost.
#include "app/course_experiments_dialog.h"
#include "app/measures_file.h"
#include "app/save_failure.h"
#include "app/statement_dialog.h"
#include "app/tpll.h"
#include "lab/experiment_file.h"
#include "measures/measures_csv.h"
#include "pages/lab/lab_page.h"
#include "pages/page_tick.h"
#include "pages/topics.h"
#include "text/french_number.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStandardPaths>

#include <atomic>
#include <memory>

namespace {
const QString Filter = QStringLiteral("Expérience PLL (*.pll)");
const QString OpenTitle = QStringLiteral("Ouvrir une expérience");
const QString SaveTitle = QStringLiteral("Enregistrer l'expérience");
const QString DefaultName = QStringLiteral("PLL.pll");

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// The one experiment file a drag carries, if it carries just that.
QString droppedExperiment(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    const QString path = data->urls().first().toLocalFile();
    return QFileInfo(path).suffix().compare(QLatin1String(ExperimentFile::Suffix), Qt::CaseInsensitive) == 0 ? path : QString();
}

void say(QWidget *parent, const QString &title, const QString &message)
{
    // Also in the program's output, for whoever looks into the problem later.
    qWarning("%s", qUtf8Printable(message));
    QMessageBox::warning(parent, title, message);
}
}

QString TPLL::loadExperiment(const QString &path)
{
    const auto read = ExperimentFile::read(path);
    if (const auto *why = std::get_if<std::string>(&read))
        return QString::fromStdString(*why);
    ::OpenExperiment(m_stage, std::get<Experiment>(read));
    {
        // The list shows the lab chosen, without choosing it again.
        const QSignalBlocker quiet(ListBox1);
        ListBox1->setCurrentRow(LabTopic);
    }
    m_playback.commandDone();
    showStage();
    m_experimentPath = QFileInfo(path).absoluteFilePath();
    return {};
}

void TPLL::openExperimentFile(const QString &path)
{
    const QString error = loadExperiment(path);
    if (!error.isEmpty())
        say(this, OpenTitle, error);
}

void TPLL::openExperiment()
{
    const QString folder = m_experimentPath.isEmpty() ? documentsFolder() : QFileInfo(m_experimentPath).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, OpenTitle, folder, Filter);
    if (!path.isEmpty())
        openExperimentFile(path);
}

void TPLL::openCourseExperiment()
{
    const std::vector<CourseExperiments::Entry> entries = CourseExperiments::list();
    if (entries.empty()) {
        say(this, QStringLiteral("Expériences du cours"),
            QStringLiteral("Les expériences du cours ne sont pas installées : aucun fichier .pll lisible "
                           "dans un dossier « %1 » des données du programme.").arg(QLatin1String(CourseExperiments::Subfolder)));
        return;
    }
    CourseExperimentsDialog dialog(entries, this);
    if (dialog.exec() == QDialog::Accepted && !dialog.chosenPath().isEmpty())
        openExperimentFile(dialog.chosenPath());
}

void TPLL::saveExperiment()
{
    if (!labShowing())
        return;
    // The run as it is now: the loop goes on while the user writes its words and chooses a file.
    Experiment experiment = m_stage.lab.saved();
    showStage();
    StatementDialog words(experiment.title, experiment.text, this);
    if (words.exec() != QDialog::Accepted)
        return;
    experiment.title = words.title();
    experiment.text = words.text();
    const QByteArray text = ExperimentFile::write(experiment);
    const QString offered = m_experimentPath.isEmpty() ? QDir(documentsFolder()).filePath(DefaultName) : m_experimentPath;
    QString path = QFileDialog::getSaveFileName(this, SaveTitle, offered, Filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + QLatin1String(ExperimentFile::Suffix);
    using SaveFailure::Written;
    const QString error = SaveFailure::saveAside(path, QStringLiteral("L'expérience n'a pas été enregistrée dans « %1 » : %2."),
                                                 [&](QSaveFile &file) {
        return file.write(text) == text.size() ? Written::Whole : Written::Failed;
    });
    if (!error.isEmpty()) {
        say(this, SaveTitle, error);
        return;
    }
    m_experimentPath = QFileInfo(path).absoluteFilePath();
    // The lab shows the words the file now carries.
    m_stage.lab.setStatement(experiment.title, experiment.text);
    if (m_playback.isPaused())
        drawLabPage(m_stage);
    showStage();
}

void TPLL::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedExperiment(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TPLL::dropEvent(QDropEvent *event)
{
    const QString path = droppedExperiment(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openExperimentFile(path);
}

void TPLL::exportMeasures()
{
    const QString title = QStringLiteral("Exporter les mesures");
    if (!labShowing()) {
        QMessageBox::information(this, title, QStringLiteral("Les mesures sont celles du laboratoire : "
                                                             "ouvrez « Laboratoire : la boucle en direct » pour les exporter."));
        return;
    }
    // One export at a time: the progress dialog holds the window only once it shows.
    if (m_exporting)
        return;
    // The run as it is now: the loop goes on while the user chooses a file.
    const LabRun run = m_stage.lab.experiment().run;
    const double end = m_stage.lab.loop().time();
    QString path = QFileDialog::getSaveFileName(this, title, QDir(documentsFolder()).filePath(QStringLiteral("PLL-mesures.csv")),
                                                QStringLiteral("Tableau CSV (*.csv)"));
    if (path.isEmpty())
        return;
    path = MeasuresFile::withSuffix(path);

    // The run is played again from its start, about a millisecond of work per second of loop
    // time: an hour's run takes seconds, done off the window's thread, with a dialog to stop it.
    m_exporting = true;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto reached = std::make_shared<std::atomic<double>>(0.0);
    auto *progress = new QProgressDialog(QStringLiteral("Calcul des mesures de %1 s de marche…").arg(frenchDecimal(end, 3)),
                                         QStringLiteral("Annuler"), 0, 1000, this);
    progress->setWindowTitle(title);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(500);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, progress, [stop] { stop->store(true); });
    auto *poll = new QTimer(progress);
    connect(poll, &QTimer::timeout, progress, [progress, reached, end] {
        progress->setValue(end > 0 ? int(1000 * std::min(1.0, reached->load() / end)) : 0);
    });
    poll->start(100);
    auto *watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, progress, title, stop, end] {
        m_exporting = false;
        const QString error = watcher->result();
        watcher->deleteLater();
        progress->deleteLater();
        // What the table leaves out is said beside it, never in it.
        const std::string note = MeasuresCsv::lastHourNote(end, MeasuresFile::RowSpacing);
        if (error.isEmpty() && !stop->load() && !note.empty())
            QMessageBox::information(this, title, QString::fromStdString(note) + QLatin1Char('.'));
        if (error.isEmpty())
            return;
        // Also in the program's output, for whoever looks into the problem later.
        qWarning("%s", qUtf8Printable(error));
        QMessageBox::warning(this, title, error);
    });
    watcher->setFuture(QtConcurrent::run([path, run, end, stop, reached] {
        return MeasuresFile::save(path, run, end, [stop, reached](double t) {
            reached->store(t);
            return !stop->load();
        });
    }));
}

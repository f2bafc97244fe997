// The window's experiment files: opened from a dialog, the command line or a drop, and the lab's
// run saved as one; a file that cannot be read or written is said, and nothing is lost.
#include "app/save_failure.h"
#include "app/tpll.h"
#include "lab/experiment_file.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStandardPaths>

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

void TPLL::saveExperiment()
{
    if (PageStep != LabPageStep)
        return;
    // The run as it is now: the loop goes on while the user chooses a file.
    const QByteArray text = ExperimentFile::write(m_stage.lab.saved());
    showStage();
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

// The window's display: its layout enlarged, full screen, and the drawing area's picture copied,
// saved and made ready for the printer.
#include "app/measures_file.h"
#include "app/picture_file.h"
#include "app/tpll.h"
#include "measures/measures_csv.h"
#include "text/french_number.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QResizeEvent>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent>
#include <algorithm>
#include <atomic>
#include <memory>

namespace {
// The room a full screen leaves the layout: it is centred there.
QPoint centred(QSize room, const WindowLayout &layout)
{
    const QSize free = room - layout.area().size();
    return QPoint(std::max(0, free.width() / 2), std::max(0, free.height() / 2));
}

QString startFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QDir(pictures).exists() ? pictures : QDir::homePath();
}
}

void TPLL::setZoom(int factor)
{
    // Full screen shows the whole layout: no larger than the screen holds.
    const int largest = isFullScreen() ? WindowLayout::largestFitting(screen()->geometry().size()) : WindowLayout::MaxFactor;
    m_layout.factor = std::clamp(factor, 1, largest);
    m_layout.origin = isFullScreen() ? centred(size(), m_layout) : QPoint();
    placeControls();
    matchCanvasScale();
    ZoomInAction->setEnabled(m_layout.factor < largest);
    ZoomOutAction->setEnabled(m_layout.factor > 1);
    ZoomResetAction->setEnabled(m_layout.factor > 1);
    // A window neither maximised nor full screen grows to hold the layout.
    if (isVisible() && !isMaximized() && !isFullScreen())
        resize(size().expandedTo(m_layout.area().size()));
}

void TPLL::matchCanvasScale()
{
    // On a screen of twice the pixels, the drawing is drawn twice as large again, not blown up.
    const int scale = m_layout.factor * std::max(1, qRound(devicePixelRatioF()));
    if (canvas().scale() != scale) {
        canvas().setScale(scale);
        FOND->update();
    }
}

void TPLL::toggleFullScreen()
{
    if (isFullScreen()) {
        if (m_maximisedBeforeFullScreen)
            showMaximized();
        else
            showNormal();
        setZoom(m_windowedZoom);
    } else {
        m_windowedZoom = zoom();
        m_maximisedBeforeFullScreen = isMaximized();
        // Without a window manager nothing else gives the window the whole screen.
        setGeometry(screen()->geometry());
        showFullScreen();
        setZoom(WindowLayout::largestFitting(screen()->geometry().size()));
    }
    FullScreenAction->setChecked(isFullScreen());
    LeaveFullScreenAction->setEnabled(isFullScreen());
}

void TPLL::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isFullScreen() && m_layout.origin != centred(size(), m_layout)) {
        m_layout.origin = centred(size(), m_layout);
        placeControls();
    }
}

void TPLL::copyPicture()
{
    QGuiApplication::clipboard()->setImage(canvas().image());
}

void TPLL::savePicture()
{
    // The picture as it is now: the animation goes on while the user chooses a file.
    const Canvas::Snapshot picture = canvas().snapshot();
    QString filter = PictureFile::filter({PictureFile::Format::Png, zoom()});
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer l'image"),
                                                QDir(startFolder()).filePath(QStringLiteral("PLL.png")),
                                                PictureFile::filters().join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    const PictureFile::Choice choice = PictureFile::choose(path, filter, zoom());
    const QString error = PictureFile::save(path, choice, picture);
    if (error.isEmpty())
        return;
    // Also in the program's output, for whoever looks into the problem later.
    qWarning("%s", qUtf8Printable(error));
    QMessageBox::warning(this, QStringLiteral("Enregistrement"), error);
}

void TPLL::exportMeasures()
{
    const QString title = QStringLiteral("Exporter les mesures");
    if (!m_stage.controls.isShown(Control::LabPanel)) {
        QMessageBox::information(this, title, QStringLiteral("Les mesures sont celles du laboratoire : "
                                                             "ouvrez « Laboratoire : la boucle en direct » pour les exporter."));
        return;
    }
    // One export at a time: the progress dialog holds the window only once it shows.
    static bool exporting = false;
    if (exporting)
        return;
    // The run as it is now: the loop goes on while the user chooses a file.
    const LabRun run = m_stage.lab.experiment().run;
    const double end = m_stage.lab.loop().time();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QDir(documents).exists() ? documents : QDir::homePath();
    QString path = QFileDialog::getSaveFileName(this, title, QDir(folder).filePath(QStringLiteral("PLL-mesures.csv")),
                                                QStringLiteral("Tableau CSV (*.csv)"));
    if (path.isEmpty())
        return;
    path = MeasuresFile::withSuffix(path);

    // The run is played again from its start, about a millisecond of work per second of loop
    // time: an hour's run takes seconds, done off the window's thread, with a dialog to stop it.
    exporting = true;
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
        exporting = false;
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

QImage TPLL::layoutPicture(int scale)
{
    const QRect area = m_layout.area();
    QImage picture(WindowLayout::Classic * scale, QImage::Format_RGB32);
    picture.fill(palette().color(QPalette::Button));
    QPainter painter(&picture);
    painter.scale(qreal(scale) / m_layout.factor, qreal(scale) / m_layout.factor);
    FOND->paintAtScale(scale);
    render(&painter, QPoint(), QRegion(area), RenderFlags(DrawWindowBackground | DrawChildren));
    FOND->paintAtScale(0);
    return picture;
}

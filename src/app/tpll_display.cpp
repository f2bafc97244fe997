// The window's display: its layout enlarged, full screen, and the drawing area's picture copied,
// saved and made ready for the printer.
#include "app/picture_file.h"
#include "app/tpll.h"
#include "pages/lab/settings_panel.h"
#include "pages/page_tick.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>

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
    action(Keys::Action::ZoomIn)->setEnabled(m_layout.factor < largest);
    action(Keys::Action::ZoomOut)->setEnabled(m_layout.factor > 1);
    action(Keys::Action::ZoomReset)->setEnabled(m_layout.factor > 1);
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
    action(Keys::Action::FullScreen)->setChecked(isFullScreen());
    action(Keys::Action::LeaveFullScreen)->setEnabled(isFullScreen());
}

void TPLL::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isFullScreen() && m_layout.origin != centred(size(), m_layout)) {
        m_layout.origin = centred(size(), m_layout);
        placeControls();
    }
}

Canvas::Snapshot TPLL::standAlonePicture()
{
    const Canvas::Snapshot picture = canvas().snapshot();
    if (!labShowing())
        return picture;
    Canvas withSettings;
    withSettings.restore(picture);
    drawLabSettings(withSettings, m_stage.lab, m_stage.labView);
    return withSettings.snapshot();
}

void TPLL::copyPicture()
{
    QGuiApplication::clipboard()->setImage(Canvas::render(standAlonePicture(), canvas().scale()));
}

void TPLL::savePicture()
{
    // The picture as it is now: the animation goes on while the user chooses a file.
    const Canvas::Snapshot picture = standAlonePicture();
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

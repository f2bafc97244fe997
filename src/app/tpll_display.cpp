// The window's display: its layout enlarged, scrolled where larger than the window, full screen,
// and the drawing area's picture copied, saved and made ready for the printer.
#include "app/picture_file.h"
#include "app/tpll.h"
#include "drawing/fonts.h"
#include "pages/lab/settings_panel.h"
#include "pages/page_tick.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFocusFrame>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStaticText>
#include <algorithm>
#include <cmath>

namespace {
// The speed marks, left and right of the scroll bar.
const QPoint PlusMark(650, 500), MinusMark(790, 500);
QFont speedMarkFont() { return Fonts::pageFont(QStringLiteral("MS Sans Serif"), 12); }

// The room a full screen leaves the layout: it is centred there.
QPoint centred(QSize room, const WindowLayout &layout)
{
    const QSize free = room - layout.area().size();
    return QPoint(std::max(0, free.width() / 2), std::max(0, free.height() / 2));
}

// The PNG a save offers first: at the whole scale that loses nothing of the picture on screen.
int pngScale(qreal zoom)
{
    return std::clamp(int(std::ceil(zoom)), 1, PictureFile::MaxPngScale);
}

QString startFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QDir(pictures).exists() ? pictures : QDir::homePath();
}
}

qreal TPLL::largestZoom() const
{
    // Full screen shows the whole layout: no larger than the screen holds.
    return isFullScreen() ? WindowLayout::largestFitting(screen()->geometry().size()) : WindowLayout::MaxFactor;
}

LayoutSurface::LayoutSurface(const WindowLayout &layout, QWidget *parent)
    : QWidget(parent)
    , m_layout(layout)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void LayoutSurface::paintEvent(QPaintEvent *)
{
    // The speed marks beside the scroll bar: "+" speeds the animation up. Painted with the
    // surface whenever it shows, so they are always there; laid out once.
    static const QFont font = speedMarkFont();
    static const QStaticText plus(QStringLiteral("+")), minus(QStringLiteral("-"));
    QPainter painter(this);
    painter.setFont(m_layout.font(font));
    painter.setPen(QColor(toRgb(Colour::Blue)));
    painter.drawStaticText(m_layout.place(PlusMark), plus);
    painter.drawStaticText(m_layout.place(MinusMark), minus);
}

QRect TPLL::controlsExtent() const
{
    const QFontMetrics marks(m_layout.font(speedMarkFont()));
    QRect all(m_layout.place(MinusMark), QSize(marks.horizontalAdvance(QLatin1Char('-')), marks.height()));
    // Not the focus ring, which keeps where it last stood when it hides.
    for (const QWidget *child : m_surface->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!qobject_cast<const QFocusFrame *>(child))
            all |= child->geometry();
    return all;
}

void TPLL::fitSurface()
{
    // The margin may go on a screen of the layout's own width; a control may not. Resized here,
    // the scroll area sets its scroll bars at once, not at the next turn of the event loop.
    const QRect extent = controlsExtent();
    m_surface->resize(QSize(extent.right() + 1, extent.bottom() + 1).expandedTo(m_scroll->viewport()->size()));
}

QSize TPLL::leastSize() const
{
    // Every control, shown or not, and the speed marks, with the drawing area's margin around, at
    // the layout's factor, from its origin.
    const QRect all = controlsExtent().translated(-m_layout.origin);
    const int margin = FOND->x() - m_layout.origin.x();
    return {all.right() + 1 + margin, all.bottom() + 1 + margin};
}

void TPLL::zoomIn()
{
    setZoom(WindowLayout::stepUp(zoom(), largestZoom()));
}

void TPLL::zoomOut()
{
    setZoom(WindowLayout::stepDown(zoom()));
}

void TPLL::setZoom(qreal factor)
{
    const qreal largest = largestZoom();
    m_layout.factor = std::clamp(factor, qreal(1), largest);
    m_layout.origin = isFullScreen() ? centred(size(), m_layout) : QPoint();
    placeControls();
    matchCanvasScale();
    action(Keys::Action::ZoomIn)->setEnabled(m_layout.factor < largest);
    action(Keys::Action::ZoomOut)->setEnabled(m_layout.factor > 1);
    action(Keys::Action::ZoomReset)->setEnabled(m_layout.factor > 1);
    // A window neither maximised nor full screen grows to hold the layout, as far as its screen
    // lets it: beyond, the layout scrolls.
    if (isVisible() && !isMaximized() && !isFullScreen())
        resize(size().expandedTo(leastSize()).boundedTo(roomOnScreen()));
}

QSize TPLL::roomOnScreen() const
{
    return screen()->availableSize() - (frameGeometry().size() - size());
}

void TPLL::matchCanvasScale()
{
    // On a screen of twice the pixels, the drawing is drawn twice as large again, not blown up.
    const qreal scale = m_layout.factor * std::max(1, qRound(devicePixelRatioF()));
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
    m_scroll->setGeometry(rect());
    fitSurface();
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
    QString filter = PictureFile::filter({PictureFile::Format::Png, pngScale(zoom())});
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer l'image"),
                                                QDir(startFolder()).filePath(QStringLiteral("PLL.png")),
                                                PictureFile::filters().join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    const PictureFile::Choice choice = PictureFile::choose(path, filter, pngScale(zoom()));
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
    QImage picture(WindowLayout{qreal(scale), {}}.scaled(WindowLayout::Classic), QImage::Format_RGB32);
    picture.fill(palette().color(QPalette::Button));
    QPainter painter(&picture);
    painter.scale(qreal(scale) / m_layout.factor, qreal(scale) / m_layout.factor);
    FOND->paintAtScale(scale);
    m_surface->render(&painter, QPoint(), QRegion(area), RenderFlags(DrawWindowBackground | DrawChildren));
    FOND->paintAtScale(0);
    return picture;
}

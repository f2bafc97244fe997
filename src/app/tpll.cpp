#include "app/tpll.h"

#include "app/accessibility.h"
#include "app/command_line.h"
#include "app/lab_controls.h"
#include "app/print_job.h"
#include "app/ranges_measure.h"
#include "app/window_keys.h"
#include "drawing/fonts.h"
#include "pages/lab/lab_page.h"
#include "pages/page_tick.h"
#include "pages/topics.h"

#include <QAction>
#include <QFutureWatcher>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <chrono>

TPLL *PLL = nullptr;

namespace {
struct ButtonRow
{
    Control control;
    int left, top, width, height;
    const char *caption;
    const char *hint;
};

// The buttons the pages show and hide, in tab order; the scroll bar and the list take tab places
// 1 and 2, after Button1, and the print button comes last.
const ButtonRow ButtonRows[] = {
    {Control::Button1, 456, 496, 105, 25, "Démarrer Animation", nullptr},
    {Control::ButtonA, 40, 136, 17, 17, nullptr, "Consigne"},
    {Control::ButtonB, 168, 144, 17, 17, nullptr, "Comparateur de phase"},
    {Control::ButtonC, 272, 120, 17, 17, nullptr, "Régulateur"},
    {Control::Button2, 712, 448, 17, 17, nullptr, "variation phase"},
    {Control::ButtonPD, 656, 224, 57, 25, "visualiser", nullptr},
    {Control::ButtonD, 376, 120, 17, 17, nullptr, "Amplificateur de puissance"},
    {Control::ButtonE, 512, 120, 17, 17, nullptr, "Moteur à courant continu"},
    {Control::ButtonF, 632, 120, 17, 17, nullptr, "réducteur + radar"},
    {Control::ButtonG, 456, 48, 17, 17, nullptr, "capteur de vitesse"},
    {Control::Button3, 744, 312, 17, 17, nullptr, nullptr},
    {Control::ButtonMod, 448, 152, 57, 25, "Visualiser", nullptr},
    {Control::ButtonBOnc, 216, 384, 19, 17, nullptr, nullptr},
    {Control::ButtonBOc, 520, 384, 17, 17, nullptr, nullptr},
    {Control::ButtonPP, 472, 496, 129, 25, "Retour page modélisation", nullptr},
    {Control::Buttonregul, 664, 248, 17, 17, nullptr, nullptr},
};
const QRect DrawingPlace(WindowLayout::DrawingOrigin, QSize(Canvas::Width, Canvas::Height));
const QRect PrintButtonPlace(16, 504, 25, 25);
const QRect ScrollBarPlace(664, 504, 121, 16);
// Tall enough for its five entries whole, with its frame's pixel above and below.
const QRect ListPlace(64, 488, 329, 67);
// Under the start button and the scroll bar, clear of every control and of the speed marks.
const QRect StatusPlace(456, 523, 329, 13);
constexpr int ListItemHeight = 13;
constexpr int PrinterGlyphSize = 16;

struct LabelRow { const char *name; int left, top, width, height; const char *text; };
const LabelRow LabelRows[] = {
    {"Label4", 168, 0, 296, 13, "Asservissement de vitesse d'un radar par verrouillage de phase"},
    {"Label2", 640, 0, 64, 13, "Cours PLL"},
    {"Label3", 720, 0, 53, 13, "Version 2.2"},
};

QIcon printerIcon(qreal factor)
{
    // Two 16 x 16 glyphs side by side: the printer, and its grey twin for the disabled state;
    // enlarged with the layout, pixel for pixel.
    QPixmap glyphs(QStringLiteral(":/icons/printer.xpm"));
    glyphs.setMask(glyphs.createMaskFromColor(QColor(0x80, 0x80, 0x00)));
    const auto glyph = [&](int left) {
        const int size = int(std::lround(PrinterGlyphSize * factor));
        return glyphs.copy(left, 0, PrinterGlyphSize, PrinterGlyphSize).scaled(size, size);
    };
    QIcon icon;
    icon.addPixmap(glyph(0), QIcon::Normal);
    icon.addPixmap(glyph(PrinterGlyphSize), QIcon::Disabled);
    return icon;
}

// After "Pause" on the status line: the keys that step, as the key table sets them.
QString stepKeysHint()
{
    static const QString hint = QStringLiteral(" — « %1 » « %2 » : image par image")
                                    .arg(QString::fromStdString(CommandLine::keyOf(Keys::Action::StepBack)),
                                         QString::fromStdString(CommandLine::keyOf(Keys::Action::StepForward)));
    return hint;
}
}

DrawingArea::DrawingArea(Canvas &canvas, QWidget *parent)
    : QWidget(parent)
    , m_canvas(canvas)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingArea::showDrawing()
{
    // Only what changed: a tick that drew what was already there puts nothing on screen.
    const QRegion changed = m_canvas.takeChanges();
    if (changed.isEmpty())
        return;
    const qreal ratio = canvasRatio();
    QRegion area;
    for (const QRect &r : changed)
        area += QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio).toAlignedRect();
    update(area);
    if (m_changeListener)
        m_changeListener();
}

qreal DrawingArea::canvasRatio() const
{
    return qreal(Raster::edge(Canvas::Width, m_canvas.scale())) / width();
}

void DrawingArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_paintScale) {
        painter.drawImage(QRectF(rect()), m_canvas.render(m_paintScale));
        return;
    }
    const qreal ratio = canvasRatio();
    const QRectF r(event->rect());
    painter.drawImage(r, m_canvas.image(), QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
}

TPLL::TPLL(QWidget *parent)
    : QWidget(parent)
{
    Fonts::registerEmbedded();
    setWindowTitle(QStringLiteral("PLL"));
    setFont(Fonts::windowFont());
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setAcceptDrops(true);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes from control to control; the scroll area shows the one it reaches.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->viewport()->setBackgroundRole(QPalette::Button);
    m_scroll->horizontalScrollBar()->setObjectName(QStringLiteral("LayoutScrollX"));
    m_scroll->verticalScrollBar()->setObjectName(QStringLiteral("LayoutScrollY"));
    m_surface = new LayoutSurface(m_layout, m_scroll);
    m_scroll->setWidget(m_surface);
    // The drawing area comes first so that the buttons stand on top of it.
    FOND = new DrawingArea(m_stage.canvas, m_surface);
    FOND->setObjectName(QStringLiteral("FOND"));
    // A click on the picture takes the keys back from a control that holds them as text (a spin
    // box takes "," and "."), so that pause and the steps answer again; Tab passes it by.
    FOND->setFocusPolicy(Qt::ClickFocus);
    makeButtons();
    makeListAndLabels();
    LabPanel = new LabControls(*m_surface, [this](const LabCommand &c) { labAction(c); }, [this] { openCourseExperiment(); });
    Ranges = new RangesMeasure(*m_surface, m_stage.ranges, [this] { return m_stage.lab.settings(); }, [this] { showRanges(); });
    setTabOrders();

    addWindowKeys(*this);
    showActionStates();
    // The zoom actions greyed out as the starting size calls for.
    setZoom(zoom());
    makeAccessible(*this);
    placeControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(20);
    connect(Timer1, &QTimer::timeout, this, &TPLL::Timer1Timer);
    Timer1->start();
    // A tick the timer brings late moves the lab on by the periods the clock saw go by.
    m_playback.setClock([] {
        return std::int64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::steady_clock::now().time_since_epoch()).count());
    });
}

void TPLL::makeButtons()
{
    for (const ButtonRow &row : ButtonRows) {
        auto *button = new QPushButton(m_surface);
        m_buttons[std::size_t(row.control)] = button;
        button->setObjectName(QLatin1String(controlName(row.control)));
        if (row.caption)
            button->setText(QString::fromUtf8(row.caption));
        if (row.hint)
            button->setToolTip(QString::fromUtf8(row.hint));
        button->setVisible(m_stage.controls.isShown(row.control));
        connect(button, &QPushButton::clicked, this, [this, c = commandOf(row.control)] { command(c); });
    }
    BitBtn1 = new QPushButton(m_surface);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("Imprimer la page en cours"));
    connect(BitBtn1, &QPushButton::clicked, this, &TPLL::BitBtn1Click);

    ScrollBar1 = new QScrollBar(Qt::Horizontal, m_surface);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->setRange(1, 100);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(10);
    ScrollBar1->setValue(20);
    ScrollBar1->setToolTip(QStringLiteral("Réglage vitesse animation"));
}

void TPLL::makeListAndLabels()
{
    ListBox1 = new QListWidget(m_surface);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setToolTip(QStringLiteral("MENU"));
    ListBox1->setUniformItemSizes(true);
    for (const Topic &topic : topics())
        new QListWidgetItem(QString::fromUtf8(topic.title), ListBox1);
    // A click, or a keyboard move or Space, on an entry chooses it; choosing the same entry again,
    // by a click or Enter, resets it.
    connect(ListBox1, &QListWidget::itemClicked, this, &TPLL::Choix);
    connect(ListBox1, &QListWidget::itemActivated, this, &TPLL::Choix);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TPLL::Choix);

    for (const LabelRow &row : LabelRows) {
        auto *label = new QLabel(QString::fromUtf8(row.text), m_surface);
        m_titles.push_back(label);
        label->setObjectName(QLatin1String(row.name));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(toRgb(Colour::Maroon)));
        label->setPalette(palette);
        // Said outright: on the window's button-face background a child writes in the button-text
        // colour, whatever its palette's window text.
        label->setForegroundRole(QPalette::WindowText);
    }
    StatusLine = new QLabel(m_surface);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
}

void TPLL::setTabOrders()
{
    setTabOrder(button(Control::Button1), ScrollBar1);
    setTabOrder(ScrollBar1, ListBox1);
    QWidget *previous = ListBox1;
    for (QWidget *control : LabPanel->tabOrder() + Ranges->tabOrder()) {
        setTabOrder(previous, control);
        previous = control;
    }
    for (const ButtonRow &row : ButtonRows) {
        if (row.control != Control::Button1) {
            setTabOrder(previous, button(row.control));
            previous = button(row.control);
        }
    }
    setTabOrder(previous, BitBtn1);
}

void TPLL::placeControls()
{
    setFont(m_layout.font(Fonts::windowFont()));
    // The area is its picture's size, whatever the rounding of the edges around it.
    FOND->setGeometry(QRect(m_layout.place(DrawingPlace.topLeft()), m_layout.scaled(DrawingPlace.size())));
    for (const ButtonRow &row : ButtonRows)
        button(row.control)->setGeometry(m_layout.place(QRect(row.left, row.top, row.width, row.height)));
    BitBtn1->setGeometry(m_layout.place(PrintButtonPlace));
    BitBtn1->setIcon(printerIcon(m_layout.factor));
    BitBtn1->setIconSize(m_layout.scaled(QSize(PrinterGlyphSize, PrinterGlyphSize)));
    ScrollBar1->setGeometry(m_layout.place(ScrollBarPlace));
    ListBox1->setGeometry(m_layout.place(ListPlace));
    for (int i = 0; i < ListBox1->count(); ++i)
        ListBox1->item(i)->setSizeHint(QSize(0, int(ListItemHeight * m_layout.factor))); // five always fit
    for (std::size_t i = 0; i < std::size(LabelRows); ++i) {
        const LabelRow &row = LabelRows[i];
        QLabel *label = m_titles[i];
        // Our font runs a little wider than the one the layout was made for: never cut a label.
        const QRect place = m_layout.place(QRect(row.left, row.top, row.width, row.height));
        label->setGeometry(QRect(place.topLeft(), QSize(std::max(place.width(), label->sizeHint().width()), place.height())));
    }
    StatusLine->setGeometry(m_layout.place(StatusPlace));
    LabPanel->place(m_layout);
    Ranges->place(m_layout);
    // An enlargement the screen cannot hold scrolls, in a window no larger.
    fitSurface();
    setMinimumSize(leastSize().boundedTo(roomOnScreen()));
    m_surface->update();
}

void TPLL::showActionStates()
{
    action(Keys::Action::Pause)->setChecked(m_playback.isPaused());
    action(Keys::Action::StepBack)->setEnabled(m_playback.canStepBack());
    // The lab's files, on its page only.
    action(Keys::Action::SaveExperiment)->setEnabled(labShowing());
    action(Keys::Action::ExportMeasures)->setEnabled(labShowing());
}

void TPLL::showStage()
{
    // The window may have moved to a screen of another pixel density.
    matchCanvasScale();
    for (const ButtonRow &row : ButtonRows)
        button(row.control)->setVisible(m_stage.controls.isShown(row.control));
    LabPanel->setVisible(m_stage.controls.isShown(Control::LabPanel));
    LabPanel->show(m_stage.lab, m_stage.labView);
    Ranges->setVisible(m_stage.controls.isShown(Control::LabPanel) && rangesChartShows(m_stage));
    FOND->showDrawing();

    showActionStates();
    QString status;
    if (m_playback.isPaused()) {
        status = QStringLiteral("Pause");
        if (const auto progress = animationProgress())
            status += QStringLiteral(" — image %1 / %2").arg(progress->frame).arg(progress->last);
        else if (labShowing() && m_stage.lab.atEnd())
            status += QStringLiteral(" — fin de l'expérience");
        status += stepKeysHint();
    }
    if (StatusLine->text() != status)
        StatusLine->setText(status);
}

void TPLL::Timer1Timer()
{
    if (Timer1->interval() != ScrollBar1->value())
        Timer1->setInterval(ScrollBar1->value());
    if (!m_playback.isPaused())
        takeLabTickPeriod();
    m_playback.tick();
    showStage();
}

void TPLL::takeLabTickPeriod()
{
    m_playback.takeLabTickPeriod(ScrollBar1->value());
}

void TPLL::labAction(const LabCommand &command)
{
    m_playback.labAction(command);
    showStage();
}

void TPLL::showRanges()
{
    // Drawn at once, also while paused: the measure goes on whether the animation does or not.
    if (labShowing())
        drawLabPage(m_stage);
    showStage();
}

void TPLL::command(Command command)
{
    command(m_stage);
    m_playback.commandDone();
    showStage();
}

void TPLL::Choix()
{
    const QList<QListWidgetItem *> selected = ListBox1->selectedItems();
    const int entry = selected.isEmpty() ? -1 : ListBox1->row(selected.first());
    ::Choix(m_stage, entry);
    m_playback.commandDone();
    showStage();
}

void TPLL::togglePause()
{
    m_playback.setPaused(!m_playback.isPaused());
    showStage();
}

void TPLL::stepForward()
{
    // A step while running pauses first, as video players do.
    m_playback.setPaused(true);
    takeLabTickPeriod();
    m_playback.stepForward();
    showStage();
}

void TPLL::stepBack()
{
    m_playback.setPaused(true);
    m_playback.stepBack();
    showStage();
}

void TPLL::print()
{
    if (BitBtn1->isEnabled())
        BitBtn1Click();
}

void TPLL::BitBtn1Click()
{
    // The picture is drawn before the button greys out. One page at a time: the button comes
    // back when the print service has answered, which the window does not wait for.
    const QImage picture = layoutPicture(PrintScale);
    BitBtn1->setEnabled(false);
    auto *job = new QFutureWatcher<PrintResult>(this);
    connect(job, &QFutureWatcher<PrintResult>::finished, this, [this, job] {
        job->deleteLater();
        BitBtn1->setEnabled(true);
        const QString message = printResultMessage(job->result());
        if (message.isEmpty())
            return;
        // Also in the program's output, for whoever looks into a printing problem later.
        qWarning("%s", qUtf8Printable(message));
        QMessageBox::warning(this, QStringLiteral("Impression"), message);
    });
    job->setFuture(QtConcurrent::run(printOnDefaultPrinter, picture));
}

#include "app/tpll.h"

#include "app/page_state.h"
#include "app/print_job.h"
#include "drawing/fonts.h"

#include <QFutureWatcher>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStaticText>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

TPLL *PLL = nullptr;

namespace {
struct ButtonRow
{
    QPushButton *TPLL::*button;
    int left, top, width, height;
    const char *caption;
    const char *hint;
    bool shown;
    void (TPLL::*click)();
};

// In tab order; the scroll bar and the list take tab places 1 and 2, after Button1.
const ButtonRow ButtonRows[] = {
    {&TPLL::Button1, 456, 496, 105, 25, "Démarrer Animation", nullptr, false, &TPLL::Button1Click},
    {&TPLL::ButtonA, 40, 136, 17, 17, nullptr, "Consigne", false, &TPLL::ButtonAClick},
    {&TPLL::ButtonB, 168, 144, 17, 17, nullptr, "Comparateur de phase", false, &TPLL::ButtonBClick},
    {&TPLL::ButtonC, 272, 120, 17, 17, nullptr, "Régulateur", false, &TPLL::ButtonCClick},
    {&TPLL::Button2, 712, 448, 17, 17, nullptr, "variation phase", false, &TPLL::Button2Click},
    {&TPLL::ButtonPD, 656, 224, 57, 25, "visualiser", nullptr, false, &TPLL::ButtonPDClick},
    {&TPLL::ButtonD, 376, 120, 17, 17, nullptr, "Amplificateur de puissance", false, &TPLL::ButtonDClick},
    {&TPLL::ButtonE, 512, 120, 17, 17, nullptr, "Moteur à courant continu", false, &TPLL::ButtonEClick},
    {&TPLL::ButtonF, 632, 120, 17, 17, nullptr, "réducteur + radar", true, &TPLL::ButtonFClick},
    {&TPLL::ButtonG, 456, 48, 17, 17, nullptr, "capteur de vitesse", true, &TPLL::ButtonGClick},
    {&TPLL::Button3, 744, 312, 17, 17, nullptr, nullptr, false, &TPLL::Button3Click},
    {&TPLL::ButtonMod, 448, 152, 57, 25, "Visualiser", nullptr, false, &TPLL::ButtonModClick},
    {&TPLL::ButtonBOnc, 216, 384, 19, 17, nullptr, nullptr, false, &TPLL::ButtonBOncClick},
    {&TPLL::ButtonBOc, 520, 384, 17, 17, nullptr, nullptr, false, &TPLL::ButtonBOcClick},
    {&TPLL::ButtonPP, 472, 496, 129, 25, "Retour page modélisation", nullptr, false, &TPLL::ButtonPPClick},
    {&TPLL::Buttonregul, 664, 248, 17, 17, nullptr, nullptr, false, &TPLL::ButtonregulClick},
    {&TPLL::BitBtn1, 16, 504, 25, 25, nullptr, "Imprimer la page en cours", true, &TPLL::BitBtn1Click},
};

struct LabelRow { QLabel *TPLL::*label; int left, top, width, height; const char *text; };
const LabelRow LabelRows[] = {
    {&TPLL::Label4, 168, 0, 296, 13, "Asservissement de vitesse d'un radar par verrouillage de phase"},
    {&TPLL::Label2, 640, 0, 64, 13, "Cours PLL"},
    {&TPLL::Label3, 720, 0, 53, 13, "Version 2.2"},
};

const char *const Topics[] = {
    "Présentation de chaque élément de la boucle",
    "Modélisation de la boucle",
    "Comportement en boucle fermée en un point de fonctionnement",
    "Modification de la vitesse",
};

QIcon printerIcon()
{
    // Two 16 x 16 glyphs side by side: the printer, and its grey twin for the disabled state.
    QPixmap glyphs(QStringLiteral(":/icons/printer.xpm"));
    glyphs.setMask(glyphs.createMaskFromColor(QColor(0x80, 0x80, 0x00)));
    QIcon icon;
    icon.addPixmap(glyphs.copy(0, 0, 16, 16), QIcon::Normal);
    icon.addPixmap(glyphs.copy(16, 0, 16, 16), QIcon::Disabled);
    return icon;
}
}

DrawingArea::DrawingArea(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingArea::showDrawing()
{
    // The canvas paints lazily: a painter still open means something was drawn since last time.
    if (m_canvas.isPainting())
        update();
}

void DrawingArea::paintEvent(QPaintEvent *event)
{
    QPainter(this).drawImage(event->rect(), m_canvas.image(), event->rect());
}

TPLL::TPLL(QWidget *parent)
    : QWidget(parent)
{
    Fonts::registerEmbedded();
    setWindowTitle(QStringLiteral("PLL"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/pll.xpm")));
    setFont(Fonts::windowFont());
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    // The drawing area comes first so that the buttons stand on top of it.
    FOND = new DrawingArea(this);
    FOND->setGeometry(10, 16, Canvas::Width, Canvas::Height);

    for (const ButtonRow &row : ButtonRows) {
        auto *button = new QPushButton(this);
        this->*row.button = button;
        button->setGeometry(row.left, row.top, row.width, row.height);
        if (row.caption)
            button->setText(QString::fromUtf8(row.caption));
        if (row.hint)
            button->setToolTip(QString::fromUtf8(row.hint));
        button->setVisible(row.shown);
        if (row.click)
            connect(button, &QPushButton::clicked, this, row.click);
    }
    BitBtn1->setIcon(printerIcon());

    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setGeometry(664, 504, 121, 16);
    ScrollBar1->setRange(1, 100);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(10);
    ScrollBar1->setValue(20);
    ScrollBar1->setToolTip(QStringLiteral("Réglage vitesse animation"));

    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(64, 488, 329, 49);
    ListBox1->setToolTip(QStringLiteral("MENU"));
    ListBox1->setUniformItemSizes(true);
    for (const char *topic : Topics) {
        auto *item = new QListWidgetItem(QString::fromUtf8(topic), ListBox1);
        item->setSizeHint(QSize(0, 13));
    }
    // A click, or a keyboard move, on an entry chooses it; choosing the same entry again resets it.
    connect(ListBox1, &QListWidget::itemClicked, this, &TPLL::Choix);
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TPLL::Choix);

    for (const LabelRow &row : LabelRows) {
        auto *label = new QLabel(QString::fromUtf8(row.text), this);
        this->*row.label = label;
        // Our font runs a little wider than the one the layout was made for: never cut a label.
        label->setGeometry(row.left, row.top, std::max(row.width, label->sizeHint().width()), row.height);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(toRgb(Colour::Maroon)));
        label->setPalette(palette);
        // Said outright: on the window's button-face background a child writes in the button-text
        // colour, whatever its palette's window text.
        label->setForegroundRole(QPalette::WindowText);
    }

    setTabOrder(Button1, ScrollBar1);
    setTabOrder(ScrollBar1, ListBox1);
    QWidget *previous = ListBox1;
    for (const ButtonRow &row : ButtonRows) {
        if (this->*row.button != Button1) {
            setTabOrder(previous, this->*row.button);
            previous = this->*row.button;
        }
    }

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(20);
    connect(Timer1, &QTimer::timeout, this, &TPLL::Timer1Timer);
    Timer1->start();
}

void TPLL::ClearDrawingArea()
{
    Canvas &c = canvas();
    c.setBrushColor(Colour::BtnFace);
    c.setPenColor(Colour::BtnFace);
    c.Rectangle(0, 0, 793, 473);
}

void TPLL::Choix()
{
    for (int i = 0; i < ListBox1->count(); ++i) {
        if (!ListBox1->item(i)->isSelected())
            continue;
        ChoiceIndex = i;
        for (QPushButton *b : {ButtonA, ButtonB, ButtonC, ButtonD, ButtonE, ButtonF, ButtonG})
            b->hide();
        Button1->show();
        for (QPushButton *b : {Button2, ButtonBOnc, ButtonBOc, Buttonregul, ButtonPP})
            b->hide();
        ElementActive = 0;
        ElementStep = 0;
        PageStep = 0;
    }
}

void TPLL::Button1Click()
{
    ShowModelButton = 1;
    ButtonBOnc->hide();
    ButtonBOc->hide();
    ClearDrawingArea();
    switch (ChoiceIndex) {
    case 0: {
        PageStep = -1;
        Canvas &c = canvas();
        c.setFontColor(Colour::Blue);
        c.setFontSize(12);
        c.TextOut(160, 200, QStringLiteral("Des explications sur la configuration choisie peuvent être"));
        c.TextOut(120, 230, QStringLiteral("obtenues en cliquant sur les boutons correspondant à chaque élément"));
        break;
    }
    case 1: PageStep = -2; break;
    case 2: PageStep = 1; break;
    case 3: PageStep = 251; break;
    default: break;
    }
    FOND->showDrawing();
}

void TPLL::startElement(int firstStep)
{
    ClearDrawingArea();
    Button3->hide();
    SensorStep = 0;
    ElementActive = 1;
    ElementStep = firstStep;
    FOND->showDrawing();
}

void TPLL::ButtonAClick() { startElement(1); }
void TPLL::ButtonBClick() { startElement(21); Button1->hide(); }
void TPLL::ButtonCClick() { startElement(81); ButtonPD->hide(); }
void TPLL::ButtonDClick() { startElement(141); }
void TPLL::ButtonEClick() { startElement(201); }
void TPLL::ButtonFClick() { startElement(261); }
void TPLL::ButtonGClick() { startElement(321); }

void TPLL::Button2Click()
{
    PhaseSweepStep = 1;
}

void TPLL::Button3Click()
{
    Canvas &c = canvas();
    c.setPenAndBrush(Colour::BtnFace);
    c.Rectangle(600, 220, 750, 270);
    ElementStep = -1;
    SensorStep = 1;
    FOND->showDrawing();
}

void TPLL::drawPicture(Picture &picture, const QString &name, int x, int y)
{
    if (picture.isNull()) {
        picture = Picture::fromResource(name);
        picture.setTransparent(true);
    }
    canvas().Draw(x, y, picture);
    FOND->showDrawing();
}

void TPLL::BitBtn1Click()
{
    // The picture is taken before the button greys out. One page at a time: the button comes
    // back when the print service has answered, which the window does not wait for.
    const QImage picture = grab().toImage();
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

void TPLL::paintEvent(QPaintEvent *)
{
    // The speed marks beside the scroll bar: "+" speeds the animation up. Painted with the
    // window whenever it shows, so they are always there; laid out once.
    static const QFont font = Fonts::pageFont(QStringLiteral("MS Sans Serif"), 12);
    static const QStaticText plus(QStringLiteral("+")), minus(QStringLiteral("-"));
    QPainter painter(this);
    painter.setFont(font);
    painter.setPen(QColor(toRgb(Colour::Blue)));
    painter.drawStaticText(650, 500, plus);
    painter.drawStaticText(790, 500, minus);
}

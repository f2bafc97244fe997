#include "app/accessibility.h"

#include "app/tpll.h"
#include "pages/page_tick.h"
#include "pages/topics.h"
#include "pages/presentation/presentation_page.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFocusFrame>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace {
// The controls with neither caption nor hint, named after what they do.
struct NameRow
{
    const char *control;
    const char *name;
};
const NameRow ControlNames[] = {
    {"LayoutScrollX", "Défilement horizontal de la fenêtre"},
    {"LayoutScrollY", "Défilement vertical de la fenêtre"},
    {"Button3", "Observer la rotation du capteur"},
    {"ButtonBOnc", "Stabilité sans régulateur PD"},
    {"ButtonBOc", "Stabilité avec régulateur PD"},
    {"Buttonregul", "Choix des constantes de temps du régulateur"},
    {"ListBox1", "Choix du sujet"},
};

const QString MenuPageTitle = QStringLiteral("Menu : schéma de la boucle");
const QString TitleSeparator = QStringLiteral(" — ");

// A button without caption is named by its hint, as its tooltip shows it; the scroll bar too.
void nameControls(QWidget &window, QWidget &surface, QScrollBar &speed)
{
    for (QPushButton *button : surface.findChildren<QPushButton *>(Qt::FindDirectChildrenOnly))
        if (button->text().isEmpty() && !button->toolTip().isEmpty())
            button->setAccessibleName(button->toolTip());
    speed.setAccessibleName(speed.toolTip());
    for (const NameRow &row : ControlNames)
        if (auto *control = window.findChild<QWidget *>(QLatin1String(row.control)))
            control->setAccessibleName(QString::fromUtf8(row.name));
}

// A ring in the highlight colour around the control the keyboard brought the focus to, over
// the drawing area too, where the style's own frame on a small button is easily missed. A click
// shows no ring: what was clicked is plain.
class FocusRing : public QObject
{
public:
    explicit FocusRing(QWidget &surface)
        : QObject(&surface)
    {
        for (QWidget *control : surface.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (control->focusPolicy() != Qt::NoFocus)
                control->installEventFilter(this);
        m_ring = new QFocusFrame(&surface);
        QPalette palette = m_ring->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
        m_ring->setPalette(palette);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            const bool clicked = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
            m_ring->setWidget(clicked ? nullptr : static_cast<QWidget *>(watched));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QFocusFrame *m_ring;
};

// The drawing area as a screen reader meets it: a picture named after the page, whose
// description and text are the page's texts.
class DrawingAreaAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    DrawingAreaAccessible(QWidget *area, PageAnnouncer *announcer)
        : QAccessibleWidget(area, QAccessible::Graphic)
        , m_announcer(announcer)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return m_announcer->title();
        if (t == QAccessible::Description)
            return m_announcer->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // Read only, with neither selection nor caret.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return m_announcer->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(m_announcer->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    PageAnnouncer *m_announcer;
};

// The window is a frame named by its title; the drawing area reads as above.
QAccessibleInterface *accessibleFor(const QString &, QObject *object)
{
    if (auto *window = dynamic_cast<TPLL *>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    if (auto *area = dynamic_cast<DrawingArea *>(object))
        if (auto *announcer = area->window()->findChild<PageAnnouncer *>())
            return new DrawingAreaAccessible(area, announcer);
    return nullptr;
}
}

void makeAccessible(TPLL &window)
{
    static const bool installed = (QAccessible::installFactory(accessibleFor), true);
    Q_UNUSED(installed);
    nameControls(window, *window.m_surface, *window.ScrollBar1);
    // Tab reaches the scroll bar; its arrows move the thumb their way, as the arrows of a slider.
    window.ScrollBar1->setFocusPolicy(Qt::StrongFocus);
    window.ScrollBar1->setInvertedControls(false);
    new FocusRing(*window.m_surface);
    new PageAnnouncer(window);
}

PageAnnouncer::PageAnnouncer(TPLL &window)
    : QObject(&window)
    , m_window(window)
{
    // Told of every text the pages draw; read only when asked or announced.
    window.canvas().setTextListener(&m_reader);
    window.FOND->setChangeListener([this] { drawn(); });
    // The reader meets the window on the page it opens with: that title is not news.
    m_toldTitle = title();
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(AnnounceEvery);
    connect(&m_throttle, &QTimer::timeout, this, &PageAnnouncer::announce);
}

QString PageAnnouncer::title() const
{
    QStringList parts;
    const std::optional<int> topic = topicShown();
    parts << (topic ? QString::fromUtf8(topics()[std::size_t(*topic)].title) : MenuPageTitle);
    if (const std::optional<Control> section = presentationSection())
        parts << m_window.findChild<QPushButton *>(QLatin1String(controlName(*section)))->accessibleName();
    if (const std::optional<AnimationProgress> progress = animationProgress())
        parts << QStringLiteral("image %1 sur %2").arg(progress->frame).arg(progress->last);
    return parts.join(TitleSeparator);
}

QString PageAnnouncer::text()
{
    if (m_drawnSince) {
        // The texts were drawn at the picture's own size: read it at that size, whatever the window's.
        m_text = m_reader.read(m_window.canvas().render(1));
        m_drawnSince = false;
    }
    return m_text;
}

void PageAnnouncer::drawn()
{
    m_drawnSince = true;
    if (QAccessible::isActive() && !m_throttle.isActive())
        m_throttle.start();
}

void PageAnnouncer::announce()
{
    const QString title = this->title();
    if (title != m_toldTitle) {
        m_toldTitle = title;
        QAccessibleEvent named(m_window.FOND, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&named);
    }
    const QString text = this->text();
    if (text != m_toldText) {
        QAccessibleTextUpdateEvent updated(m_window.FOND, 0, m_toldText, text);
        QAccessible::updateAccessibility(&updated);
        QAccessibleEvent described(m_window.FOND, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
        m_toldText = text;
    }
}

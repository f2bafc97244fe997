// What the window shows, read without reaching its widgets: each control as a user and a screen
// reader find it, the tab order, the actions' state, the timer. The tests read the window here,
// so its widgets can change without them.
#include "app/tpll.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>

namespace {
// The widget's own value, where it has one.
double valueOf(const QWidget *widget)
{
    if (const auto *slider = qobject_cast<const QAbstractSlider *>(widget))
        return slider->value();
    if (const auto *box = qobject_cast<const QSpinBox *>(widget))
        return box->value();
    if (const auto *box = qobject_cast<const QDoubleSpinBox *>(widget))
        return box->value();
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentIndex();
    if (const auto *tabs = qobject_cast<const QTabBar *>(widget))
        return tabs->currentIndex();
    if (const auto *list = qobject_cast<const QListWidget *>(widget))
        return list->currentRow();
    if (const auto *bar = qobject_cast<const QProgressBar *>(widget))
        return bar->value();
    return 0;
}

QString textOf(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *box = qobject_cast<const QAbstractSpinBox *>(widget))
        return box->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (const auto *tabs = qobject_cast<const QTabBar *>(widget))
        return tabs->tabText(tabs->currentIndex());
    if (const auto *list = qobject_cast<const QListWidget *>(widget))
        return list->currentItem() ? list->currentItem()->text() : QString();
    if (const auto *bar = qobject_cast<const QProgressBar *>(widget))
        return bar->text();
    return {};
}
}

std::optional<ControlState> TPLL::control(const QString &name) const
{
    const QWidget *widget = findChild<QWidget *>(name);
    if (!widget)
        return std::nullopt;
    const auto *button = qobject_cast<const QAbstractButton *>(widget);
    return ControlState{widget->accessibleName(), textOf(widget), widget->toolTip(),
                        QRect(widget->mapTo(this, QPoint()), widget->size()), widget->sizeHint(), widget->isVisible(),
                        widget->isEnabled(), button && button->isChecked(), widget->hasFocus(), valueOf(widget)};
}

QStringList TPLL::tabOrder() const
{
    QStringList names;
    const QWidget *first = button(Control::Button1);
    for (const QWidget *w = first; w && (names.isEmpty() || w != first); w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus && w->parentWidget() == m_surface)
            names << w->objectName();
    return names;
}

QAction *TPLL::action(Keys::Action id) const
{
    return m_actions.at(id);
}

bool TPLL::isEnabled(Keys::Action id) const
{
    return action(id)->isEnabled();
}

bool TPLL::isChecked(Keys::Action id) const
{
    return action(id)->isChecked();
}

int TPLL::tickPeriod() const
{
    return Timer1->interval();
}

QString TPLL::status() const
{
    return StatusLine->text();
}

QImage TPLL::picture(const QString &name) const
{
    QWidget *widget = findChild<QWidget *>(name);
    return widget ? widget->grab().toImage() : QImage();
}

QList<QAction *> TPLL::menuActions() const
{
    return FOND->actions();
}

void TPLL::stopTicking()
{
    Timer1->stop();
}

#pragma once
// The window used as a user and an assistive tool use it, for the tests: a control clicked where
// it stands, a list entry chosen with a click, a value set through the accessibility interface,
// text typed into the control that has the focus. What the window shows is read through
// TPLL::control() and its like; no test reaches a widget of the window.
#include "app/tpll.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QTest>

namespace User {

// The accessibility interface of the control named `name`, as a screen reader meets it.
inline QAccessibleInterface *accessible(TPLL &w, const QString &name)
{
    return QAccessible::queryAccessibleInterface(w.findChild<QWidget *>(name));
}

// The keyboard's focus put on the control named `name`, as Tab puts it there.
inline void focus(TPLL &w, const QString &name)
{
    w.findChild<QWidget *>(name)->setFocus(Qt::TabFocusReason);
}

// A click at a point of the window, on whatever control stands there.
inline void clickAt(TPLL &w, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *target = w.childAt(at);
    if (!target)
        target = &w;
    QTest::mouseClick(target, button, {}, target->mapFrom(&w, at));
}

// The value of a scroll bar, slider or spin box, set as an assistive tool sets it.
inline void setValue(TPLL &w, const QString &name, double value)
{
    accessible(w, name)->valueInterface()->setCurrentValue(value);
}

// A layout larger than the window scrolled until the middle of `place` shows, as a user drags
// the window's scroll bars.
inline void scrollToSight(TPLL &w, const QRect &place)
{
    QRect sight = w.rect();
    const auto bar = [&](const char *name) { return w.control(QLatin1String(name)); };
    if (bar("LayoutScrollY")->shown)
        sight.setRight(bar("LayoutScrollY")->place.left() - 1);
    if (bar("LayoutScrollX")->shown)
        sight.setBottom(bar("LayoutScrollX")->place.top() - 1);
    const QPoint off = place.center() - sight.center();
    if (place.center().x() < sight.left() || place.center().x() > sight.right())
        setValue(w, QStringLiteral("LayoutScrollX"), bar("LayoutScrollX")->value + off.x());
    if (place.center().y() < sight.top() || place.center().y() > sight.bottom())
        setValue(w, QStringLiteral("LayoutScrollY"), bar("LayoutScrollY")->value + off.y());
}

// A click on the control named `name`, in its middle, or where it shows if another control
// stands over its middle (as "Retour page modélisation" stands over most of the start button).
inline void click(TPLL &w, const QString &name)
{
    const QWidget *control = w.findChild<QWidget *>(name);
    scrollToSight(w, w.control(name)->place);
    const QRect place = w.control(name)->place;
    const auto showsAt = [&](QPoint p) {
        const QWidget *there = w.childAt(p);
        return there && (there == control || control->isAncestorOf(there));
    };
    if (showsAt(place.center()))
        return clickAt(w, place.center());
    for (int y = place.top() + 1; y < place.bottom(); y += 2)
        for (int x = place.left() + 1; x < place.right(); x += 2)
            if (showsAt({x, y}))
                return clickAt(w, {x, y});
    QFAIL(qPrintable(QStringLiteral("%1 cannot be clicked: it is hidden or covered").arg(name)));
}

// A click on the part named `part` of the control `name` (a tab of a tab bar, an entry).
inline void clickPart(TPLL &w, const QString &name, const QString &part)
{
    QAccessibleInterface *control = accessible(w, name);
    const auto placeOf = [&](int i) { return QRect(w.mapFromGlobal(control->child(i)->rect().topLeft()), control->child(i)->rect().size()); };
    for (int i = 0; i < control->childCount(); ++i) {
        if (control->child(i)->text(QAccessible::Name) == part) {
            scrollToSight(w, placeOf(i));
            return clickAt(w, placeOf(i).center());
        }
    }
    QFAIL(qPrintable(QStringLiteral("%1 has no part named %2").arg(name, part)));
}

// Keys typed into the control that has the window's focus (also while another window is
// active), or the window.
inline void type(TPLL &w, const QString &text)
{
    QTest::keyClicks(w.focusWidget() ? w.focusWidget() : &w, text);
}
inline void key(TPLL &w, int key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(w.focusWidget() ? w.focusWidget() : &w, Qt::Key(key), modifiers);
}

// The topic list's entry `row`, clicked; first brought into sight with the list's arrow keys,
// as a user scrolls a list to an entry it does not show.
inline void choose(TPLL &w, int row)
{
    QAccessibleInterface *list = accessible(w, QStringLiteral("ListBox1"));
    const auto entry = [&] { return QRect(w.mapFromGlobal(list->child(row)->rect().topLeft()), list->child(row)->rect().size()); };
    if (!w.control(QStringLiteral("ListBox1"))->place.contains(entry())) {
        focus(w, QStringLiteral("ListBox1"));
        key(w, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            key(w, Qt::Key_Down);
    }
    scrollToSight(w, entry());
    clickAt(w, entry().center());
}

}

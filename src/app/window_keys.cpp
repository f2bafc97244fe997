#include "app/window_keys.h"

#include "app/help_window.h"
#include "app/key_table.h"
#include "app/lab_controls.h"
#include "app/ranges_measure.h"
#include "app/tpll.h"

#include <QAction>
#include <QKeyEvent>

namespace {
// Échap in one of the lab's controls gives the keys back to the drawing area, where P, "," and "."
// pause and step again; in full screen the window's own Échap, which leaves it, comes first.
class EscapeToDrawing : public QObject
{
public:
    explicit EscapeToDrawing(QWidget &drawing)
        : QObject(&drawing)
        , m_drawing(drawing)
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
            return false;
        m_drawing.setFocus(Qt::ShortcutFocusReason);
        return true;
    }

private:
    QWidget &m_drawing;
};

// What the action does.
void connectAction(TPLL &w, Keys::Action id, QAction *action)
{
    const auto run = [&](auto work) { QObject::connect(action, &QAction::triggered, &w, work); };
    switch (id) {
    case Keys::Action::Pause: run(&TPLL::togglePause); break;
    case Keys::Action::StepForward: run(&TPLL::stepForward); break;
    case Keys::Action::StepBack: run(&TPLL::stepBack); break;
    case Keys::Action::Copy: run(&TPLL::copyPicture); break;
    case Keys::Action::Save: run(&TPLL::savePicture); break;
    case Keys::Action::CourseExperiments: run(&TPLL::openCourseExperiment); break;
    case Keys::Action::OpenExperiment: run(&TPLL::openExperiment); break;
    case Keys::Action::SaveExperiment: run(&TPLL::saveExperiment); break;
    case Keys::Action::ExportMeasures: run(&TPLL::exportMeasures); break;
    case Keys::Action::ZoomIn: run(&TPLL::zoomIn); break;
    case Keys::Action::ZoomOut: run(&TPLL::zoomOut); break;
    case Keys::Action::ZoomReset: run([&w] { w.setZoom(1); }); break;
    case Keys::Action::FullScreen: run(&TPLL::toggleFullScreen); break;
    // Échap is taken from the controls only in full screen.
    case Keys::Action::LeaveFullScreen:
        action->setEnabled(false);
        run(&TPLL::toggleFullScreen);
        break;
    case Keys::Action::Print: run(&TPLL::print); break;
    case Keys::Action::Help: run([&w] { showHelp(w); }); break;
    case Keys::Action::Quit: run([&w] { w.close(); }); break;
    }
}
}

void addWindowKeys(TPLL &window)
{
    // The menu's actions are the drawing area's; their keys work whichever control has focus. A
    // key off the menu is the window's own.
    Keys::Menu group = Keys::Menu::Off;
    for (const Keys::Row &row : Keys::Actions) {
        auto *action = new QAction(&window);
        if (row.text)
            action->setText(QString::fromUtf8(row.text));
        QList<QKeySequence> keys;
        for (const char *key : row.keyList())
            keys << QKeySequence::fromString(QString::fromUtf8(key), QKeySequence::PortableText);
        action->setShortcuts(keys);
        action->setShortcutContext(row.reach == Keys::Reach::Application ? Qt::ApplicationShortcut : Qt::WindowShortcut);
        action->setCheckable(row.checkable);
        connectAction(window, row.action, action);
        window.m_actions[row.action] = action;
        if (row.menu == Keys::Menu::Off) {
            window.addAction(action);
            continue;
        }
        if (group != Keys::Menu::Off && group != row.menu) {
            auto *separator = new QAction(&window);
            separator->setSeparator(true);
            window.FOND->addAction(separator);
        }
        group = row.menu;
        action->setShortcutVisibleInContextMenu(true);
        window.FOND->addAction(action);
    }
    window.FOND->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *escape = new EscapeToDrawing(*window.FOND);
    for (QWidget *control : window.LabPanel->tabOrder() + window.Ranges->tabOrder())
        control->installEventFilter(escape);
}

#include "app/window_keys.h"

#include "app/help_window.h"
#include "app/key_table.h"
#include "app/lab_controls.h"
#include "app/tpll.h"

#include <QAction>
#include <QEvent>
#include <QPushButton>

namespace {
// Follows a lab control being shown and hidden by the window onto an action.
class LabShownFilter : public QObject
{
public:
    explicit LabShownFilter(QAction *action) : QObject(action), m_action(action) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            m_action->setEnabled(event->type() == QEvent::ShowToParent);
        return false;
    }

private:
    QAction *m_action;
};

// Enabled while the lab's controls show, that is on the lab's page: they show and hide together,
// so the first tells.
void enableOnTheLab(TPLL &w, QAction *action)
{
    action->setEnabled(!w.LabPanel->tabOrder().first()->isHidden());
    w.LabPanel->tabOrder().first()->installEventFilter(new LabShownFilter(action));
}

// What the action does, and the window's member that names it.
void connectAction(TPLL &w, Keys::Action id, QAction *action)
{
    const auto run = [&](auto work) { QObject::connect(action, &QAction::triggered, &w, work); };
    switch (id) {
    case Keys::Action::Pause:
        w.PauseAction = action;
        run(&TPLL::togglePause);
        break;
    case Keys::Action::StepForward:
        w.StepForwardAction = action;
        run(&TPLL::stepForward);
        break;
    case Keys::Action::StepBack:
        w.StepBackAction = action;
        run(&TPLL::stepBack);
        break;
    case Keys::Action::Copy:
        w.CopyAction = action;
        run(&TPLL::copyPicture);
        break;
    case Keys::Action::Save:
        w.SaveAction = action;
        run(&TPLL::savePicture);
        break;
    case Keys::Action::OpenExperiment:
        run(&TPLL::openExperiment);
        break;
    case Keys::Action::SaveExperiment:
        w.SaveExperimentAction = action;
        run(&TPLL::saveExperiment);
        enableOnTheLab(w, action);
        break;
    case Keys::Action::ExportMeasures:
        w.ExportAction = action;
        run(&TPLL::exportMeasures);
        enableOnTheLab(w, action);
        break;
    case Keys::Action::ZoomIn:
        w.ZoomInAction = action;
        run([&w] { w.setZoom(w.zoom() + 1); });
        break;
    case Keys::Action::ZoomOut:
        w.ZoomOutAction = action;
        run([&w] { w.setZoom(w.zoom() - 1); });
        break;
    case Keys::Action::ZoomReset:
        w.ZoomResetAction = action;
        run([&w] { w.setZoom(1); });
        break;
    case Keys::Action::FullScreen:
        w.FullScreenAction = action;
        run(&TPLL::toggleFullScreen);
        break;
    case Keys::Action::LeaveFullScreen:
        // Échap is taken from the controls only in full screen.
        w.LeaveFullScreenAction = action;
        action->setEnabled(false);
        run(&TPLL::toggleFullScreen);
        break;
    case Keys::Action::Print:
        run([&w] { w.BitBtn1->click(); });
        break;
    case Keys::Action::Help:
        run([&w] { showHelp(w); });
        break;
    case Keys::Action::Quit:
        run([&w] { w.close(); });
        break;
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
}

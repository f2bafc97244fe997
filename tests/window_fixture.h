#pragma once
// The real window for a test: state at its start values, timer stopped so the test ticks by
// hand, shown on the offscreen platform.
#include "pages/page_state.h"
#include "app/tpll.h"
#include "window_user.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <memory>

// A print service that is not there, so that no test prints on the developer's printer.
inline void pointAtNoPrintService()
{
    qputenv("CUPS_SERVER", QDir::temp().filePath(QStringLiteral("pll-tests-no-print-service")).toLocal8Bit());
}

inline std::unique_ptr<TPLL> openWindow()
{
    resetPageState();
    auto window = std::make_unique<TPLL>();
    window->stopTicking();
    window->resize(WindowLayout::Classic);
    window->show();
    return window;
}

// Accepts every message box as it opens, as a user who has read it, keeping the last one's
// title and text.
class MessageBoxReader
{
public:
    QString title, text;

    MessageBoxReader()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

// Shows or hides page buttons as a page would, and puts them on screen.
inline void showControls(TPLL &w, std::initializer_list<Control> controls)
{
    w.stage().controls.show(controls);
    w.showStage();
}
inline void hideControls(TPLL &w, std::initializer_list<Control> controls)
{
    w.stage().controls.hide(controls);
    w.showStage();
}

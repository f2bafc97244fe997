#include "app/window_keys.h"

#include "app/command_line.h"
#include "app/help_window.h"
#include "app/tpll.h"

#include <QAction>
#include <QPushButton>

namespace {
struct KeyRow
{
    const char *text;
    const char *key;
    Qt::ShortcutContext context;
    void (*run)(TPLL &);
};

// Help and quit answer from the help window too; printing is the window's.
const KeyRow Keys[] = {
    {"Imprimer", CommandLine::PrintKey, Qt::WindowShortcut, [](TPLL &w) { w.BitBtn1->click(); }},
    {"Aide", CommandLine::HelpKey, Qt::ApplicationShortcut, showHelp},
    {"Quitter", CommandLine::QuitKey, Qt::ApplicationShortcut, [](TPLL &w) { w.close(); }},
};
}

void addWindowKeys(TPLL &window)
{
    auto *separator = new QAction(&window);
    separator->setSeparator(true);
    window.FOND->addAction(separator);
    for (const KeyRow &row : Keys) {
        auto *action = new QAction(QString::fromUtf8(row.text), &window);
        action->setShortcut(QKeySequence::fromString(QLatin1String(row.key), QKeySequence::PortableText));
        action->setShortcutContext(row.context);
        action->setShortcutVisibleInContextMenu(true);
        QObject::connect(action, &QAction::triggered, &window, [&window, run = row.run] { run(window); });
        window.FOND->addAction(action);
    }
}

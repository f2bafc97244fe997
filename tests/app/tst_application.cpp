// An exception escaping start-up or an event handler is shown in a message box and the program
// ends with 0; without one, the program's own exit code passes through.
#include "app/application.h"

#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <stdexcept>

namespace {
class Thrower : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("panne simulée");
        return QObject::event(e);
    }
};

struct Case
{
    const char *name;
    std::function<int()> program;
    int code;              // what runGuarded must return
    const char *message;   // what the message box must have said, "" for no box
};
}

int main(int argc, char **argv)
{
    PllApplication app(argc, argv);
    Thrower thrower;
    QString shown;
    // Reads and closes any message box once it is up.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    poll.start(10);

    const Case cases[] = {
        {"start-up throws", [] () -> int { throw std::runtime_error("démarrage impossible"); }, 0, "démarrage impossible"},
        {"start-up throws a non-standard exception", [] () -> int { throw 42; }, 0, "Erreur inconnue"},
        {"an event handler throws", [&] {
             QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
             QTimer::singleShot(5000, [] { QCoreApplication::exit(3); }); // only when the handler fails
             return app.exec();
         }, 0, "panne simulée"},
        {"the program ends normally", [&] {
             QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
             return app.exec();
         }, 7, ""},
    };
    int failures = 0;
    for (const Case &c : cases) {
        shown.clear();
        const int code = runGuarded(c.program);
        const bool ok = code == c.code && shown == QString::fromUtf8(c.message);
        failures += !ok;
        std::printf("%s: exit code %d, message \"%s\": %s\n", c.name, code, qPrintable(shown), ok ? "ok" : "FAILED");
    }
    return failures == 0 ? 0 : 1;
}

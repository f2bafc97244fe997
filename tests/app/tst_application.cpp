// An exception escaping an event handler is shown in a message box and the program ends with 0.
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
}

int main(int argc, char **argv)
{
    PllApplication app(argc, argv);
    Thrower thrower;
    QString shown;
    // Read and close the message box once it is up.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    poll.start(10);
    QTimer::singleShot(0, [&] { QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User)); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(3); }); // never reached when the handler works

    const int code = app.exec();
    const bool ok = code == 0 && shown == QString::fromUtf8("panne simulée");
    std::printf("exit code %d, message \"%s\": %s\n", code, qPrintable(shown), ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}

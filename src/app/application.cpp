#include "app/application.h"

#include "app/command_line.h"
#include "drawing/fonts.h"

#include <QDirIterator>
#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

namespace {
const char *const NeedsGraphicalSession =
    "PLL a besoin d'une session graphique (X11 ou Wayland) / PLL needs a graphical session (X11 or Wayland)";
// The variables that choose the display, named in the message when set: one of them is wrong.
const char *const DisplayVariables[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};

struct HeldMessage
{
    QtMsgType type;
    std::string category;
    QString text;
};

std::mutex heldLock;
std::vector<HeldMessage> held;
QtMessageHandler usualHandler = nullptr;

void reportNoDisplay()
{
    std::string line = std::string(CommandLine::Program) + " : " + NeedsGraphicalSession;
    for (const char *name : DisplayVariables) {
        if (const char *value = std::getenv(name))
            line += std::string(" [") + name + '=' + value + ']';
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        reportNoDisplay();
        // Qt is half made: leave without running its destructors.
        std::_Exit(CommandLine::NoDisplay);
    }
    const std::lock_guard lock(heldLock);
    held.push_back({type, context.category ? context.category : "", text});
}
}

DisplayGuard::DisplayGuard()
{
    if (qEnvironmentVariableIntValue("QT_DEBUG_PLUGINS") <= 0)
        usualHandler = qInstallMessageHandler(holdMessage);
}

void DisplayGuard::release()
{
    if (!usualHandler)
        return;
    qInstallMessageHandler(usualHandler);
    usualHandler = nullptr;
    std::vector<HeldMessage> messages;
    {
        const std::lock_guard lock(heldLock);
        messages.swap(held);
    }
    for (const HeldMessage &message : messages) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
}

PllApplication::PllApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    release();
    // Lets the desktop match the window with the installed desktop entry and its icon.
    setDesktopFileName(QStringLiteral(PLL_APP_ID));
    setWindowIcon(windowIconInEverySize());
    loadQtTranslations();
    applyLook();
}

QIcon PllApplication::windowIconInEverySize()
{
    QIcon icon(QStringLiteral(":/icons/pll.xpm"));
    QDirIterator desktopIcons(QStringLiteral(":/icons/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                              QDirIterator::Subdirectories);
    while (desktopIcons.hasNext())
        icon.addFile(desktopIcons.next());
    return icon;
}

void PllApplication::applyLook()
{
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    setPalette(style()->standardPalette());
    Fonts::registerEmbedded();
    setFont(Fonts::windowFont());
}

bool PllApplication::loadQtTranslations(const QString &folder)
{
    removeTranslator(&m_qtTranslator);
    return m_qtTranslator.load(QStringLiteral("qtbase_fr"), folder) && installTranslator(&m_qtTranslator);
}

namespace {
// Shows the exception being handled; only called from a catch block.
void showCurrentException()
{
    try {
        throw;
    } catch (const std::exception &e) {
        showFatalError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showFatalError(QStringLiteral("Erreur inconnue"));
    }
}
}

bool PllApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentException();
    }
    exit(0);
    return false;
}

int runGuarded(const std::function<int()> &program)
{
    try {
        return program();
    } catch (...) {
        showCurrentException();
    }
    return 0;
}

void showFatalError(const QString &message)
{
    QMessageBox::critical(nullptr, QStringLiteral("PLL"), message);
}

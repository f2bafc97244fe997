#include "app/application.h"

#include "drawing/fonts.h"

#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>
#include <exception>

PllApplication::PllApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Lets the desktop match the window with the installed desktop entry and its icon.
    setDesktopFileName(QStringLiteral(PLL_APP_ID));
    loadQtTranslations();
    applyLook();
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

#include "app/application.h"

#include "drawing/fonts.h"

#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>
#include <exception>

PllApplication::PllApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    applyLook();
}

void PllApplication::applyLook()
{
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    setPalette(style()->standardPalette());
    Fonts::registerEmbedded();
    setFont(Fonts::windowFont());
}

bool PllApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showFatalError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showFatalError(QStringLiteral("Erreur inconnue"));
    }
    exit(0);
    return false;
}

void showFatalError(const QString &message)
{
    QMessageBox::critical(nullptr, QStringLiteral("PLL"), message);
}

// Start-up: the application, the one window, the message loop.
#include "app/application.h"
#include "app/tpll.h"

#include <QScreen>
#include <exception>

int main(int argc, char **argv)
{
    PllApplication app(argc, argv);
    try {
        TPLL window;
        PLL = &window;
        // Without a window manager maximising does nothing: take the screen's free area first.
        window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        window.showMaximized();
        const int code = app.exec();
        PLL = nullptr;
        return code;
    } catch (const std::exception &e) {
        showFatalError(QString::fromLocal8Bit(e.what()));
    }
    return 0;
}

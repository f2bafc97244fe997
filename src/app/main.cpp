// Start-up: the command line, the application, the one window, the message loop.
#include "app/application.h"
#include "app/command_line.h"
#include "app/simulation_command.h"
#include "app/tpll.h"

#include <QScreen>

int main(int argc, char **argv)
{
    // The loop run without a window, for a terminal: no display, no application object.
    if (CommandLine::asksSimulation(argc, argv))
        return SimulationCommand::run(argc, argv);
    // --help, --version and unknown arguments are answered before any display is needed.
    if (const std::optional<int> status = CommandLine::answer(argc, argv))
        return *status;
    PllApplication app(argc, argv);
    return runGuarded([&app, argc, argv] {
        TPLL window;
        PLL = &window;
        // As large as the screen's free area holds it, the window's frame aside.
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        window.setZoom(WindowLayout::largestWholeFitting(available.size() - WindowLayout::FrameAllowance));
        // Without a window manager maximising does nothing: take the screen's free area first.
        window.setGeometry(available);
        window.showMaximized();
        if (const std::optional<std::string> experiment = CommandLine::experimentFile(argc, argv))
            window.openExperimentFile(QString::fromLocal8Bit(experiment->c_str()));
        const int code = app.exec();
        PLL = nullptr;
        return code;
    });
}

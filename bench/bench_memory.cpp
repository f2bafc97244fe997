// The program's resident memory after every page has been played in the real window, its layout
// enlarged four times, on a real X server: each run of the tick benchmark, through the window's
// own commands and ticks, every frame put on screen, then the picture copied. Prints the resident
// size and its peak against the limit. Run it under an Xvfb screen that holds the layout
// (bench/xvfb_timing.sh does).
#include "app/application.h"
#include "app/tpll.h"
#include "page_runs.h"

#include <QFile>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace {
constexpr int Zoom = 4;
constexpr double LimitMB = 200;

// A line of /proc/self/status, in megabytes: "VmRSS" now, "VmHWM" at its peak.
double statusMB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}
}

int main(int argc, char **argv)
{
    PllApplication app(argc, argv);
    TPLL window;
    PLL = &window;
    window.stopTicking();
    window.setZoom(Zoom);
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.showMaximized();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const auto tick = [&] {
        window.Timer1Timer();
        QCoreApplication::processEvents();
    };
    for (const PageRun &run : pageRuns()) {
        resetPageState();
        ChoiceIndex = run.choice;
        window.command(Button1Click);
        for (const RunStep &step : run.steps) {
            if (step.press)
                window.command(commandOf(*step.press));
            for (int i = 0; i < step.ticks; ++i)
                tick();
        }
        window.copyPicture();
    }
    const double rss = statusMB("VmRSS:"), peak = statusMB("VmHWM:");
    std::printf("resident memory after playing every page at x%g: %.0f MB (peak %.0f MB; limit %.0f MB) %s\n",
                window.zoom(), rss, peak, LimitMB, rss >= 0 && rss < LimitMB ? "ok" : "OVER");
    PLL = nullptr;
    return rss >= 0 && rss < LimitMB ? 0 : 1;
}

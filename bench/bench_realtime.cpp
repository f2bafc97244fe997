// The two closed-loop animations at full speed in the real window, on a real X server: the
// layout enlarged by the factor given (1 unless given), the speed bar at 1 ms, the start button,
// then the event loop as the program runs it. Prints how long each takes from the start button
// to the tick that draws its last frame, against the allowance given (milliseconds a tick, 1.2
// unless given) times its tick count. Run it under Xvfb (bench/xvfb_timing.sh does).
//   bench_realtime [ZOOM [ALLOWANCE]]
#include "app/application.h"
#include "pages/page_state.h"
#include "app/tpll.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {
struct Animation
{
    const char *name;
    int entry;               // list entry that opens it
    int firstStep, lastStep; // PageStep after the start button, and at its last frame
};

const Animation Animations[] = {
    {"operating point", 2, 1, 250},
    {"speed change", 3, 251, 570},
};

// Runs the event loop until `done` holds or `ms` pass; false on time-out.
bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

// Milliseconds from the start button to the tick that reaches the last frame, or -1.
double play(TPLL &window, const Animation &a)
{
    window.ListBox1->setCurrentRow(a.entry);
    window.Choix();
    QElapsedTimer clock;
    qint64 lastFrameNs = -1;
    // Connected after the window's own handler, so it sees the state that tick left.
    const auto watch = QObject::connect(window.Timer1, &QTimer::timeout, [&] {
        if (lastFrameNs < 0 && PageStep == a.lastStep)
            lastFrameNs = clock.nsecsElapsed();
    });
    clock.start();
    window.Button1->click();
    const bool started = PageStep == a.firstStep;
    runUntil([&] { return lastFrameNs >= 0; }, 10000);
    QObject::disconnect(watch);
    return started && lastFrameNs >= 0 ? lastFrameNs / 1e6 : -1;
}
}

int main(int argc, char **argv)
{
    PllApplication app(argc, argv);
    const int zoom = argc > 1 ? std::atoi(argv[1]) : 1;
    const double allowance = argc > 2 ? std::atof(argv[2]) : 1.2; // milliseconds per tick
    TPLL window;
    PLL = &window;
    window.setZoom(zoom);
    window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    window.showMaximized();
    if (!runUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 5000)) {
        std::fprintf(stderr, "bench_realtime: the window was never shown\n");
        return 2;
    }
    window.ScrollBar1->setValue(1);
    // The tick takes its period from the scroll bar: let one tick pass to pick it up.
    runUntil([&] { return window.Timer1->interval() == 1; }, 1000);

    bool allInTime = true;
    for (int round = 1; round <= 3; ++round) {
        for (const Animation &a : Animations) {
            const int ticks = a.lastStep - a.firstStep;
            const double limit = allowance * ticks;
            const double ms = play(window, a);
            const bool inTime = ms >= 0 && ms <= limit;
            allInTime = allInTime && inTime;
            std::printf("x%d %-16s run %d: %3d ticks in %6.1f ms (%.2f ms a tick; limit %.1f ms) %s\n", window.zoom(),
                        a.name, round, ticks, ms, ms / ticks, limit, inTime ? "ok" : "OVER");
        }
    }
    PLL = nullptr;
    return allInTime ? 0 : 1;
}

// The two closed-loop animations at full speed in the real window, on a real X server: the
// layout enlarged by the factor given (1 unless given), the speed bar at 1 ms, the start button,
// then the event loop as the program runs it. Prints how long each takes from the start button
// to the tick that draws its last frame, against the allowance given (milliseconds a tick, 1.2
// unless given) times its tick count. With `lab`, opens the lab instead at the classic size,
// the speed bar at 1 ms, and runs it for 10 s of clock time without slow motion: its loop time
// must keep up with the clock within 2 %. Run it under Xvfb (bench/xvfb_timing.sh does).
//   bench_realtime [ZOOM [ALLOWANCE]]
//   bench_realtime lab
#include "app/application.h"
#include "app/tpll.h"
#include "pages/commands.h"
#include "pages/page_state.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// The start button pressed with the list's entry `entry` chosen, as its command.
void start(TPLL &window, int entry)
{
    ChoiceIndex = entry;
    window.command(Button1Click);
}

// Milliseconds from the start button to the tick that reaches the last frame, or -1. The event
// loop hands back after each tick's events, so the last frame is seen as soon as it is drawn.
double play(TPLL &window, const Animation &a)
{
    QElapsedTimer clock;
    clock.start();
    start(window, a.entry);
    const bool started = PageStep == a.firstStep;
    const bool ended = runUntil([&] { return PageStep == a.lastStep; }, 10000);
    return started && ended ? clock.nsecsElapsed() / 1e6 : -1;
}

// A late tick covers the periods gone by: the lab's loop time keeps the clock's pace.
constexpr int LabEntry = 4;
constexpr double LabClockSeconds = 10, LabTolerance = 0.02;

bool runLab(TPLL &window)
{
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpuBefore = std::clock();
    start(window, LabEntry);
    if (PageStep != LabPageStep) {
        std::fprintf(stderr, "bench_realtime: the start button did not open the lab\n");
        return false;
    }
    // The program's own kind of loop, which sleeps between events: a loop polling without rest
    // would take the processor from the X server and hide what the program itself takes.
    QEventLoop loop;
    QTimer::singleShot(int(LabClockSeconds * 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double clockSeconds = clock.nsecsElapsed() / 1e9;
    const double loopSeconds = window.stage().lab.loop().time();
    const double ratio = loopSeconds / clockSeconds;
    const bool inTime = std::abs(ratio - 1) <= LabTolerance;
    // The processor time tells a slow tick (near a whole core) from a program kept waiting by others.
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    std::printf("x%g lab at 1 ms a tick: %.2f s of loop time in %.2f s of clock (%.0f %%; goal %.0f %% to %.0f %%; "
                "%.0f %% of a core) %s\n",
                window.zoom(), loopSeconds, clockSeconds, 100 * ratio, 100 * (1 - LabTolerance),
                100 * (1 + LabTolerance), 100 * cpuSeconds / clockSeconds, inTime ? "ok" : "OVER");
    return inTime;
}
}

int main(int argc, char **argv)
{
    PllApplication app(argc, argv);
    const bool lab = argc > 1 && !std::strcmp(argv[1], "lab");
    const int zoom = argc > 1 && !lab ? std::atoi(argv[1]) : 1;
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
    // The speed bar at its fastest, as an assistive tool sets it.
    QAccessible::queryAccessibleInterface(window.findChild<QWidget *>(QStringLiteral("ScrollBar1")))
        ->valueInterface()->setCurrentValue(1);
    // The tick takes its period from the scroll bar: let one tick pass to pick it up.
    runUntil([&] { return window.tickPeriod() == 1; }, 1000);
    if (lab) {
        const bool inTime = runLab(window);
        PLL = nullptr;
        return inTime ? 0 : 1;
    }

    bool allInTime = true;
    for (int round = 1; round <= 3; ++round) {
        for (const Animation &a : Animations) {
            const int ticks = a.lastStep - a.firstStep;
            const double limit = allowance * ticks;
            const double ms = play(window, a);
            const bool inTime = ms >= 0 && ms <= limit;
            allInTime = allInTime && inTime;
            std::printf("x%g %-16s run %d: %3d ticks in %6.1f ms (%.2f ms a tick; limit %.1f ms) %s\n", window.zoom(),
                        a.name, round, ticks, ms, ms / ticks, limit, inTime ? "ok" : "OVER");
        }
    }
    PLL = nullptr;
    return allInTime ? 0 : 1;
}

// Times one timer tick of each page headlessly and prints the median and 99th percentile.
#include "app/application.h"
#include "app/page_state.h"
#include "app/tpll.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct Figures { double median, p99; };

// Times `runs` runs of a page, each from its start button until its counter stops moving (or
// `ticks` ticks for a page that never stops).
Figures measure(TPLL &window, int choice, int runs, int ticks)
{
    std::vector<qint64> ns;
    QElapsedTimer clock;
    for (int run = 0; run < runs; ++run) {
        resetPageState();
        ChoiceIndex = choice;
        if (choice >= 0)
            window.Button1Click();
        for (int i = 0; i < ticks; ++i) {
            const int before = PageStep;
            clock.start();
            window.Timer1Timer();
            window.canvas().image();
            ns.push_back(clock.nsecsElapsed());
            if (choice >= 0 && PageStep == before)
                break;
        }
    }
    std::sort(ns.begin(), ns.end());
    return {ns[ns.size() / 2] / 1000.0, ns[ns.size() * 99 / 100] / 1000.0};
}

void report(const char *page, Figures f)
{
    std::printf("%-12s median %8.1f us   p99 %8.1f us\n", page, f.median, f.p99);
}
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PllApplication app(argc, argv);
    TPLL window;
    window.Timer1->stop();
    window.show();

    measure(window, -1, 1, 50); // warm the font caches
    report("menu", measure(window, -1, 1, 2000));
    report("operating", measure(window, 2, 10, 1000));
    report("speed", measure(window, 3, 10, 1000));
    return 0;
}

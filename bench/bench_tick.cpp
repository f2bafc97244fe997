// Times one timer tick of each page headlessly and prints the median and 99th percentile.
// Each page is started as the user starts it (start button, element button, the comparator's
// and the sensor's buttons) and timed over its whole run plus a few ticks of its last picture.
#include "app/application.h"
#include "app/page_state.h"
#include "app/tpll.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
struct Page
{
    const char *name;
    int choice;                             // list entry the start button opens
    std::function<void(TPLL &)> start;      // what the user presses after that, if anything
    int ticks;                              // ticks timed per run
};

void time(TPLL &window, const Page &page, int runs, bool print = true)
{
    std::vector<qint64> ns;
    QElapsedTimer clock;
    for (int run = 0; run < runs; ++run) {
        resetPageState();
        ChoiceIndex = page.choice;
        window.Button1Click();
        if (page.start)
            page.start(window);
        for (int i = 0; i < page.ticks; ++i) {
            clock.start();
            window.Timer1Timer();
            window.canvas().image();
            ns.push_back(clock.nsecsElapsed());
        }
    }
    std::sort(ns.begin(), ns.end());
    if (print)
        std::printf("%-18s median %8.1f us   p99 %8.1f us   (%zu ticks)\n", page.name, ns[ns.size() / 2] / 1000.0,
                ns[ns.size() * 99 / 100] / 1000.0, ns.size());
}

// An element section: its button, then the intro and a few ticks of its page.
Page section(const char *name, QPushButton *TPLL::*button)
{
    return {name, 0, [button](TPLL &w) { w.Timer1Timer(); (w.*button)->click(); }, 70};
}
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PllApplication app(argc, argv);
    TPLL window;
    window.Timer1->stop();
    window.show();

    const Page pages[] = {
        {"menu", -1, nullptr, 300},
        {"operating point", 2, nullptr, 260},
        {"speed change", 3, nullptr, 330},
        {"modelling", 1, nullptr, 20},
        section("setpoint", &TPLL::ButtonA),
        section("comparator", &TPLL::ButtonB),
        {"comparator sweep", 0, [](TPLL &w) { w.Timer1Timer(); w.ButtonB->click();
                                              for (int i = 0; i < 60; ++i) w.Timer1Timer();
                                              w.Button2->click(); }, 45},
        section("regulator", &TPLL::ButtonC),
        section("amplifier", &TPLL::ButtonD),
        section("motor", &TPLL::ButtonE),
        section("reducer", &TPLL::ButtonF),
        section("sensor", &TPLL::ButtonG),
        {"sensor rotation", 0, [](TPLL &w) { w.Timer1Timer(); w.ButtonG->click();
                                             for (int i = 0; i < 60; ++i) w.Timer1Timer();
                                             w.Button3->click(); }, 75},
    };
    for (const Page &page : pages)
        time(window, page, 1, false); // warm the text caches
    for (const Page &page : pages)
        time(window, page, 10);
    return 0;
}

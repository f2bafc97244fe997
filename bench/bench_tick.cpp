// Times one timer tick of each page, with no window, and prints the median and 99th percentile.
// Each page is played as the user plays it (page_runs.h) and its timed ticks are measured over
// ten runs after a first one that fills the drawing caches; that first run's own 99th
// percentile is shown too, as a program that has just started meets it.
#include "app/application.h"
#include "pages/page_tick.h"
#include "page_runs.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Sorted tick times in microseconds.
std::vector<double> time(Stage &stage, const PageRun &run, int runs)
{
    std::vector<double> us;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        playRun(stage, run, [](Control) {}, [&](bool timed) {
            clock.start();
            PageTick(stage);
            stage.canvas.image();
            if (timed)
                us.push_back(clock.nsecsElapsed() / 1000.0);
        });
    }
    std::sort(us.begin(), us.end());
    return us;
}

double p99(const std::vector<double> &us) { return us[us.size() * 99 / 100]; }
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PllApplication app(argc, argv);
    Stage stage;

    std::vector<double> firstP99;
    for (const PageRun &run : pageRuns())
        firstP99.push_back(p99(time(stage, run, 1)));
    for (std::size_t i = 0; i < pageRuns().size(); ++i) {
        const PageRun &run = pageRuns()[i];
        const std::vector<double> us = time(stage, run, 10);
        std::printf("%-26s median %7.1f us   p99 %7.1f us   (%zu ticks)   first run p99 %7.1f us\n", run.name,
                    us[us.size() / 2], p99(us), us.size(), firstP99[i]);
    }
    return 0;
}

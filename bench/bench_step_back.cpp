// Times one frame back, from every frame of every run the tick benchmark plays, and prints the
// median and the worst per run: going back replays the ticks from the last kept frame.
#include "app/application.h"
#include "page_runs.h"
#include "playback/playback.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PllApplication app(argc, argv);
    double worst = 0;
    for (const PageRun &run : pageRuns()) {
        Stage stage;
        Playback playback(stage);
        bool commanded = true;
        std::vector<double> ms;
        QElapsedTimer clock;
        playRun(stage, run, [&](Control) { commanded = true; }, [&](bool) {
            if (commanded) {
                playback.commandDone();
                commanded = false;
            }
            playback.stepForward();
            if (!playback.canStepBack())
                return;
            clock.start();
            playback.stepBack();
            ms.push_back(clock.nsecsElapsed() / 1e6);
            playback.stepForward();
        });
        if (ms.empty())
            continue;
        std::sort(ms.begin(), ms.end());
        worst = std::max(worst, ms.back());
        std::printf("%-26s one frame back: median %6.2f ms   worst %6.2f ms   (%zu frames)\n", run.name,
                    ms[ms.size() / 2], ms.back(), ms.size());
    }
    std::printf("one frame back, worst of all runs: %.2f ms\n", worst);
    return 0;
}

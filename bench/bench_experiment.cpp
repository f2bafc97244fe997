// Experiment files at their largest: a file of 100000 actions over 100 s of loop time (one a
// millisecond: setpoint, load, gain and ramp changes in turn) read, played headless to its end
// by the lab's engine and by `pll --simulate --experiment`, and an hour's run with 1000 actions
// written out and saved to a file. Prints the median and the worst of several runs against the
// goals.
#include "app/simulation_command.h"
#include "lab/experiment_file.h"
#include "lab/lab.h"

#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {
constexpr int Runs = 5;

Experiment manyActions(std::size_t count, double span)
{
    Experiment e;
    e.title = "Banc d'essai";
    e.run.start = LabStart::Locked;
    for (std::size_t i = 0; i < count; ++i) {
        const double at = span * double(i + 1) / double(count + 1);
        const bool up = (i / 4) % 2 == 0;
        LabChange change;
        switch (i % 4) {
        case 0: change.setpoint = up ? 1010 : 1000; break;
        case 1: change.load = up ? 1 : 0; break;
        case 2: change.gain = up ? 101 : 100; break;
        default: change.ramp = up ? 1570 : 0; break;
        }
        e.run.actions.push_back({at, change});
    }
    e.until = span;
    return e;
}

// Times `work` over Runs runs; prints its median and worst against `goalMs`.
void time(const char *what, double goalMs, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-52s median %8.1f ms   worst %8.1f ms   goal %6.0f ms: %s\n", what, ms[ms.size() / 2], ms.back(),
                goalMs, ms.back() <= goalMs ? "ok" : "OVER");
}
}

int main()
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("grand.pll"));
    const Experiment many = manyActions(ExperimentFile::MaxActions, 100);
    {
        QSaveFile file(big);
        if (!file.open(QIODevice::WriteOnly) || file.write(ExperimentFile::write(many)) <= 0 || !file.commit())
            return 1;
    }
    Experiment read;
    time("experiment: 100000 actions read", 200, [&] { read = std::get<Experiment>(ExperimentFile::read(big)); });
    if (!(read == many))
        return 1;
    // Under 1 s of work per 10 s of loop time.
    time("experiment: 100000 actions played, 100 s (engine)", 10000, [&] {
        Lab lab;
        lab.open(read);
        lab.runTo(*read.until);
    });
    const QByteArray path = big.toLocal8Bit();
    const char *const argv[] = {"pll", "--simulate", "--experiment", path.constData()};
    const int null = open("/dev/null", O_WRONLY);
    time("experiment: pll --simulate --experiment, 1 ms rows", 10000, [&] {
        if (SimulationCommand::run(int(std::size(argv)), argv, null) != 0)
            std::exit(1);
    });
    close(null);

    const Experiment hour = manyActions(1000, 3600);
    const QString saved = dir.filePath(QStringLiteral("heure.pll"));
    time("experiment: an hour with 1000 actions saved", 100, [&] {
        QSaveFile file(saved);
        if (!file.open(QIODevice::WriteOnly) || file.write(ExperimentFile::write(hour)) <= 0 || !file.commit())
            std::exit(1);
    });
    return 0;
}

// Times the lab's Bode view on a bare canvas as a tick draws it: the settings unchanged (the
// drawing replayed) and a time constant changed at every call (worked out again), the drawing
// calls alone and with the canvas's frame that follows. Prints medians and 99th percentiles in
// microseconds. Given a folder, also saves the view for the course and without the corrector,
// at its own size and twice: bode_x1.png, bode_x2.png, bode_sans_x1.png, bode_sans_x2.png.
#include "drawing/canvas.h"
#include "pages/lab/frequency_view.h"

#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
const QRect Area(222, 130, 551, 170);
constexpr int Calls = 2000;

using Clock = std::chrono::steady_clock;
double microseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.1f us, p99 %7.1f us\n", what, times[times.size() / 2],
                times[times.size() * 99 / 100]);
}

void run(const char *name, bool changing)
{
    Canvas canvas;
    pllmodel::LoopParameters p;
    std::vector<double> draw, frame;
    for (int i = 0; i < Calls; ++i) {
        if (changing)
            p.regulatorLead = i % 2 ? 0.025 : 0.026;
        const auto start = Clock::now();
        canvas.setPenAndBrush(Colour::BtnFace);
        canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
        drawFrequencyResponse(canvas, p, Area);
        const auto drawn = Clock::now();
        canvas.takeChanges();
        const auto end = Clock::now();
        draw.push_back(microseconds(start, drawn));
        frame.push_back(microseconds(start, end));
    }
    report((std::string(name) + ", drawing calls").c_str(), draw);
    report((std::string(name) + ", with the canvas's frame").c_str(), frame);
    std::printf("%-44s %zu operations\n", name, canvas.drawingSize());
}

void save(const QString &folder, const QString &name, const pllmodel::LoopParameters &p)
{
    Canvas canvas;
    canvas.setPenAndBrush(Colour::BtnFace);
    canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    drawFrequencyResponse(canvas, p, Area);
    for (int scale : {1, 2})
        canvas.render(scale)
            .copy(QRect(Area.topLeft() * scale, Area.size() * scale))
            .save(QDir(folder).filePath(QStringLiteral("%1_x%2.png").arg(name).arg(scale)));
}
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    run("unchanged settings", false);
    run("a time constant changed every call", true);
    if (argc > 1) {
        save(QString::fromLocal8Bit(argv[1]), QStringLiteral("bode"), pllmodel::LoopParameters{});
        pllmodel::LoopParameters off;
        off.phaseAdvance = false;
        save(QString::fromLocal8Bit(argv[1]), QStringLiteral("bode_sans"), off);
    }
    return 0;
}

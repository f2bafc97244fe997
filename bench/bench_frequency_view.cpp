// Times each chart of the lab's frequency view on a bare canvas as a tick draws it: the settings
// unchanged (the drawing replayed) and a time constant changed at every call (worked out again),
// the drawing calls alone and with the canvas's frame that follows. Prints medians and 99th
// percentiles in microseconds. Given a folder, also saves each chart for the course and without
// the corrector, at its own size and twice: bode_x1.png, bode_x2.png, bode_sans_x1.png,
// bode_sans_x2.png, and so on for black, nyquist and closed_loop.
#include "drawing/canvas.h"
#include "pages/lab/frequency_chart.h"

#include <QDir>
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
const QRect Area(222, 130, 551, 170);
constexpr int Calls = 2000;
struct Chart { FrequencyChart chart; const char *name; };
constexpr Chart Charts[] = {{FrequencyChart::Bode, "bode"},
                            {FrequencyChart::Black, "black"},
                            {FrequencyChart::Nyquist, "nyquist"},
                            {FrequencyChart::ClosedLoop, "closed_loop"}};

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

void run(const Chart &chart, const char *what, bool changing)
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
        drawFrequencyChart(canvas, p, chart.chart, Area);
        const auto drawn = Clock::now();
        canvas.takeChanges();
        const auto end = Clock::now();
        draw.push_back(microseconds(start, drawn));
        frame.push_back(microseconds(start, end));
    }
    const std::string name = std::string(chart.name) + ", " + what;
    report((name + ", drawing calls").c_str(), draw);
    report((name + ", with the canvas's frame").c_str(), frame);
    std::printf("%-44s %zu operations\n", name.c_str(), canvas.drawingSize());
}

void save(const QString &folder, const Chart &chart, const QString &suffix, const pllmodel::LoopParameters &p)
{
    Canvas canvas;
    canvas.setPenAndBrush(Colour::BtnFace);
    canvas.Rectangle(0, 0, Canvas::Width, Canvas::Height);
    drawFrequencyChart(canvas, p, chart.chart, Area);
    const QString name = QString::fromLatin1(chart.name) + suffix;
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
    for (const Chart &chart : Charts) {
        run(chart, "unchanged settings", false);
        run(chart, "a time constant changed every call", true);
    }
    if (argc > 1) {
        pllmodel::LoopParameters off;
        off.phaseAdvance = false;
        for (const Chart &chart : Charts) {
            save(QString::fromLocal8Bit(argv[1]), chart, QString(), pllmodel::LoopParameters{});
            save(QString::fromLocal8Bit(argv[1]), chart, QStringLiteral("_sans"), off);
        }
    }
    return 0;
}

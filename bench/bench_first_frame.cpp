// How soon the program shows its first picture: starts the program given on the command line
// on the X server of DISPLAY, then watches the screen until the drawing area shows the menu
// page's loop diagram, and prints the milliseconds from the start. Without a window manager the
// window opens at the screen's top left (bench/xvfb_timing.sh runs it on its own Xvfb).
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <cstdio>

namespace {
// Two pixels of the menu page, in window coordinates: the reducer's box and the quartz oscillator's.
struct Probe { int x, y; QRgb colour; };
const Probe MenuPixels[] = {{640, 106, qRgb(255, 255, 0)}, {40, 56, qRgb(0, 255, 0)}};

bool menuShown(QScreen *screen)
{
    for (const Probe &p : MenuPixels) {
        const QImage pixel = screen->grabWindow(0, p.x, p.y, 1, 1).toImage();
        if (pixel.isNull() || (pixel.pixel(0, 0) & 0xFFFFFF) != (p.colour & 0xFFFFFF))
            return false;
    }
    return true;
}
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH/TO/pll\n", argv[0]);
        return 2;
    }
    QScreen *screen = app.primaryScreen();
    if (menuShown(screen)) {
        std::fprintf(stderr, "bench_first_frame: the menu is on screen before the start\n");
        return 2;
    }
    QProcess program;
    program.setProgram(QString::fromLocal8Bit(argv[1]));
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    program.start();
    double ms = -1;
    while (clock.elapsed() < 10000 && program.state() != QProcess::NotRunning) {
        if (menuShown(screen)) {
            ms = clock.nsecsElapsed() / 1e6;
            break;
        }
        QThread::msleep(1);
    }
    program.kill();
    program.waitForFinished();
    if (ms < 0) {
        std::fprintf(stderr, "bench_first_frame: the menu page never showed\n");
        return 1;
    }
    std::printf("first frame on screen %.0f ms after the start (limit 300 ms) %s\n", ms, ms <= 300 ? "ok" : "OVER");
    return ms <= 300 ? 0 : 1;
}

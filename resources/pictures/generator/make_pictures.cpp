// Draws the program's pictures and writes them as PNG files, at their own size and drawn again
// at each larger scale the program shows them at (in folders x2, x3, ...):
//   make_pictures FONT_FOLDER OUTPUT_FOLDER
// The same fonts give the same files, byte for byte, on every machine.
#include "picture_kit.h"
#include "pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

// The scales the program draws its drawing area at: enlarged up to four times, on screens of
// the usual pixel density or twice it, and for printing.
constexpr int Scales[] = {1, 2, 3, 4, 5, 6, 8};

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FONT_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        kit::loadFonts(QString::fromLocal8Bit(argv[1]));
        const QDir out(QString::fromLocal8Bit(argv[2]));
        const struct { const char *name; QImage (*draw)(); } pictures[] = {
            {"PDFILTRE", drawPdFiltre}, {"SCHEMAPD", drawSchemaPd}, {"PLLMODEL", drawPllModel},
            {"PLLBONC", drawPllBonc},   {"PLLBOC", drawPllBoc},     {"REGUL", drawRegul},
        };
        for (int scale : Scales) {
            const QString folder = scale == 1 ? out.path() : out.filePath(QStringLiteral("x%1").arg(scale));
            if (!QDir().mkpath(folder))
                throw std::runtime_error("cannot create " + folder.toStdString());
            kit::setScale(scale);
            for (const auto &picture : pictures) {
                const QString file = QDir(folder).filePath(QString::fromLatin1(picture.name) + QStringLiteral(".png"));
                if (!picture.draw().save(file, "PNG"))
                    throw std::runtime_error("cannot write " + file.toStdString());
                std::printf("%s\n", qPrintable(file));
            }
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_pictures: %s\n", e.what());
        return 1;
    }
    return 0;
}

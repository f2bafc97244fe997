// Draws the desktop icon at the sizes the package installs, into a hicolor theme tree:
//   make_icons OUTPUT_FOLDER NAME   writes OUTPUT_FOLDER/NNxNN/apps/NAME.png
#include "icon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER NAME\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : {48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = out.filePath(folder + u'/' + name + QStringLiteral(".png"));
        if (!out.mkpath(folder) || !drawIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}

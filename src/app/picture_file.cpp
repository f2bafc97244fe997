#include "app/picture_file.h"

#include "app/save_failure.h"
#include "drawing/canvas.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStorageInfo>

namespace PictureFile {
namespace {
const QString PngSuffix = QStringLiteral("png");
const QString PdfSuffix = QStringLiteral("pdf");
const QString PdfFilter = QStringLiteral("Document PDF (*.pdf)");
// The drawing area's size on a PDF page: its pixels at the 96 dots per inch it was laid out for.
constexpr double PointsPerPixel = 72.0 / 96.0;
// Below this much free room a failed write is put down to a full disk.
constexpr qint64 NearlyFull = 1 << 20;

QString pngFilter(int scale)
{
    return QStringLiteral("Image PNG ×%1, %2 × %3 pixels (*.png)").arg(scale).arg(Canvas::Width * scale).arg(Canvas::Height * scale);
}

bool writePdf(QSaveFile &file, const QImage &picture)
{
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("PLL"));
    const QSizeF page = QSizeF(picture.size()) / PdfScale * PointsPerPixel;
    pdf.setPageLayout(QPageLayout(QPageSize(page, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    pdf.setResolution(96 * PdfScale);
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    painter.drawImage(QPoint(), picture);
    return painter.end();
}

using SaveFailure::cannotCreate;
}

QStringList filters()
{
    QStringList list;
    for (int scale = 1; scale <= MaxPngScale; ++scale)
        list << pngFilter(scale);
    return list << PdfFilter;
}

QString filter(const Choice &choice)
{
    return choice.pdf ? PdfFilter : pngFilter(choice.scale);
}

Choice choose(QString &path, const QString &selectedFilter, int currentScale)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == PdfSuffix)
        return {true, 1};
    const int filtered = int(filters().indexOf(selectedFilter)) + 1;
    const bool pdfFilter = selectedFilter == PdfFilter;
    if (suffix == PngSuffix)
        return {false, filtered >= 1 && !pdfFilter ? filtered : currentScale};
    path += QLatin1Char('.') + (pdfFilter ? PdfSuffix : PngSuffix);
    return {pdfFilter, filtered >= 1 && !pdfFilter ? filtered : currentScale};
}

QString save(const QString &path, const Choice &choice, const std::function<QImage(int)> &at)
{
    const QFileInfo target(path);
    const QString shown = QDir::toNativeSeparators(target.absoluteFilePath());
    const auto failed = [&](const QString &why) {
        return QStringLiteral("L'image n'a pas été enregistrée dans « %1 » : %2.").arg(shown, why);
    };
    if (target.isDir())
        return failed(QStringLiteral("c'est le nom d'un dossier"));
    const QFileInfo folder(target.absolutePath());

    QSaveFile file(target.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly))
        return failed(cannotCreate(folder));
    const QImage picture = at(choice.pdf ? PdfScale : choice.scale);
    const bool written = choice.pdf ? writePdf(file, picture) : picture.save(&file, "PNG");
    if (written && file.commit())
        return {};
    file.cancelWriting();
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.bytesAvailable() < NearlyFull)
        return failed(QStringLiteral("le disque est plein"));
    return failed(QStringLiteral("l'écriture du fichier a échoué"));
}

}

#include "app/picture_file.h"

#include "app/save_failure.h"
#include "drawing/canvas.h"
#include "drawing/vector_drawing.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace PictureFile {
namespace {
const QString PngSuffix = QStringLiteral("png");
const QString PdfSuffix = QStringLiteral("pdf");
const QString SvgSuffix = QStringLiteral("svg");
const QString PdfFilter = QStringLiteral("Document PDF (*.pdf)");
const QString SvgFilter = QStringLiteral("Image SVG (*.svg)");
// The drawing area's size on a PDF page: its pixels at the 96 dots per inch it was laid out for.
constexpr double PointsPerPixel = 72.0 / 96.0;

QString pngFilter(int scale)
{
    return QStringLiteral("Image PNG ×%1, %2 × %3 pixels (*.png)").arg(scale).arg(Canvas::Width * scale).arg(Canvas::Height * scale);
}

std::span<const DrawOp> drawingOf(const Canvas::Snapshot &picture)
{
    return picture.drawing ? std::span<const DrawOp>(*picture.drawing) : std::span<const DrawOp>();
}

bool writePdf(QSaveFile &file, const Canvas::Snapshot &picture)
{
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("PLL"));
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(Canvas::Width, Canvas::Height) * PointsPerPixel, QPageSize::Point),
                                  QPageLayout::Portrait, QMarginsF()));
    pdf.setResolution(96);
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    // The page is a whole number of points: the drawing area fills it, stretched by less than a
    // thousandth, rather than run a quarter point past its edge.
    const QSizeF page = QSizeF(pdf.pageLayout().fullRectPoints().size()) / PointsPerPixel;
    painter.scale(page.width() / Canvas::Width, page.height() / Canvas::Height);
    // The carried pictures are drawings: kept exact, not as JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    VectorDrawing::draw(painter, drawingOf(picture), VectorDrawing::TextAs::Glyphs);
    return painter.end();
}

bool writeSvg(QSaveFile &file, const Canvas::Snapshot &picture)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(Canvas::Width, Canvas::Height));
    svg.setViewBox(QRect(0, 0, Canvas::Width, Canvas::Height));
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("PLL"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    VectorDrawing::draw(painter, drawingOf(picture), VectorDrawing::TextAs::OutlinesAndWords);
    return painter.end();
}

}

QStringList filters()
{
    QStringList list;
    for (int scale = 1; scale <= MaxPngScale; ++scale)
        list << pngFilter(scale);
    return list << PdfFilter << SvgFilter;
}

QString filter(const Choice &choice)
{
    switch (choice.format) {
    case Format::Pdf: return PdfFilter;
    case Format::Svg: return SvgFilter;
    case Format::Png: break;
    }
    return pngFilter(choice.scale);
}

Choice choose(QString &path, const QString &selectedFilter, int currentScale)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == PdfSuffix)
        return {Format::Pdf, 1};
    if (suffix == SvgSuffix)
        return {Format::Svg, 1};
    const int pngFilter = int(filters().indexOf(selectedFilter)) + 1;
    const int scale = pngFilter >= 1 && pngFilter <= MaxPngScale ? pngFilter : currentScale;
    if (suffix == PngSuffix)
        return {Format::Png, scale};
    if (selectedFilter == PdfFilter) {
        path += QLatin1Char('.') + PdfSuffix;
        return {Format::Pdf, 1};
    }
    if (selectedFilter == SvgFilter) {
        path += QLatin1Char('.') + SvgSuffix;
        return {Format::Svg, 1};
    }
    path += QLatin1Char('.') + PngSuffix;
    return {Format::Png, scale};
}

QString save(const QString &path, const Choice &choice, const Canvas::Snapshot &picture)
{
    using SaveFailure::Written;
    return SaveFailure::saveAside(path, QStringLiteral("L'image n'a pas été enregistrée dans « %1 » : %2."),
                                  [&](QSaveFile &file) {
        bool written = false;
        switch (choice.format) {
        case Format::Png: written = Canvas::render(picture, choice.scale).save(&file, "PNG"); break;
        case Format::Pdf: written = writePdf(file, picture); break;
        case Format::Svg: written = writeSvg(file, picture); break;
        }
        return written ? Written::Whole : Written::Failed;
    });
}

}

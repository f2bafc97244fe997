#include "app/print_job.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

PrintResult printOnDefaultPrinter(const QImage &image)
{
    const QPrinterInfo target = QPrinterInfo::defaultPrinter();
    if (target.isNull())
        return {PrintResult::NoDefaultPrinter, {}};
    const QString name = target.printerName();

    QPrinter printer(target, QPrinter::HighResolution);
    // Qt leaves the name empty when the print service no longer knows the printer; the page
    // would then be dropped without a word.
    if (printer.printerName().isEmpty())
        return {PrintResult::Failed, name};
    printer.setPageOrientation(QPageLayout::Landscape);

    QPainter painter;
    if (!painter.begin(&printer))
        return {PrintResult::Failed, name};
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint((page.width() - size.width()) / 2, (page.height() - size.height()) / 2), size), image);
    if (!painter.end())
        return {PrintResult::Failed, name};

    // Qt does not tell whether the print service took the page. It cannot have if it is gone now.
    if (QPrinterInfo::printerInfo(name).isNull())
        return {PrintResult::ServiceLost, name};
    return {PrintResult::Sent, name};
}

QString printResultMessage(const PrintResult &result)
{
    switch (result.status) {
    case PrintResult::Sent:
        return {};
    case PrintResult::NoDefaultPrinter:
        return QStringLiteral("Aucune imprimante par défaut n'est installée : la page ne peut pas être imprimée.");
    case PrintResult::Failed:
        return QStringLiteral("L'impression sur « %1 » a échoué.").arg(result.printer);
    case PrintResult::ServiceLost:
        return QStringLiteral("L'impression sur « %1 » n'a peut-être pas abouti : le service d'impression "
                              "a cessé de répondre.").arg(result.printer);
    }
    return {};
}

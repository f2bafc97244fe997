#include "app/measures_file.h"

#include "app/save_failure.h"
#include "pages/lab/measures_csv.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace MeasuresFile {

QString withSuffix(const QString &path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path;
}

QString save(const QString &path, const LabScenario &scenario, double end, const std::function<bool(double)> &carryOn)
{
    const QFileInfo target(path);
    const QString shown = QDir::toNativeSeparators(target.absoluteFilePath());
    const auto failed = [&](const QString &why) {
        return QStringLiteral("Les mesures n'ont pas été enregistrées dans « %1 » : %2.").arg(shown, why);
    };
    if (target.isDir())
        return failed(QStringLiteral("c'est le nom d'un dossier"));
    const QFileInfo folder(target.absolutePath());

    QSaveFile file(target.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly))
        return failed(SaveFailure::cannotCreate(folder));
    switch (MeasuresCsv::write(scenario, end, RowSpacing, file, carryOn)) {
    case MeasuresCsv::Outcome::Stopped:
        file.cancelWriting();
        return {};
    case MeasuresCsv::Outcome::Written:
        if (file.commit())
            return {};
        break;
    case MeasuresCsv::Outcome::WriteFailed:
        break;
    }
    file.cancelWriting();
    return failed(SaveFailure::writeFailed(folder));
}

}

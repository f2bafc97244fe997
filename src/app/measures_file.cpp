#include "app/measures_file.h"

#include "app/save_failure.h"
#include "measures/measures_csv.h"

#include <QFileInfo>
#include <QSaveFile>

namespace MeasuresFile {

QString withSuffix(const QString &path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path;
}

QString save(const QString &path, const LabRun &run, double end, const std::function<bool(double)> &carryOn)
{
    using SaveFailure::Written;
    return SaveFailure::saveAside(path, QStringLiteral("Les mesures n'ont pas été enregistrées dans « %1 » : %2."),
                                  [&](QSaveFile &file) {
        switch (MeasuresCsv::write(run, end, RowSpacing, file, carryOn).outcome) {
        case MeasuresCsv::Outcome::Written: return Written::Whole;
        case MeasuresCsv::Outcome::Stopped: return Written::Stopped;
        case MeasuresCsv::Outcome::WriteFailed: break;
        }
        return Written::Failed;
    });
}

}

#include "lab/course_experiments.h"

#include "lab/experiment_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace CourseExperiments {

namespace {
const QString Pattern = QStringLiteral("*.") + QLatin1String(ExperimentFile::Suffix);

bool holdsExperiments(const QString &path)
{
    return !path.isEmpty() && !QDir(path).entryList({Pattern}, QDir::Files).isEmpty();
}
}

QString folder()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList candidates{QDir(program).filePath(QStringLiteral("../share/") + QLatin1String(Subfolder))};
    candidates += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QLatin1String(Subfolder),
                                            QStandardPaths::LocateDirectory);
    // The build tree copies them beside the program, under share/.
    candidates << QDir(program).filePath(QStringLiteral("share/") + QLatin1String(Subfolder));
    for (const QString &candidate : candidates)
        if (holdsExperiments(candidate))
            return QDir(candidate).canonicalPath();
    return {};
}

std::string firstSentence(const std::string &text)
{
    const std::size_t line = text.find('\n');
    std::size_t end = text.size();
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if ((text[i] == '.' || text[i] == '?' || text[i] == '!') && text[i + 1] == ' ') {
            end = i + 1;
            break;
        }
    return text.substr(0, std::min(end, line));
}

std::vector<Entry> list()
{
    const QString where = folder();
    if (where.isEmpty())
        return {};
    std::vector<Entry> entries;
    const QDir dir(where);
    for (const QString &name : dir.entryList({Pattern}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        const auto read = ExperimentFile::read(path);
        if (const auto *experiment = std::get_if<Experiment>(&read))
            entries.push_back({path, experiment->title, firstSentence(experiment->text)});
    }
    return entries;
}

}

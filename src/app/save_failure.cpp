#include "app/save_failure.h"

#include <QDir>
#include <QSaveFile>
#include <QStorageInfo>

namespace SaveFailure {
namespace {
// Below this much free room a failed write is put down to a full disk.
constexpr qint64 NearlyFull = 1 << 20;
}

QString cannotCreate(const QFileInfo &folder)
{
    if (!folder.exists())
        return QStringLiteral("le dossier « %1 » n'existe pas").arg(QDir::toNativeSeparators(folder.filePath()));
    if (!folder.isWritable())
        return QStringLiteral("le dossier « %1 » n'est pas accessible en écriture").arg(QDir::toNativeSeparators(folder.filePath()));
    return QStringLiteral("le fichier ne peut pas être créé dans le dossier « %1 »").arg(QDir::toNativeSeparators(folder.filePath()));
}

QString writeFailed(const QFileInfo &folder)
{
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.bytesAvailable() < NearlyFull)
        return QStringLiteral("le disque est plein");
    return QStringLiteral("l'écriture du fichier a échoué");
}

QString saveAside(const QString &path, const QString &failed, const std::function<Written(QSaveFile &)> &write)
{
    const QFileInfo target(path);
    const auto because = [&](const QString &why) {
        return failed.arg(QDir::toNativeSeparators(target.absoluteFilePath()), why);
    };
    if (target.isDir())
        return because(QStringLiteral("c'est le nom d'un dossier"));
    const QFileInfo folder(target.absolutePath());

    QSaveFile file(target.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly))
        return because(cannotCreate(folder));
    const Written written = write(file);
    if (written == Written::Stopped) {
        file.cancelWriting();
        return {};
    }
    if (written == Written::Whole && file.commit())
        return {};
    file.cancelWriting();
    return because(writeFailed(folder));
}

}

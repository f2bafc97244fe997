#include "app/save_failure.h"

#include <QDir>
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

}

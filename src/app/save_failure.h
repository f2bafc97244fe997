#pragma once
// Why a file could not be saved, in French, for the messages of every save: the picture's and
// the measures'.
#include <QFileInfo>
#include <QString>
#include <functional>

class QSaveFile;

namespace SaveFailure {

// Why a file could not be made in `folder`.
QString cannotCreate(const QFileInfo &folder);
// Why writing a file in `folder` failed once it was made: a full disk, or else the write.
QString writeFailed(const QFileInfo &folder);

// How a write went: whole, failed, or stopped by the user (nothing is kept, nothing is said).
enum class Written { Whole, Failed, Stopped };

// Writes `path` aside through `write` and renames it into place once whole, so a write that
// fails or stops leaves nothing behind. Empty on success or when stopped; otherwise `failed`
// (a French sentence with %1 for the path and %2 for the reason) filled in.
QString saveAside(const QString &path, const QString &failed, const std::function<Written(QSaveFile &)> &write);

}

#pragma once
// Why a file could not be saved, in French, for the messages of every save: the picture's and
// the measures'.
#include <QFileInfo>
#include <QString>

namespace SaveFailure {

// Why a file could not be made in `folder`.
QString cannotCreate(const QFileInfo &folder);
// Why writing a file in `folder` failed once it was made: a full disk, or else the write.
QString writeFailed(const QFileInfo &folder);

}

#pragma once
// The lab's measures saved to a CSV file: written aside and renamed into place once complete, so
// a write that fails or is stopped leaves nothing behind; the reason told in French.
#include "lab/lab_run.h"

#include <QString>
#include <functional>

namespace MeasuresFile {

// The window's table: a row every millisecond of loop time.
inline constexpr double RowSpacing = 1e-3;  // s

// `path`, with ".csv" added when it names no extension.
QString withSuffix(const QString &path);

// Plays `run` again to loop time `end` and writes its measures to `path`; empty on success or
// when `carryOn` stopped it, else what went wrong, for the user.
QString save(const QString &path, const LabRun &run, double end,
             const std::function<bool(double)> &carryOn = {});

}

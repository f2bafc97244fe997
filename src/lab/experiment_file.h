#pragma once
// An experiment as a file: a UTF-8 JSON object, "format": "pll-experience", version 1, its keys
// documented in docs/experience.md. Reading refuses anything else with a French sentence saying
// what is wrong (the key and what it expects, where there is one); nothing is half read.
// Writing gives the keys in the documented order, numbers that read back to the same bits.
#include "lab/experiment.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <variant>

namespace ExperimentFile {

inline constexpr const char *Format = "pll-experience";
inline constexpr int Version = 1;
inline constexpr const char *Suffix = "pll";
inline constexpr qint64 MaxBytes = 10 * 1024 * 1024;
inline constexpr std::size_t MaxActions = 100000;
// The latest instant a file may name: some eleven days of loop time.
inline constexpr double MaxTime = 1e6;  // s

// The experiment `bytes` hold, or what is wrong with them.
std::variant<Experiment, std::string> parse(const QByteArray &bytes);
// The experiment in the file at `path`, or a sentence that names the file and what is wrong.
std::variant<Experiment, std::string> read(const QString &path);
// The file's text for `experiment`.
QByteArray write(const Experiment &experiment);

}

#pragma once
// The lab's run as a table for a spreadsheet: the run played again from its start by the lab's
// engine and its measures written every so often of loop time, and at its end, as CSV with
// semicolons and decimal commas, in UTF-8. The window's export and `pll --simulate` both write
// through here, so the two give the same rows.
#include "lab/lab_run.h"

#include <functional>
#include <string>

class QIODevice;

namespace MeasuresCsv {

// A longer run keeps only its last hour of rows; what is left out is said apart from the table.
inline constexpr double KeptSpan = 3600;  // s

extern const char *const Header;

// The rows a run to `end` written every `every` seconds holds: times i * every, i from first to
// last, then `end` itself when it falls between two; and the decimals the time column needs to
// write them all.
struct Rows
{
    long long first = 0, last = 0;
    bool endRow = false;
    int timePlaces = 3;
    long long count() const { return last - first + 1 + (endRow ? 1 : 0); }
};
Rows rowsFor(double end, double every);
// "Dernière heure seulement : …" when the rows leave out the run's beginning; empty otherwise.
std::string lastHourNote(double end, double every);

enum class Outcome { Written, WriteFailed, Stopped };

// What playing the run met besides its rows: the locked starts it had to make from rest.
struct Played
{
    Outcome outcome = Outcome::Written;
    std::vector<std::pair<double, int>> unheldLocks;  // when, at which setpoint (Hz)
};

// Plays `run` to loop time `end` (0 or more) and writes its rows, `every` seconds apart (above
// 0), to `out`. `carryOn`, when given, is told the loop time reached from time to time; false
// stops the run.
Played write(const LabRun &run, double end, double every, QIODevice &out,
             const std::function<bool(double)> &carryOn = {});

}

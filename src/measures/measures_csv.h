#pragma once
// The lab's run as a table for a spreadsheet: the run played again from its start (its settings
// and the student's actions at their loop times) and its measures written every so often of
// loop time, as CSV with semicolons and decimal commas, in UTF-8. The window's export and
// `pll --simulate` both write through here, so the two give the same rows.
#include "pages/lab/lab.h"

#include <functional>

class QIODevice;

namespace MeasuresCsv {

// A longer run keeps only its last hour of rows, and says so on a line before the header.
inline constexpr double KeptSpan = 3600;  // s

extern const char *const Header;

// The rows a run to `end` written every `every` seconds holds: times i * every, i from first to
// last, and the decimals the time column needs to tell them apart.
struct Rows
{
    long long first = 0, last = 0;
    int timePlaces = 3;
    long long count() const { return last - first + 1; }
};
Rows rowsFor(double end, double every);

enum class Outcome { Written, WriteFailed, Stopped };

// Runs `scenario` to loop time `end` (0 or more) and writes its rows, `every` seconds apart
// (above 0), to `out`. `carryOn`, when given, is told the loop time reached from time to time;
// false stops the run.
Outcome write(const LabScenario &scenario, double end, double every, QIODevice &out,
              const std::function<bool(double)> &carryOn = {});

}

#include "measures/measures_csv.h"

#include "lab/lab.h"
#include "text/french_number.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace MeasuresCsv {

const char *const Header = "temps (s);consigne (Hz);vitesse moteur (tr/s);erreur de phase (rad);"
                           "sortie comparateur moyenne (V);tension moteur (V);couple résistant (V);"
                           "glissements de cycle";

namespace {
// Rounding slack when counting rows, in row spacings: 3 s every 0,001 s is 3001 rows, not 3000.
constexpr double IndexSlack = 1e-7;
constexpr int LeastTimePlaces = 3, MaxTimePlaces = 6;
// Written out in chunks this large: a write per chunk, not per row.
constexpr std::size_t Chunk = 1 << 16;
// How often, in loop time, `carryOn` hears how far the run is.
constexpr double ReportSpacing = 0.5;  // s

// The fewest decimals, from 3 to 6, that write `value` exactly, when some do.
int placesFor(double value)
{
    for (int places = LeastTimePlaces; places < MaxTimePlaces; ++places) {
        const double scaled = value * std::pow(10.0, places);
        if (std::abs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled))
            return places;
    }
    return MaxTimePlaces;
}

class Output
{
public:
    explicit Output(QIODevice &device) : m_device(device) { m_text.reserve(Chunk + 512); }
    std::string &text() { return m_text; }
    // Writes out what is held once it makes a chunk, or all of it.
    bool flush(bool all)
    {
        if (m_text.empty() || (!all && m_text.size() < Chunk))
            return true;
        const bool written = m_device.write(m_text.data(), qint64(m_text.size())) == qint64(m_text.size());
        m_text.clear();
        return written;
    }

private:
    QIODevice &m_device;
    std::string m_text;
};

void appendRow(std::string &text, double t, int timePlaces, const Lab &lab)
{
    const pllmodel::LoopSimulation &loop = lab.loop();
    const auto cell = [&](double value, int places, char after) {
        text += French::decimal(value, places);
        text += after;
    };
    cell(t, timePlaces, ';');
    cell(loop.setpointFrequency(), 2, ';');
    cell(loop.speed(), 4, ';');
    cell(lab.foldedPhaseError(), 4, ';');
    cell(lab.comparatorMean(), 4, ';');
    cell(lab.commandMean(), 4, ';');
    cell(loop.loopParameters().motorLoad, 1, ';');
    text += std::to_string(loop.cycleSlips());
    text += '\n';
}
}

Rows rowsFor(double end, double every)
{
    Rows rows;
    const double steps = end / every;
    rows.last = std::max(0LL, (long long)std::floor(steps + IndexSlack));
    rows.endRow = steps - double(rows.last) > IndexSlack;
    if (end > KeptSpan)
        rows.first = std::min(rows.last, (long long)std::ceil((end - KeptSpan) / every - IndexSlack));
    rows.timePlaces = std::max(placesFor(every), rows.endRow ? placesFor(end) : LeastTimePlaces);
    return rows;
}

std::string lastHourNote(double end, double every)
{
    const Rows rows = rowsFor(end, every);
    if (rows.first == 0)
        return {};
    const int places = rows.timePlaces;
    return "Dernière heure seulement : de " + French::decimal(double(rows.first) * every, places) + " s à " +
           French::decimal(rows.endRow ? end : double(rows.last) * every, places) + " s sur " +
           French::decimal(end, places) + " s de marche";
}

Played write(const LabRun &run, double end, double every, QIODevice &out, const std::function<bool(double)> &carryOn)
{
    const Rows rows = rowsFor(end, every);
    Output output(out);
    std::string &text = output.text();
    text += Header;
    text += '\n';

    Lab lab;
    lab.open({{}, {}, run, std::nullopt});
    double reported = 0;
    const auto goOn = [&] {
        if (!carryOn || lab.loop().time() - reported < ReportSpacing)
            return true;
        reported = lab.loop().time();
        return carryOn(reported);
    };
    Played played;
    const auto finish = [&](Outcome outcome) {
        played.outcome = outcome;
        for (const LockRefusal &refusal : lab.lockRefusals())
            played.unheldLocks.emplace_back(refusal.at, refusal.setpoint);
        return played;
    };
    // The rows before the last hour are not written: the loop runs on to the first one.
    const double quietEnd = double(rows.first) * every;
    while (lab.loop().time() < quietEnd) {
        lab.runTo(std::min(quietEnd, lab.loop().time() + ReportSpacing));
        if (!goOn())
            return finish(Outcome::Stopped);
    }
    const long long count = rows.count();
    for (long long row = 0; row < count; ++row) {
        const long long i = rows.first + row;
        const double t = i <= rows.last ? double(i) * every : end;
        lab.runTo(t);
        appendRow(text, t, rows.timePlaces, lab);
        if (!output.flush(false))
            return finish(Outcome::WriteFailed);
        if (!goOn())
            return finish(Outcome::Stopped);
    }
    return finish(output.flush(true) ? Outcome::Written : Outcome::WriteFailed);
}

}

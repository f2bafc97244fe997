#include "pages/lab/measures_csv.h"

#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>
#include <string>

namespace MeasuresCsv {

const char *const Header = "temps (s);consigne (Hz);vitesse moteur (tr/s);erreur de phase (rad);"
                           "sortie comparateur moyenne (V);tension moteur (V);couple résistant (V);"
                           "glissements de cycle";

namespace {
// Rounding slack when counting rows, in row spacings: 3 s every 0,001 s is 3001 rows, not 3000.
constexpr double IndexSlack = 1e-7;
constexpr int MaxTimePlaces = 6;
// Written out in chunks this large: a write per chunk, not per row.
constexpr std::size_t Chunk = 1 << 16;
// How often, in loop time, `carryOn` hears how far the run is.
constexpr double ReportSpacing = 0.5;  // s
// The means never look further back than the lab's: half its longest oscilloscope window.
constexpr double LongestMeanSpan = Lab::LongestScope / 2;

// `value` with `places` decimals and a decimal comma; a value that rounds to nothing loses its
// sign, and one that is not a number is left out, for an empty cell.
void appendDecimal(std::string &out, double value, int places)
{
    if (!std::isfinite(value))
        return;
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, places);
    if (error != std::errc())
        return;
    char *begin = text;
    if (*begin == '-' && std::all_of(begin + 1, end, [](char c) { return c == '0' || c == '.'; }))
        ++begin;
    std::replace(begin, end, '.', ',');
    out.append(begin, end);
}

// The run played again: the lab started as it was, each action at its loop time.
class Replay
{
public:
    explicit Replay(const LabScenario &scenario) : m_commands(scenario.commands)
    {
        m_lab.startWith(scenario.settings, scenario.locked);
    }

    const Lab &lab() const { return m_lab; }
    double time() const { return m_lab.loop().time(); }

    // On to loop time t, the actions up to t made on the way.
    void runTo(double t)
    {
        for (; m_next < m_commands.size() && m_commands[m_next].time <= t; ++m_next) {
            m_lab.runLoopTo(m_commands[m_next].time);
            m_lab.apply(m_commands[m_next].command);
        }
        m_lab.runLoopTo(t);
    }

private:
    Lab m_lab;
    const std::vector<TimedCommand> &m_commands;
    std::size_t m_next = 0;
};

// The motor voltage's integral at instants the loop passed, to take its mean over the last
// setpoint period as the lab's status does.
class CommandMarks
{
public:
    void add(double time, double integral)
    {
        if (!m_marks.empty() && m_marks.back().time >= time)
            return;
        m_marks.push_back({time, integral});
        while (m_marks.size() > 1 && m_marks[1].time <= time - LongestMeanSpan)
            m_marks.pop_front();
    }

    // The mean from the last mark at or before `from` to now; the voltage now with none before.
    double meanSince(double from, const pllmodel::LoopSimulation &loop) const
    {
        auto after = std::upper_bound(m_marks.begin(), m_marks.end(), from + 1e-12,
                                      [](double t, const Mark &m) { return t < m.time; });
        const Mark &mark = after == m_marks.begin() ? m_marks.front() : *std::prev(after);
        const double span = loop.time() - mark.time;
        return span > 0 ? (loop.commandIntegral() - mark.integral) / span : loop.command();
    }

private:
    struct Mark { double time, integral; };
    std::deque<Mark> m_marks;
};

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
}

Rows rowsFor(double end, double every)
{
    Rows rows;
    rows.last = std::max(0LL, (long long)std::floor(end / every + IndexSlack));
    if (end > KeptSpan)
        rows.first = std::min(rows.last, (long long)std::ceil((end - KeptSpan) / every - IndexSlack));
    // Enough decimals to write each row's time exactly, when it can be.
    rows.timePlaces = MaxTimePlaces;
    for (int places = 3; places < MaxTimePlaces; ++places) {
        const double scaled = every * std::pow(10.0, places);
        if (std::abs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled)) {
            rows.timePlaces = places;
            break;
        }
    }
    return rows;
}

Outcome write(const LabScenario &scenario, double end, double every, QIODevice &out,
              const std::function<bool(double)> &carryOn)
{
    const Rows rows = rowsFor(end, every);
    const int tp = rows.timePlaces;
    Output output(out);
    std::string &text = output.text();
    if (rows.first > 0) {
        text += "Dernière heure seulement : de ";
        appendDecimal(text, double(rows.first) * every, tp);
        text += " s à ";
        appendDecimal(text, double(rows.last) * every, tp);
        text += " s sur ";
        appendDecimal(text, end, tp);
        text += " s de marche\n";
    }
    text += Header;
    text += '\n';

    Replay replay(scenario);
    CommandMarks marks;
    double reported = 0;
    const auto goOn = [&] {
        if (!carryOn || replay.time() - reported < ReportSpacing)
            return true;
        reported = replay.time();
        return carryOn(reported);
    };
    // The rows before the last hour are not written: the loop runs on to just before it.
    const double quietEnd = double(rows.first) * every - Lab::LongestScope;
    while (replay.time() < quietEnd) {
        replay.runTo(std::min(quietEnd, replay.time() + ReportSpacing));
        if (!goOn())
            return Outcome::Stopped;
    }
    marks.add(replay.time(), replay.lab().loop().commandIntegral());

    for (long long i = rows.first; i <= rows.last; ++i) {
        const double t = double(i) * every;
        // The means cover the last setpoint period: the voltage's integral is noted a period
        // before this row and before the next ones that fall before t.
        const double span = replay.lab().scopeSpan() / 2;
        for (auto k = (long long)std::floor((replay.time() + span) / every); ; ++k) {
            const double mark = double(k) * every - span;
            if (mark > t)
                break;
            if (mark <= replay.time())
                continue;
            replay.runTo(mark);
            marks.add(mark, replay.lab().loop().commandIntegral());
        }
        replay.runTo(t);
        const pllmodel::LoopSimulation &loop = replay.lab().loop();
        marks.add(t, loop.commandIntegral());

        appendDecimal(text, t, tp);
        text += ';';
        appendDecimal(text, loop.setpointFrequency(), 2);
        text += ';';
        appendDecimal(text, loop.speed(), 4);
        text += ';';
        appendDecimal(text, replay.lab().foldedPhaseError(), 4);
        text += ';';
        appendDecimal(text, replay.lab().comparatorMean(), 4);
        text += ';';
        appendDecimal(text, marks.meanSince(t - span, loop), 4);
        text += ';';
        appendDecimal(text, loop.loopParameters().motorLoad, 1);
        text += ';';
        text += std::to_string(loop.cycleSlips());
        text += '\n';
        if (!output.flush(false))
            return Outcome::WriteFailed;
        if (!goOn())
            return Outcome::Stopped;
    }
    return output.flush(true) ? Outcome::Written : Outcome::WriteFailed;
}

}

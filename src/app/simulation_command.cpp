#include "app/simulation_command.h"

#include "app/command_line.h"
#include "measures/measures_csv.h"
#include "pages/lab/lab_readouts.h"
#include "text/french_number.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>

namespace SimulationCommand {
namespace {
using S = LabSettings;

// The help and the refusals name these limits: they are the lab's controls'.
static_assert(S::MaxSetpoint == 3000 && S::SetpointStep == 10 && S::MaxLoad == 20 && S::LoadUnit == 0.1);
static_assert(S::MinTimeConstant == 1 && S::MaxTimeConstant == 10000 && S::TimeConstantUnit == 1e-4);
static_assert(S::MinGain == 10 && S::MaxGain == 1000 && S::GainUnit == 0.01);
static_assert(S::MinSlope == 1 && S::MaxSlope == 1000000 && S::SlopeUnit == 0.1);

const char *const Frequency = "une fréquence de 0 à 3000 Hz, par pas de 10 Hz, est attendue";
const char *const Voltage = "une tension de 0 à 2 V, par pas de 0,1 V, est attendue";
const char *const TimeConstant = "une durée de 0,0001 à 1 s, par pas de 0,0001 s, est attendue";
const char *const Gain = "un gain de 0,1 à 10, par pas de 0,01, est attendu";
const char *const Slope = "une pente de 0,1 à 100000 Hz/s, par pas de 0,1 Hz/s, est attendue";
const char *const Duration = "une durée de plus de 0 s et d'au plus 86400 s est attendue";
const char *const Every = "un temps de 0,0001 à 3600 s est attendu";
const char *const Start = "« rest » ou « locked » est attendu";
const char *const Change = "INSTANT:VALEUR est attendu, l'instant en secondes, 0 ou plus";

struct Refusal
{
    std::string line;
};

std::string invalid(std::string_view option, std::string_view value, std::string_view expected)
{
    return std::string(CommandLine::Program) + " : valeur invalide pour " + std::string(option) + " : « " +
           std::string(value) + " » (" + std::string(expected) + ')';
}

// A finite number written with a decimal point or comma, and nothing else.
std::optional<double> number(std::string_view text)
{
    std::string point(text);
    std::replace(point.begin(), point.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(point.data(), point.data() + point.size(), value);
    if (point.empty() || error != std::errc() || end != point.data() + point.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// `text` as a whole number of `unit` from `low` to `high`.
std::optional<int> inSteps(std::string_view text, double unit, int low, int high)
{
    const std::optional<double> value = number(text);
    if (!value)
        return std::nullopt;
    const double steps = *value / unit;
    const double whole = std::round(steps);
    if (std::abs(steps - whole) > 1e-6 * std::max(1.0, std::abs(whole)) || whole < low || whole > high)
        return std::nullopt;
    return int(whole);
}

class Parser
{
public:
    Parser(int argc, const char *const *argv) : m_argc(argc), m_argv(argv) {}

    Request parse()
    {
        for (m_at = 1; m_at < m_argc; ++m_at) {
            const std::string_view option = m_argv[m_at];
            if (option == "--simulate")
                continue;
            if (option == "--no-corrector") {
                once(option);
                m_request.run.settings.corrector = false;
                continue;
            }
            if (!knows(option))
                throw Refusal{std::string(CommandLine::Program) + " : option inconnue « " + std::string(option) +
                              " » avec --simulate (" + CommandLine::Program + " --help pour l'aide)"};
            if (option != "--change" && option != "--load-change")
                once(option);
            const std::string_view text = value(option);
            take(option, text);
        }
        finish();
        return m_request;
    }

private:
    static bool knows(std::string_view option)
    {
        for (const CommandLine::Entry &entry : CommandLine::SimulationOptions) {
            const std::string_view name(entry.name);
            if (name.substr(0, name.find(' ')) == option)
                return true;
        }
        return false;
    }

    void once(std::string_view option)
    {
        if (!m_seen.insert(std::string(option)).second)
            throw Refusal{std::string(CommandLine::Program) + " : l'option " + std::string(option) + " est donnée deux fois"};
    }

    std::string_view value(std::string_view option)
    {
        if (m_at + 1 >= m_argc)
            throw Refusal{std::string(CommandLine::Program) + " : l'option " + std::string(option) + " attend une valeur (" +
                          CommandLine::Program + " --help pour l'aide)"};
        return m_argv[++m_at];
    }

    static int need(std::optional<int> value, std::string_view option, std::string_view text, const char *expected)
    {
        if (!value)
            throw Refusal{invalid(option, text, expected)};
        return *value;
    }

    // "T:V" as a timed action, the value read by `read` and set by `set`.
    template <typename Read, typename Set>
    void timed(std::string_view option, std::string_view text, Read read, const char *expected, Set set)
    {
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos)
            throw Refusal{invalid(option, text, Change)};
        const std::optional<double> time = number(text.substr(0, colon));
        if (!time || *time < 0)
            throw Refusal{invalid(option, text, Change)};
        LabAction action{*time, {}};
        set(action.change, need(read(text.substr(colon + 1)), option, text, expected));
        m_request.run.actions.push_back(action);
    }

    void take(std::string_view option, std::string_view text)
    {
        LabSettings &s = m_request.run.settings;
        const auto hertz = [](std::string_view t) { return inSteps(t, S::SetpointStep, 0, S::MaxSetpoint / S::SetpointStep); };
        const auto volts = [](std::string_view t) { return inSteps(t, S::LoadUnit, 0, S::MaxLoad); };
        const auto timeConstant = [&] {
            return need(inSteps(text, S::TimeConstantUnit, S::MinTimeConstant, S::MaxTimeConstant), option, text, TimeConstant);
        };
        if (option == "--setpoint") {
            s.setpoint = need(hertz(text), option, text, Frequency) * S::SetpointStep;
        } else if (option == "--ramp") {
            s.ramp = need(inSteps(text, S::SlopeUnit, S::MinSlope, S::MaxSlope), option, text, Slope);
        } else if (option == "--load") {
            s.load = need(volts(text), option, text, Voltage);
        } else if (option == "--tau1") {
            s.lead = timeConstant();
        } else if (option == "--tau2") {
            s.lag = timeConstant();
        } else if (option == "--tau3") {
            s.filter = timeConstant();
        } else if (option == "--gain") {
            s.gain = need(inSteps(text, S::GainUnit, S::MinGain, S::MaxGain), option, text, Gain);
        } else if (option == "--start") {
            if (text != "rest" && text != "locked")
                throw Refusal{invalid(option, text, Start)};
            m_request.run.start = text == "locked" ? LabStart::Locked : LabStart::Rest;
        } else if (option == "--duration") {
            const std::optional<double> d = number(text);
            if (!d || *d <= 0 || *d > MaxDuration)
                throw Refusal{invalid(option, text, Duration)};
            m_request.duration = *d;
        } else if (option == "--every") {
            const std::optional<double> e = number(text);
            if (!e || *e < MinEvery || *e > MaxEvery)
                throw Refusal{invalid(option, text, Every)};
            m_request.every = *e;
            m_everyText = text;
        } else if (option == "--change") {
            timed(option, text, hertz, Frequency, [](LabChange &c, int steps) { c.setpoint = steps * S::SetpointStep; });
        } else if (option == "--load-change") {
            timed(option, text, volts, Voltage, [](LabChange &c, int load) { c.load = load; });
        }
    }

    void finish()
    {
        if (MeasuresCsv::rowsFor(m_request.duration, m_request.every).count() > MaxRows)
            throw Refusal{invalid("--every", m_everyText, "au plus 3600001 lignes : un temps d'au moins " +
                                                              French::shortest(leastEvery(m_request.duration)) +
                                                              " s est attendu pour cette durée")};
        // Actions at one instant keep the order they were given in.
        std::stable_sort(m_request.run.actions.begin(), m_request.run.actions.end(),
                         [](const LabAction &a, const LabAction &b) { return a.at < b.at; });
    }

    // The shortest time between rows that keeps a run of `duration` within MaxRows, rounded up
    // to the fewest significant digits that stay within 1 % of it: always more than the time
    // refused, and enough when given.
    static double leastEvery(double duration)
    {
        const double least = std::min(duration, MeasuresCsv::KeptSpan) / double(MaxRows - 1);
        for (int digits = 1;; ++digits) {
            const double unit = std::pow(10.0, std::floor(std::log10(least)) - digits + 1);
            const double up = std::ceil(least / unit - 1e-9) * unit;
            if ((up <= 1.01 * least || digits >= 15) && MeasuresCsv::rowsFor(duration, up).count() <= MaxRows)
                return up;
        }
    }

    int m_argc;
    const char *const *m_argv;
    int m_at = 1;
    Request m_request;
    std::set<std::string> m_seen;
    std::string_view m_everyText = "0,001";
};
}

std::variant<Request, std::string> parse(int argc, const char *const *argv)
{
    try {
        return Parser(argc, argv).parse();
    } catch (const Refusal &refusal) {
        return refusal.line;
    }
}

int run(int argc, const char *const *argv, int out, std::FILE *err)
{
    const auto parsed = parse(argc, argv);
    if (const auto *refusal = std::get_if<std::string>(&parsed)) {
        std::fprintf(err, "%s\n", refusal->c_str());
        return CommandLine::RefusedArgument;
    }
    const Request &request = std::get<Request>(parsed);
    // Beside the table, never in it: a CSV reader takes its first line for the header.
    const std::string note = MeasuresCsv::lastHourNote(request.duration, request.every);
    if (!note.empty())
        std::fprintf(err, "%s : %s\n", CommandLine::Program, note.c_str());
    QFile output;
    // Unbuffered here: the rows come in large chunks already.
    const bool opened = output.open(out, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    const MeasuresCsv::Played played = opened ? MeasuresCsv::write(request.run, request.duration, request.every, output)
                                              : MeasuresCsv::Played{MeasuresCsv::Outcome::WriteFailed, {}};
    // Said, not refused: the run went on from rest, as the lab's own start does.
    for (const auto &[at, setpoint] : played.unheldLocks) {
        const QString message = unholdableMessage(setpoint);
        if (at == 0)
            std::fprintf(err, "%s : %s\n", CommandLine::Program, qUtf8Printable(message));
        else
            std::fprintf(err, "%s : à %s s, %s\n", CommandLine::Program, French::decimal(at, 3).c_str(),
                         qUtf8Printable(message.front().toLower() + message.mid(1)));
    }
    if (played.outcome != MeasuresCsv::Outcome::Written) {
        std::fprintf(err, "%s : les mesures n'ont pas pu être écrites sur la sortie standard\n", CommandLine::Program);
        return CommandLine::NotWritten;
    }
    return 0;
}

}

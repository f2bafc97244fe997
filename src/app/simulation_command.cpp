#include "app/simulation_command.h"

#include "app/command_line.h"
#include "pages/lab/measures_csv.h"

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
using Kind = LabCommand::Kind;

// The help and the refusals name these limits: they are the lab's controls'.
static_assert(Lab::MaxSetpoint == 3000 && Lab::SetpointStep == 10 && Lab::MaxLoadTenths == 20);
static_assert(Lab::MinTimeConstant == 1 && Lab::MaxTimeConstant == 10000 && Lab::TimeConstantUnit == 1e-4);
static_assert(Lab::MinGain == 10 && Lab::MaxGain == 1000 && Lab::GainUnit == 0.01);

const char *const Frequency = "une fréquence de 0 à 3000 Hz, par pas de 10 Hz, est attendue";
const char *const Voltage = "une tension de 0 à 2 V, par pas de 0,1 V, est attendue";
const char *const TimeConstant = "une durée de 0,0001 à 1 s, par pas de 0,0001 s, est attendue";
const char *const Gain = "un gain de 0,1 à 10, par pas de 0,01, est attendu";
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
                m_request.scenario.settings.corrector = false;
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

    // "T:V" as a timed action, the value read by `read`.
    template <typename Read>
    void timed(std::string_view option, std::string_view text, Kind kind, Read read, const char *expected)
    {
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos)
            throw Refusal{invalid(option, text, Change)};
        const std::optional<double> time = number(text.substr(0, colon));
        if (!time || *time < 0)
            throw Refusal{invalid(option, text, Change)};
        const int value = need(read(text.substr(colon + 1)), option, text, expected);
        m_request.scenario.commands.push_back({*time, {kind, value}});
    }

    void take(std::string_view option, std::string_view text)
    {
        LabSettings &s = m_request.scenario.settings;
        const auto hertz = [](std::string_view t) { return inSteps(t, Lab::SetpointStep, 0, Lab::MaxSetpoint / Lab::SetpointStep); };
        const auto tenths = [](std::string_view t) { return inSteps(t, 0.1, 0, Lab::MaxLoadTenths); };
        const auto timeConstant = [&] {
            return need(inSteps(text, Lab::TimeConstantUnit, Lab::MinTimeConstant, Lab::MaxTimeConstant), option, text, TimeConstant);
        };
        if (option == "--setpoint") {
            s.setpoint = need(hertz(text), option, text, Frequency) * Lab::SetpointStep;
        } else if (option == "--load") {
            s.loadTenths = need(tenths(text), option, text, Voltage);
        } else if (option == "--tau1") {
            s.lead = timeConstant();
        } else if (option == "--tau2") {
            s.lag = timeConstant();
        } else if (option == "--tau3") {
            s.filter = timeConstant();
        } else if (option == "--gain") {
            s.gain = need(inSteps(text, Lab::GainUnit, Lab::MinGain, Lab::MaxGain), option, text, Gain);
        } else if (option == "--start") {
            if (text != "rest" && text != "locked")
                throw Refusal{invalid(option, text, Start)};
            m_request.scenario.locked = text == "locked";
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
            timed(option, text, Kind::Setpoint, [&](std::string_view t) {
                const std::optional<int> steps = hertz(t);
                return steps ? std::optional<int>(*steps * Lab::SetpointStep) : std::nullopt;
            }, Frequency);
        } else if (option == "--load-change") {
            timed(option, text, Kind::Load, tenths, Voltage);
        }
    }

    void finish()
    {
        if (MeasuresCsv::rowsFor(m_request.duration, m_request.every).count() > MaxRows) {
            const double least = std::min(m_request.duration, MeasuresCsv::KeptSpan) / double(MaxRows - 1);
            std::string shortest = std::to_string(least);
            shortest.erase(shortest.find_last_not_of('0') + 1);
            std::replace(shortest.begin(), shortest.end(), '.', ',');
            throw Refusal{invalid("--every", m_everyText, "au plus 3600001 lignes : un temps d'au moins " + shortest +
                                                              " s est attendu pour cette durée")};
        }
        // Actions at one instant keep the order they were given in.
        std::stable_sort(m_request.scenario.commands.begin(), m_request.scenario.commands.end(),
                         [](const TimedCommand &a, const TimedCommand &b) { return a.time < b.time; });
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
    if (request.scenario.locked) {
        // Said, not refused: the run goes on from rest, as the lab's own start does.
        Lab probe;
        probe.startWith(request.scenario.settings, true);
        if (!probe.message().isEmpty())
            std::fprintf(err, "%s : %s\n", CommandLine::Program, qUtf8Printable(probe.message()));
    }
    QFile output;
    // Unbuffered here: the rows come in large chunks already.
    if (!output.open(out, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)
        || MeasuresCsv::write(request.scenario, request.duration, request.every, output) != MeasuresCsv::Outcome::Written) {
        std::fprintf(err, "%s : les mesures n'ont pas pu être écrites sur la sortie standard\n", CommandLine::Program);
        return CommandLine::NotWritten;
    }
    return 0;
}

}

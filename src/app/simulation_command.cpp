#include "app/simulation_command.h"

#include "app/command_line.h"
#include "lab/experiment_file.h"
#include "lab/setting_ranges.h"
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
const char *const Duration = "une durée de plus de 0 s et d'au plus 86400 s est attendue";
const char *const Every = "un temps de 0,0001 à 3600 s est attendu";
const char *const Start = "« rest » ou « locked » est attendu";
const char *const Change = "INSTANT:VALEUR est attendu, l'instant en secondes, 0 ou plus";

// The options that set the run's start, which override an experiment's.
struct SettingOption
{
    std::string_view name;
    const SettingRange *range;
    int LabSettings::*setting;
};
const SettingOption SettingOptions[] = {
    {"--setpoint", &SettingRanges::Setpoint, &LabSettings::setpoint},
    {"--ramp", &SettingRanges::Slope, &LabSettings::ramp},
    {"--load", &SettingRanges::Load, &LabSettings::load},
    {"--tau1", &SettingRanges::TimeConstant, &LabSettings::lead},
    {"--tau2", &SettingRanges::TimeConstant, &LabSettings::lag},
    {"--tau3", &SettingRanges::TimeConstant, &LabSettings::filter},
    {"--gain", &SettingRanges::Gain, &LabSettings::gain},
};

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

int inRange(std::string_view option, std::string_view text, const SettingRange &range)
{
    const std::optional<double> value = number(text);
    const std::optional<int> units = value ? range.read(*value) : std::nullopt;
    if (!units)
        throw Refusal{invalid(option, text, range.expected)};
    return *units;
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
            if (!knows(option))
                throw Refusal{std::string(CommandLine::Program) + " : option inconnue « " + std::string(option) +
                              " » avec --simulate (" + CommandLine::Program + " --help pour l'aide)"};
            if (option != "--change" && option != "--load-change")
                once(option);
            if (option == "--no-corrector")
                m_request.run.settings.corrector = false;
            else
                take(option, value(option));
        }
        if (!m_experiment.empty())
            takeExperiment();
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

    bool given(std::string_view option) const { return m_seen.count(std::string(option)) > 0; }

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

    // "T:V" as a timed action, the value read in `range` and set by `set`.
    template <typename Set>
    void timed(std::string_view option, std::string_view text, const SettingRange &range, Set set)
    {
        const std::size_t colon = text.find(':');
        const std::optional<double> time = colon == std::string_view::npos ? std::nullopt : number(text.substr(0, colon));
        if (!time || *time < 0)
            throw Refusal{invalid(option, text, Change)};
        const std::optional<double> value = number(text.substr(colon + 1));
        const std::optional<int> units = value ? range.read(*value) : std::nullopt;
        if (!units)
            throw Refusal{invalid(option, text, range.expected)};
        LabAction action{*time, {}};
        set(action.change, *units);
        m_request.run.actions.push_back(action);
    }

    void take(std::string_view option, std::string_view text)
    {
        for (const SettingOption &o : SettingOptions)
            if (option == o.name) {
                m_request.run.settings.*o.setting = inRange(option, text, *o.range);
                return;
            }
        if (option == "--start") {
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
        } else if (option == "--experiment") {
            m_experiment = text;
        } else if (option == "--change") {
            timed(option, text, SettingRanges::Setpoint, [](LabChange &c, int hz) { c.setpoint = hz; });
        } else if (option == "--load-change") {
            timed(option, text, SettingRanges::Load, [](LabChange &c, int load) { c.load = load; });
        }
    }

    // The experiment's run, its start's settings overridden by the options given beside it, its
    // actions joined by theirs, and its end the run's length unless --duration says otherwise.
    void takeExperiment()
    {
        auto read = ExperimentFile::read(QString::fromLocal8Bit(m_experiment.data(), qsizetype(m_experiment.size())));
        if (const auto *why = std::get_if<std::string>(&read))
            throw Refusal{std::string(CommandLine::Program) + " : " + *why};
        Experiment &e = std::get<Experiment>(read);
        const LabRun &options = m_request.run;
        for (const SettingOption &o : SettingOptions)
            if (given(o.name))
                e.run.settings.*o.setting = options.settings.*o.setting;
        if (given("--no-corrector"))
            e.run.settings.corrector = false;
        if (given("--start"))
            e.run.start = options.start;
        e.run.actions.insert(e.run.actions.end(), options.actions.begin(), options.actions.end());
        m_request.run = e.run;
        if (!given("--duration") && e.until) {
            if (*e.until > MaxDuration)
                throw Refusal{std::string(CommandLine::Program) + " : l'expérience s'arrête à " + French::shortest(*e.until) +
                              " s, au-delà de 86400 s : donnez --duration"};
            m_request.duration = *e.until;
        }
    }

    void finish()
    {
        if (MeasuresCsv::rowsFor(m_request.duration, m_request.every).count() > MaxRows)
            throw Refusal{invalid("--every", m_everyText, "au plus 3600001 lignes : un temps d'au moins " +
                                                              French::shortest(leastEvery(m_request.duration)) +
                                                              " s est attendu pour cette durée")};
        // Actions at one instant keep the order they were given in, an experiment's first.
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
    std::string_view m_experiment;
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

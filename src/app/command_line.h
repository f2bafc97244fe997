#pragma once
// The command line, read before the application object exists so that --help and --version
// answer in a terminal without a display. The options are kept here as a table, and the window's
// keys are written out from key_table.h: the one source of the help texts and of the manual page.
#include "app/key_table.h"

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace CommandLine {

// One line of a two-column table: what to type, what it does.
struct Entry
{
    const char *name;
    const char *meaning;
};

// A line whose first column is written out: a key table's keys, in words.
struct Line
{
    std::string name;
    const char *meaning;
};

extern const char *const Program;      // "pll"
extern const char *const Version;      // the program's version, "2.2"
extern const char *const Purpose;      // what the program is, in one line
extern const std::span<const Entry> Options;
// The options --simulate takes, as --help and the manual page list them.
extern const std::span<const Entry> SimulationOptions;
// The keys of an experiment file, as the manual page lists them (docs/experience.md tells more).
extern const std::span<const Entry> ExperimentKeys;
// The window's keys as every help shows them: the controls' own, then each action's, named as
// Qt's French catalogue names them on the menu ("Échap", "Maj+Tab").
std::vector<Line> windowKeys();
// The first key of an action, named as windowKeys() names it ("Ctrl+L").
std::string keyOf(Keys::Action action);

// Exit statuses: an argument the program does not know, and no display to open the window on
// (or, for --simulate, no way to write the measures).
constexpr int RefusedArgument = 2;
constexpr int NoDisplay = 1;
constexpr int NotWritten = 1;

std::string helpText();
std::string versionText();

// --simulate among the arguments: the loop is to run without a window (simulation_command.h).
bool asksSimulation(int argc, const char *const *argv);

// Answers --help or --version on `out`, or refuses an unknown option (or a second file) with one
// line on `err`, and returns the exit status; otherwise returns nothing: the window is to be
// opened, on the experiment the arguments name if they name one.
std::optional<int> answer(int argc, const char *const *argv, std::FILE *out = stdout, std::FILE *err = stderr);
// The experiment file the arguments name for the window: the one that is not an option.
std::optional<std::string> experimentFile(int argc, const char *const *argv);

}

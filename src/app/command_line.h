#pragma once
// The command line, read before the application object exists so that --help and --version
// answer in a terminal without a display. The options and the window's keys are kept here as
// tables, the one source of the help text and of the manual page.
#include <cstdio>
#include <optional>
#include <span>
#include <string>

namespace CommandLine {

// One line of a two-column table: what to type, what it does.
struct Entry
{
    const char *name;
    const char *meaning;
};

// The keys of the window's own actions, as the key table shows them (QKeySequence's portable form).
inline constexpr const char *HelpKey = "F1";
inline constexpr const char *PrintKey = "Ctrl+P";
inline constexpr const char *QuitKey = "Ctrl+Q";

extern const char *const Program;      // "pll"
extern const char *const Version;      // the program's version, "2.2"
extern const char *const Purpose;      // what the program is, in one line
extern const std::span<const Entry> Options;
extern const std::span<const Entry> WindowKeys;

// Exit statuses: an argument the program does not know, and no display to open the window on.
constexpr int RefusedArgument = 2;
constexpr int NoDisplay = 1;

std::string helpText();
std::string versionText();

// Answers --help or --version on `out`, or refuses an unknown argument with one line on `err`,
// and returns the exit status; without arguments returns nothing: the window is to be opened.
std::optional<int> answer(int argc, const char *const *argv, std::FILE *out = stdout, std::FILE *err = stderr);

}

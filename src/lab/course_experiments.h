#pragma once
// The course's experiments: the .pll files installed with the program, one lesson each, listed
// in the order of their file names (the course's order) for the student to open one.
#include <QString>

#include <string>
#include <vector>

namespace CourseExperiments {

// Where they are installed, below a data folder.
inline constexpr const char *Subfolder = "pll/experiences";

struct Entry
{
    QString path;
    std::string title;
    // The text's first sentence, to choose by.
    std::string summary;
};

// The folder that holds them: beside the program's own installation first (bin/../share), then
// the system's data folders, then the build tree's copy; empty if none has any.
QString folder();
// Every experiment of that folder the program can read, in the course's order.
std::vector<Entry> list();
// The first sentence of `text`, or its first line if that is shorter.
std::string firstSentence(const std::string &text);

}

#pragma once
// The runs of spaces a page leaves in a line for the Greek letters it writes over them, and which
// of them holds a letter: the line's setting and the page's reader must agree on it.
#include "drawing/scaled_text.h"

#include <QString>
#include <vector>

class SpaceRuns
{
public:
    struct Run { int first, end; }; // the first space's index, one past the last
    explicit SpaceRuns(const QString &text);

    const std::vector<Run> &runs() const { return m_runs; }
    bool empty() const { return m_runs.empty(); }

    // The run holding a letter whose cell starts at `letterLeft`, the text laid out as `laid` with
    // its cell starting at `left`: the one nearest to the letter, the first of those as near. -1
    // when the text's last character is as near: the letter follows the text.
    int holding(const LaidOutText &laid, int left, int letterLeft) const;

private:
    QString m_text;
    std::vector<Run> m_runs;
};

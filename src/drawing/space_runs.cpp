#include "drawing/space_runs.h"

#include "drawing/fonts.h"

#include <algorithm>

SpaceRuns::SpaceRuns(const QString &text)
    : m_text(text)
{
    for (int i = 0; i < text.size();) {
        if (text[i] != QLatin1Char(' ')) {
            ++i;
            continue;
        }
        int end = i;
        while (end < text.size() && text[end] == QLatin1Char(' '))
            ++end;
        m_runs.push_back({i, end});
        i = end;
    }
}

int SpaceRuns::holding(const LaidOutText &laid, int left, int letterLeft) const
{
    const int origin = left + Fonts::GlyphInset, x = letterLeft + Fonts::GlyphInset;
    int shown = int(m_text.size());
    while (shown > 0 && m_text[shown - 1] == QLatin1Char(' '))
        --shown;
    int best = -1, bestDistance = std::max(origin + laid.x(shown) - x, 0);
    for (int r = 0; r < int(m_runs.size()); ++r) {
        const int start = origin + laid.x(m_runs[r].first), end = origin + laid.x(m_runs[r].end);
        const int distance = std::max({start - x, x - end, 0});
        if (distance < bestDistance)
            best = r, bestDistance = distance;
    }
    return best;
}

#include "playback/tick_pacer.h"

#include <algorithm>

namespace {
constexpr std::int64_t NsPerMs = 1'000'000;
}

int TickPacer::periodsDue(std::int64_t nowNs, int periodMs, int mostPeriods)
{
    if (!m_running || periodMs != m_periodMs) {
        m_running = true;
        m_periodMs = periodMs;
        m_startNs = nowNs;
        m_covered = 1;
        return 1;
    }
    // The first tick covers the period it begins; each later one ends the periods begun since.
    const std::int64_t due = (nowNs - m_startNs) / (periodMs * NsPerMs) + 1;
    const std::int64_t periods = std::clamp<std::int64_t>(due - m_covered, 1, std::max(mostPeriods, 1));
    m_covered = std::max(m_covered + periods, due);
    return int(periods);
}

#pragma once
// How many timer periods a running tick of the lab covers, so that its loop time keeps up with
// the clock: a timer tick that comes late (the tick before took longer than its period, the
// X server kept the program waiting) covers the whole periods gone by since the one before.
// The clock is given to it at each tick, so a test can drive it.
#include <cstdint>

class TickPacer
{
public:
    // The next tick starts a new run of ticks: after a pause, a command, a step, another page.
    void restart() { m_running = false; }
    // The periods the tick at `nowNs` (any steady clock) covers, at `periodMs` a period: one at
    // the start of a run or when the period changes, else those due since the run began and not
    // yet covered, at least one and at most `mostPeriods`. Time past that is let go: the
    // program was held, not late.
    int periodsDue(std::int64_t nowNs, int periodMs, int mostPeriods);

private:
    bool m_running = false;
    int m_periodMs = 0;
    std::int64_t m_startNs = 0;   // when the run's first tick came
    std::int64_t m_covered = 0;   // periods covered since, that first tick's included
};

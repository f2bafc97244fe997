#pragma once
// The lab's chart recorder: one sample per column of its paper over a window of loop time. The
// samples fall on fixed instants (the window's start plus whole columns), so a long run keeps
// them evenly spaced. It rolls, the oldest falling off as the newest come; or, triggered as a
// scope's single sweep is, it keeps a tenth of its paper from before the action, fills the rest
// after it, then holds until the next action.
#include <array>
#include <cstdint>

class Recorder
{
public:
    struct Sample
    {
        double speed;          // motor, tr/s
        double setpointSpeed;  // what the setpoint asks of the motor, tr/s
        double phase;          // phase error folded into [0, 2 pi), rad
    };
    static constexpr int Columns = 500;
    // Of a triggered paper, the columns before the action.
    static constexpr int BeforeTrigger = Columns / 10;

    // An empty paper whose window spans `span` seconds, the first sample due at `from`; it
    // rolls, or waits for triggers.
    void restart(double span, double from, bool triggered = false);
    double span() const { return m_span; }
    double column() const { return m_span / Columns; }
    bool triggered() const { return m_triggered; }
    double nextSampleTime() const { return timeOf(m_taken); }
    void add(const Sample &sample);
    // An action at `time`: a triggered paper starts its sweep there, an instant before.
    void trigger(double time);
    // Since the last trigger, the sweep drawn from the paper's left edge, the action at
    // `triggerTime()`; before any, the paper rolls.
    bool sweeping() const { return m_triggerTime >= 0; }
    double triggerTime() const { return m_triggerTime; }

    int size() const { return m_size; }
    // The i-th sample kept, the oldest first, and its loop time.
    const Sample &at(int i) const { return m_samples[std::size_t((m_first + i) % Columns)]; }
    double timeAt(int i) const { return timeOf(m_firstTaken + i); }

private:
    double timeOf(std::int64_t taken) const { return m_origin + double(taken) * m_span / Columns; }

    std::array<Sample, Columns> m_samples{};
    int m_first = 0, m_size = 0;
    // The latest samples, whatever the paper holds: a sweep starts with them.
    std::array<Sample, BeforeTrigger> m_recent{};
    std::int64_t m_taken = 0, m_firstTaken = 0;  // samples due so far; the oldest kept's number
    double m_span = 1, m_origin = 0;
    bool m_triggered = false;
    double m_triggerTime = -1;
};

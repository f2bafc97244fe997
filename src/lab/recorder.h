#pragma once
// The lab's chart recorder: one sample per column of its paper over a window of loop time, the
// oldest falling off as the newest come. The samples fall on fixed instants (the window's start
// plus whole columns), so a long run keeps them evenly spaced.
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

    // An empty paper whose window spans `span` seconds, the first sample due at `from`.
    void restart(double span, double from);
    double span() const { return m_span; }
    double nextSampleTime() const { return m_origin + double(m_taken) * m_span / Columns; }
    void add(const Sample &sample);

    int size() const { return m_size; }
    // The i-th sample kept, the oldest first.
    const Sample &at(int i) const { return m_samples[std::size_t((m_first + i) % Columns)]; }

private:
    std::array<Sample, Columns> m_samples{};
    int m_first = 0, m_size = 0;
    std::int64_t m_taken = 0;
    double m_span = 1, m_origin = 0;
};

#include "lab/recorder.h"

#include <algorithm>
#include <cmath>

void Recorder::restart(double span, double from, bool triggered)
{
    m_span = span;
    m_origin = from;
    m_taken = m_firstTaken = 0;
    m_first = m_size = 0;
    m_triggered = triggered;
    m_triggerTime = -1;
}

void Recorder::add(const Sample &sample)
{
    const std::int64_t number = m_taken++;
    m_recent[std::size_t(number % BeforeTrigger)] = sample;
    if (m_size < Columns) {
        if (m_size == 0)
            m_firstTaken = number;
        m_samples[std::size_t((m_first + m_size++) % Columns)] = sample;
        return;
    }
    // A full sweep holds until the next action.
    if (sweeping())
        return;
    m_samples[std::size_t(m_first)] = sample;
    m_first = (m_first + 1) % Columns;
    ++m_firstTaken;
}

void Recorder::trigger(double time)
{
    if (!m_triggered)
        return;
    m_triggerTime = time;
    // The new sweep starts with the latest samples from just before the action.
    const std::int64_t due = std::int64_t(std::ceil((time - m_origin) / column() - 1e-9));
    const std::int64_t from = std::max<std::int64_t>({due - BeforeTrigger, m_taken - BeforeTrigger, 0});
    m_first = 0;
    m_size = 0;
    m_firstTaken = from;
    for (std::int64_t number = from; number < m_taken; ++number)
        m_samples[std::size_t(m_size++)] = m_recent[std::size_t(number % BeforeTrigger)];
}

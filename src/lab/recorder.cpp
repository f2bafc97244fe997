#include "lab/recorder.h"

void Recorder::restart(double span, double from)
{
    m_span = span;
    m_origin = from;
    m_taken = 0;
    m_first = m_size = 0;
}

void Recorder::add(const Sample &sample)
{
    ++m_taken;
    if (m_size < Columns) {
        m_samples[std::size_t((m_first + m_size++) % Columns)] = sample;
        return;
    }
    m_samples[std::size_t(m_first)] = sample;
    m_first = (m_first + 1) % Columns;
}

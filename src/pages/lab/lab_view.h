#pragma once
// What the lab's page shows over its recorder: the signals or the open loop's frequency
// response on one of the course's charts, and over either the opened experiment's title and text,
// unless the student hid them.
#include <cstdint>

// The charts the frequency view offers, in the order its choice lists them.
enum class FrequencyChart : std::uint8_t { Bode, Black, Nyquist, ClosedLoop, Ranges };
inline constexpr int FrequencyChartCount = 5;

struct LabView
{
    bool frequencyResponse = false;
    FrequencyChart chart = FrequencyChart::Bode;
    bool statement = true;
    int statementPage = 0;  // of a text longer than its box
    bool operator==(const LabView &) const = default;
};

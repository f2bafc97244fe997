#pragma once
// What the lab's page shows over its recorder: the signals or the open loop's frequency
// response, and over either the opened experiment's title and text, unless the student hid them.
struct LabView
{
    bool frequencyResponse = false;
    bool statement = true;
    bool operator==(const LabView &) const = default;
};

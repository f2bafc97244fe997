#pragma once
// A student's action on the lab, as a value: the playback keeps it with the frame it came after
// and plays it again when going forward over that frame.
#include <cstdint>

struct LabCommand
{
    enum class Kind : std::uint8_t {
        Setpoint,    // Hz
        Ramp,        // 1: a new setpoint as a ramp, 0: as a step
        Slope,       // Hz/s
        Corrector,   // 1: the phase-advance regulator, 0: a gain of 1
        Load,        // tenths of a volt
        StartAtRest,
        StartLocked,
        SlowMotion,  // index of the factor
        TickPeriod,  // ms, the scroll bar's
        Lead,        // the regulator's time constants, in Lab::TimeConstantUnit
        Lag,
        Filter,
        Gain,        // the regulator's gain, in hundredths
        CourseValues,  // the course's regulator back
        FrequencyView, // 1: the open loop's frequency response, 0: the signals
        KeepResponse,  // the response since the last action kept in grey
        ClearResponses,
    };
    Kind kind;
    int value = 0;

    bool operator==(const LabCommand &) const = default;
};

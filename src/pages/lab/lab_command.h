#pragma once
// A student's action on the lab's controls, as a value. Those that change the loop become an
// action of the lab's run, which keeps them; the others (the pace, the view, the kept responses)
// the playback keeps with the frame they came after and plays again when going forward over it.
#include "lab/lab_run.h"

#include <cstdint>
#include <optional>

class Stage;

struct LabCommand
{
    enum class Kind : std::uint8_t {
        Setpoint,    // Hz
        Ramp,        // a new setpoint ramps at this many LabSettings::SlopeUnit; 0: it steps
        Corrector,   // 1: the phase-advance regulator, 0: a gain of 1
        Load,        // LabSettings::LoadUnit
        StartAtRest,
        StartLocked,
        SlowMotion,  // index of the factor
        TickPeriod,  // ms, the scroll bar's
        LateTick,    // the next tick covers this many of the timer's periods: it came late
        Lead,        // the regulator's time constants, in LabSettings::TimeConstantUnit
        Lag,
        Filter,
        Gain,        // the regulator's gain, in LabSettings::GainUnit
        CourseValues,  // the course's regulator back
        FrequencyView, // 1: the open loop's frequency response, 0: the signals
        KeepResponse,  // the response since the last action kept in grey
        ClearResponses,
        Statement,     // 1: the experiment's title and text over the displays, 0: hidden
        FrequencyChart, // the frequency view's chart, a FrequencyChart
        StatementPage,  // the page of the experiment's text shown, from 0
        TimeBase,       // the recorder's, an index of RecorderBases
    };
    Kind kind;
    int value = 0;

    bool operator==(const LabCommand &) const = default;
};

// What the command changes in the loop, if it does.
std::optional<LabChange> runChange(const LabCommand &command);
// Carries out a command that does not change the loop.
void applyView(Stage &stage, const LabCommand &command);
// Carries out any command, on a stage with no playback.
void applyLabCommand(Stage &stage, const LabCommand &command);

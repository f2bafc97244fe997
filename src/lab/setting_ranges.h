#pragma once
// The lab's settings as a file or a command line gives them: a number in the unit a person
// writes (Hz, V, s, Hz/s), which must fall on one of the controls' steps within their range, and
// the words that say what is expected. One table, so that the file, `pll --simulate` and their
// refusals agree with the controls.
#include "lab/lab_run.h"

#include <optional>

struct SettingRange
{
    double unit;  // the setting's own unit, in the written unit
    int low, high, step;  // in the setting's unit
    const char *expected;  // "une fréquence de 0 à 3000 Hz, par pas de 10 Hz, est attendue"

    // `value` in the setting's unit, if it is a step within the range.
    std::optional<int> read(double value) const;
};

namespace SettingRanges {
inline constexpr SettingRange Setpoint{1, 0, LabSettings::MaxSetpoint, LabSettings::SetpointStep,
                                       "une fréquence de 0 à 3000 Hz, par pas de 10 Hz, est attendue"};
inline constexpr SettingRange Slope{LabSettings::SlopeUnit, LabSettings::MinSlope, LabSettings::MaxSlope, 1,
                                    "une pente de 0,1 à 100000 Hz/s, par pas de 0,1 Hz/s, est attendue"};
inline constexpr SettingRange Load{LabSettings::LoadUnit, 0, LabSettings::MaxLoad, 1,
                                   "une tension de 0 à 2 V, par pas de 0,1 V, est attendue"};
inline constexpr SettingRange TimeConstant{LabSettings::TimeConstantUnit, LabSettings::MinTimeConstant,
                                           LabSettings::MaxTimeConstant, 1,
                                           "une durée de 0,0001 à 1 s, par pas de 0,0001 s, est attendue"};
inline constexpr SettingRange Gain{LabSettings::GainUnit, LabSettings::MinGain, LabSettings::MaxGain, 1,
                                   "un gain de 0,1 à 10, par pas de 0,01, est attendu"};
}

#pragma once
// The numbers of the radar's speed loop, element by element, in one table: what the simulation
// and the frequency response are built from.
#include <numbers>

namespace pllmodel {

struct LoopParameters
{
    // Setpoint: a quartz oscillator divided down to a square wave.
    double quartzFrequency = 100e3;  // Hz
    double dividerRatio = 100;       // the quartz frequency over the setpoint frequency

    // Exclusive-OR phase comparator: its two output levels.
    double comparatorLow = 0;   // V
    double comparatorHigh = 5;  // V

    // Phase-advance regulator (1 + lead p) / ((1 + lag p)(1 + filter p)), unit static gain.
    // Without it the comparator drives the amplifier straight: the loop "sans régulateur PD".
    bool phaseAdvance = true;
    double regulatorLead = 0.025;    // s
    double regulatorLag = 0.0025;    // s
    double regulatorFilter = 8e-4;   // s
    double regulatorGain = 1;        // the regulator's static gain

    double amplifierGain = 1;

    // DC motor and its load, first order from voltage to speed.
    double motorGain = 25 / (2 * std::numbers::pi);  // turns per second per volt
    double motorTimeConstant = 0.5;                  // s
    // A resisting torque, as the voltage it takes from the motor's input: the motor turns under
    // U - motorLoad. Linear: a load above U turns it backwards.
    double motorLoad = 0;  // V

    // Optical encoder on the motor shaft: one square period per step.
    int sensorSteps = 100;  // steps per turn

    // Output turns per motor turn. The course gives no value: the sensor sits on the fast shaft,
    // so the ratio plays no part in the loop. 1/60 turns the radar at 10 turns a minute at the
    // 1 kHz operating point, a usual speed for a surveillance radar.
    double reducerRatio = 1.0 / 60;

    double setpointFrequency() const { return quartzFrequency / dividerRatio; }
    // Comparator volts per radian of phase shift: the full swing over half a turn of phase.
    double comparatorGain() const { return (comparatorHigh - comparatorLow) / std::numbers::pi; }
    // Feedback square edges per motor turn: two per encoder step.
    double edgesPerTurn() const { return 2.0 * sensorSteps; }
};

// The radar's loop as built.
inline constexpr LoopParameters Radar{};

}

#pragma once
// Why the lab's loop is not locked, read from its state: what the setpoint asks of the
// comparator, where the speed has settled while cycles slip, and what the last action was.
#include "lab/lab.h"

struct UnlockCause
{
    enum class Kind : std::uint8_t {
        Catching,     // still heading for the speed asked for
        BeyondHold,   // the comparator's mean needed is more than its high level gives
        Harmonic,     // the sensor settled on 1/n of the setpoint, n odd
        StepTooLarge, // a setpoint step slips cycles for good
        RampTooSteep, // a ramp slips cycles for good
        NoPullIn,     // from rest the slipping comparator holds the motor short of f/100
        RunsAway,     // the slipping comparator drives the motor beyond f/100
        Slipping,     // cycles slip for good after another action
    };
    Kind kind;
    double needed = 0;   // V of comparator mean the setpoint asks (BeyondHold)
    int harmonic = 0;    // n (Harmonic)
    double speed = 0;    // where the speed settled, tr/s
    double asked = 0;    // f/100, tr/s
};

// Only for a loop that is not locked.
UnlockCause unlockCause(const Lab &lab);

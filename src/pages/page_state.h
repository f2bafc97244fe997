#pragma once
// The page state: plain integers that the commands set and the tick reads and advances.
#include <cstdint>

extern std::int32_t PageStep;        // 0 menu, -1 presentation, -2/-3 modelling, 1..250 and 251..570 animations
extern std::int32_t ChoiceIndex;     // list entry last chosen, -1 before any choice
extern std::int32_t ElementActive;   // 1 while an element presentation runs
extern std::int32_t ElementStep;     // position in the element presentations, or the speed-change step
extern std::int32_t LocalStep;       // step within the current element section
extern std::int32_t PhaseSweepStep;  // the comparator's phase-variation demonstration
extern std::int32_t SensorStep;      // the sensor rotation observation
extern std::int32_t ShowModelButton; // 1: the modelling page shows its "Visualiser" button
extern std::int32_t LabStep;         // the lab's frames since it started

// The lab's page: it runs until another topic is chosen.
inline constexpr std::int32_t LabPageStep = -4;

// Puts every integer back to its value at start-up.
void resetPageState();

// The integers at one moment, to be put back later (going back a frame).
struct PageState
{
    std::int32_t pageStep, choiceIndex, elementActive, elementStep, localStep, phaseSweepStep,
        sensorStep, showModelButton, labStep;

    static PageState current();
    void restore() const;
    bool operator==(const PageState &) const = default;
};

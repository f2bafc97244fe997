#include "pages/page_state.h"

std::int32_t PageStep = 0;
std::int32_t ChoiceIndex = -1;
std::int32_t ElementActive = 0;
std::int32_t ElementStep = 0;
std::int32_t LocalStep = 0;
std::int32_t PhaseSweepStep = 0;
std::int32_t SensorStep = 0;
std::int32_t ShowModelButton = 0;
std::int32_t LabStep = 0;

namespace {
constexpr PageState AtStart{0, -1, 0, 0, 0, 0, 0, 0, 0};
}

void resetPageState()
{
    AtStart.restore();
}

PageState PageState::current()
{
    return {PageStep, ChoiceIndex, ElementActive, ElementStep, LocalStep, PhaseSweepStep, SensorStep, ShowModelButton,
            LabStep};
}

void PageState::restore() const
{
    PageStep = pageStep;
    ChoiceIndex = choiceIndex;
    ElementActive = elementActive;
    ElementStep = elementStep;
    LocalStep = localStep;
    PhaseSweepStep = phaseSweepStep;
    SensorStep = sensorStep;
    ShowModelButton = showModelButton;
    LabStep = labStep;
}

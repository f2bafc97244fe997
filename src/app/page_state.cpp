#include "app/page_state.h"

std::int32_t PageStep = 0;
std::int32_t ChoiceIndex = -1;
std::int32_t ElementActive = 0;
std::int32_t ElementStep = 0;
std::int32_t LocalStep = 0;
std::int32_t PhaseSweepStep = 0;
std::int32_t SensorStep = 0;
std::int32_t ShowModelButton = 0;

void resetPageState()
{
    PageStep = 0;
    ChoiceIndex = -1;
    ElementActive = 0;
    ElementStep = 0;
    LocalStep = 0;
    PhaseSweepStep = 0;
    SensorStep = 0;
    ShowModelButton = 0;
}

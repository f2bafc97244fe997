#pragma once
// The lab's numbers in the words the page writes and the screen reader reads.
#include "lab/lab.h"

#include <QString>

struct LabReadouts
{
    bool locked;
    QString lock, slips, setpoint, speed, phase, comparator, command, time;
    QString overshoot, settling;
};

LabReadouts labReadouts(const Lab &lab);
// The regulator a response was measured under, as its legend names it.
QString regulatorLabel(const LabSettings &settings);
// Why a locked start began from rest.
QString unholdableMessage(int setpoint);

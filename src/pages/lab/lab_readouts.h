#pragma once
// The lab's numbers in the words the page writes and the screen reader reads.
#include "lab/lab.h"

#include <QString>
#include <QStringList>

#include <array>

struct LabReadouts
{
    bool locked;
    QString lock, slips, setpoint, speed, phase, comparator, command, time;
    // The response to the last action, in the measures its kind has: how far, then how long.
    std::array<QString, 2> measures;
    // Why the loop is not locked, in two lines; empty while it is.
    QStringList why;
    // Which regulator runs.
    QString regulator;
};

LabReadouts labReadouts(const Lab &lab);
// The regulator a response was measured under, as its legend names it.
QString regulatorLabel(const LabSettings &settings);
// Why a locked start began from rest.
QString unholdableMessage(int setpoint);

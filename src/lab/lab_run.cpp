#include "lab/lab_run.h"

pllmodel::LoopParameters LabSettings::parameters() const
{
    pllmodel::LoopParameters p = pllmodel::Radar;
    p.phaseAdvance = corrector;
    p.motorLoad = load * LoadUnit;
    p.regulatorLead = lead * TimeConstantUnit;
    p.regulatorLag = lag * TimeConstantUnit;
    p.regulatorFilter = filter * TimeConstantUnit;
    p.regulatorGain = gain * GainUnit;
    return p;
}

#pragma once
// The locked loop following a slow rise of its setpoint from 500 Hz to 1,5 kHz: square waves
// compressing, the comparator's mean climbing with its readout, the radar accelerating, and the
// phase ramps spreading from a pi/4 to a 3pi/4 lag.
#include <QString>

class Stage;

// Draws the frame for k = ElementStep (2 to 320).
void SpeedChangePage(Stage &stage);

// The comparator mean shown at step k, in volts, in the user's number format ("1,27" in French).
QString comparatorMeanText(int k);

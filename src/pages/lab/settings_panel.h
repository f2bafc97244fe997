#pragma once
// The lab's settings written where its controls stand on screen, for a picture saved or copied
// without the window: a figure pasted in a report says which setpoint, load, regulator, pace and
// view produced it. The screen never shows it: the controls cover that place.
#include "pages/lab/lab_view.h"

class Canvas;
class Lab;

void drawLabSettings(Canvas &canvas, const Lab &lab, const LabView &view);

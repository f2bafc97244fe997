#pragma once
// The frequency view's chart, the one the student chose, for the lab's settings.
#include "model/loop_parameters.h"
#include "pages/lab/lab_view.h"

#include <QRect>

class Canvas;

void drawFrequencyChart(Canvas &canvas, const pllmodel::LoopParameters &p, FrequencyChart chart, const QRect &area);

#pragma once
// The lab's status column (locked or not and why, the live values) and the line that names the
// regulator running, drawn on the page in the words the screen reader and the tests read.
#include "lab/lab.h"

class Canvas;

void drawLabStatus(Canvas &canvas, const Lab &lab);

#pragma once
// The radar antenna: a five-point outline turning about the pivot (720, 80), and its pivot.
#include "drawing/colours.h"

#include <QPoint>
#include <array>

class Canvas;

inline constexpr double StillAntennaAngle = 2.55;

using AntennaOutline = std::array<QPoint, 5>;

// The closed outline for angle a (radians, counter-clockwise on screen), each vertex truncated.
AntennaOutline AntennaPolygon(double a);

// The antenna at angle a in one colour (pen 3 pixels wide); the button face erases it. An
// offset moves the whole figure, pivot included, as a sliding copy of the diagram does.
void drawAntenna(Canvas &canvas, double a, TColor colour, QPoint offset = {});
void drawAntennaPivot(Canvas &canvas, TColor colour = Colour::Navy, QPoint offset = {});

// One step of a turning antenna: its two previous positions wiped in button face, the new one
// in red, the pivot on top.
void drawTurningAntenna(Canvas &canvas, double twoStepsAgo, double oneStepAgo, double now);

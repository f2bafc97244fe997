#pragma once
// The optical encoder's slotted disc on the motor shaft, turned by a rotation value s
// (0.01 rad clockwise per unit): outline, five teeth as wedges of the same ellipse, hub.
class Canvas;

void drawEncoderDisc(Canvas &canvas, int s);

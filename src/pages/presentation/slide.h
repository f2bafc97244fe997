#pragma once
// One step of an element sliding out of the diagram: its shapes wiped at their previous place
// in button face, then drawn at the new one in red on white.
#include <QPoint>

#include <functional>

class Canvas;

// `shapes` draws the element's outlines and fills at an offset, with the pen and brush it is given.
void slideStep(Canvas &canvas, QPoint previous, QPoint now, const std::function<void(Canvas &, QPoint)> &shapes);

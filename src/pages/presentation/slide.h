#pragma once
// One step of an element sliding out of the diagram: its shapes wiped at their previous place
// in button face, then drawn at the new one in red on white.
#include "drawing/page_text.h"

#include <QPoint>

#include <functional>
#include <span>

class Canvas;

// `shapes` draws the element's outlines and fills at an offset, with the pen and brush it is given.
// `labels`, if any, are then written at the new place: opaque on the white block they sit in,
// whose button-face fill took their previous copies away.
void slideStep(Canvas &canvas, QPoint previous, QPoint now, const std::function<void(Canvas &, QPoint)> &shapes,
               std::span<const PageText> labels = {});

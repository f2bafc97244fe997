#pragma once
// The top of the presentation page as the diagram alone draws it on a clear area: what the
// page must show again once a sliding element has left the diagram.
#include "drawing/canvas.h"
#include "drawing/loop_diagram.h"

#include <QImage>

inline QImage presentationDiagramAlone()
{
    Canvas c;
    c.setPenAndBrush(Colour::BtnFace);
    c.Rectangle(0, 0, 793, 473);
    drawLoopDiagram(c, DiagramVariant::Presentation);
    return c.image().copy(0, 0, Canvas::Width, 120);
}

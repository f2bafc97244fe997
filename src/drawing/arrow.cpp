#include "drawing/arrow.h"

#include "drawing/canvas.h"

void drawArrow(Canvas &canvas, const Arrow &arrow)
{
    canvas.MoveTo(arrow.from.x(), arrow.from.y());
    canvas.LineTo(arrow.to.x(), arrow.to.y());
    if (!arrow.headed)
        return;
    for (const QPoint &end : {arrow.left, arrow.right}) {
        canvas.MoveTo(arrow.tip().x(), arrow.tip().y());
        canvas.LineTo(end.x(), end.y());
    }
}

#include "pages/presentation/slide.h"

#include "drawing/canvas.h"

void slideStep(Canvas &canvas, QPoint previous, QPoint now, const std::function<void(Canvas &, QPoint)> &shapes,
               std::span<const PageText> labels)
{
    canvas.SetBkMode(BkMode::Transparent);
    canvas.setFontColor(Colour::BtnFace);
    canvas.setPenWidth(1);
    canvas.setPenAndBrush(Colour::BtnFace);
    shapes(canvas, previous);
    canvas.setPenColor(Colour::Red);
    canvas.setBrushColor(Colour::White);
    shapes(canvas, now);
    for (const PageText &label : labels)
        drawText(canvas, label.translated(now));
}

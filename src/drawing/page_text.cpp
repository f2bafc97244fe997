#include "drawing/page_text.h"

#include "drawing/canvas.h"

void drawText(Canvas &canvas, const PageText &t)
{
    if (!t.font.isEmpty())
        canvas.setFontName(t.font);
    canvas.setFontSize(t.size);
    canvas.setFontColor(t.colour);
    canvas.TextOut(t.x, t.y, t.text);
}

void drawTexts(Canvas &canvas, std::span<const PageText> texts)
{
    for (const PageText &t : texts)
        drawText(canvas, t);
}

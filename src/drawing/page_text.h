#pragma once
// A text of a page as data: where, in which font, size and colour, and what it says.
#include "drawing/colours.h"

#include <QPoint>
#include <QString>
#include <span>

class Canvas;

struct PageText
{
    int x, y;
    QString font; // empty: keep the face in effect
    int size;
    TColor colour;
    QString text;

    PageText translated(QPoint by) const { return {x + by.x(), y + by.y(), font, size, colour, text}; }
};

namespace FontFace {
inline const QString Sans = QStringLiteral("MS sans Serif");
inline const QString Symbol = QStringLiteral("Symbol");
}

void drawText(Canvas &canvas, const PageText &text);
void drawTexts(Canvas &canvas, std::span<const PageText> texts);

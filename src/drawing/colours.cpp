#include "drawing/colours.h"

#include <QGuiApplication>
#include <QPalette>

QRgb toRgb(TColor colour)
{
    if (colour & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (colour & 0xFF) {
        case 0x0F: return palette.color(QPalette::Button).rgb();
        case 0x0D: return palette.color(QPalette::Highlight).rgb();
        default:   return palette.color(QPalette::WindowText).rgb();
        }
    }
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

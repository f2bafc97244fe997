#pragma once
// The block diagram of the whole speed loop across the top of the drawing area, in the
// variants the pages draw.
class Canvas;

enum class DiagramVariant {
    Full,           // menu and modelling pages
    Presentation,   // divider labelled "fréquence (N)"
    OperatingPoint, // divider labelled N=1/100; the page turns the antenna itself
    SpeedChange,    // no oscillator or divider; the page turns the antenna itself
};

void drawLoopDiagram(Canvas &canvas, DiagramVariant variant);

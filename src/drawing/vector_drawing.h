#pragma once
// Draws a list of canvas operations on any QPainter as shapes, text and pictures, for a device
// that keeps them as such (a PDF page, an SVG picture): enlarged, it stays sharp, and its text can
// be searched and copied. Geometry is in the drawing area's own pixels; the painter's transform
// maps the area onto the device. Each operation is drawn where raster.h paints it: outlines
// through the centres of their pixels (as at a scale above 1), text cells and glyphs in the
// places the pixel rules give them. Smoothing is the device's own business.
#include "drawing/draw_op.h"

#include <QPainter>
#include <span>
#include <vector>

namespace VectorDrawing {

// Pictures are embedded drawn at this many times their size, from the larger ones the program
// carries: about as sharp on a printed page as the rest.
inline constexpr int PictureScale = 4;

enum class TextAs {
    // Each text as its laid-out glyphs at their places: a device that maps glyphs back to
    // characters (PDF) keeps the text and the exact layout.
    Glyphs,
    // Each word as a string at its place: for a device that writes only strings (SVG), which
    // its viewer lays out again within the word.
    Words,
    // Each text as the outlines of its glyphs, with its words as invisible strings over them:
    // an SVG that looks the same on a machine without the program's faces, its words still
    // found by a search or a screen reader.
    OutlinesAndWords,
};

// The operations of `drawing` that leave a trace on the picture, in order: one that paints
// only what is already there, or whose every pixel a later one paints again, is left out, so
// that a text erased or covered since is not found in the file.
std::vector<const DrawOp *> shown(std::span<const DrawOp> drawing);

// Draws what of `drawing` shows, in order.
void draw(QPainter &painter, std::span<const DrawOp> drawing, TextAs text);

}

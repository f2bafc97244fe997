#pragma once
// One canvas operation with everything that decides its pixels resolved: the pen, brush, font and
// text background in effect when it was drawn. Each paints a set of pixels fixed by its geometry,
// in colours that do not depend on what lies beneath, so a list of them can be drawn again at any
// scale, and drawing the same list twice gives the picture drawing it once gives.
#include "drawing/picture.h"
#include "drawing/scaled_text.h"

#include <QPoint>
#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

enum class PenStyle : std::uint8_t { Solid, Dot };

enum class OpKind : std::uint8_t { Rectangle, Ellipse, Pie, Polygon, Line, Text, Picture };

struct DrawOp
{
    OpKind kind;
    PenStyle style = PenStyle::Solid;
    // Dot gaps and text cells are filled with `background`.
    bool opaque = false;
    bool symbol = false;  // text in the symbol face
    int penWidth = 1;
    int points = 0;       // text size
    QRgb pen = 0;         // the pen's colour; the font's for text
    QRgb brush = 0;       // shapes' fill
    QRgb background = 0;
    // Rectangle, Ellipse: x1 y1 x2 y2. Pie: the box, then the two radial points. Line: from, to.
    // Text, Picture: the top left.
    std::array<int, 8> at{};
    std::vector<QPoint> polygon;
    QString text;         // as shown: Greek letters already in place in the symbol face
    std::vector<TextShift> shifts; // its line set around the Greek letters written into it
    Picture picture;

    // Computed once by seal(): the whole operation, and what decides which pixels it paints.
    std::size_t hash = 0, coverageHash = 0;

    // Clears what does not decide the pixels, so that equal drawings compare equal, and computes
    // the hashes. Called once the operation is complete.
    void seal();

    // Paints the same pixels in the same colours.
    bool operator==(const DrawOp &other) const { return hash == other.hash && sameCoverage(other) && sameColours(other); }
    // Paints the same pixels, whatever their colours: the later one hides the earlier entirely.
    bool sameCoverage(const DrawOp &other) const;
    bool sameColours(const DrawOp &other) const
    {
        return pen == other.pen && brush == other.brush && background == other.background;
    }

    // Ops that paint their brush (rectangles, ellipses, pies, polygons).
    bool isFilled() const { return kind <= OpKind::Polygon; }
};

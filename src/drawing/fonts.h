#pragma once
// The fonts the program carries, and how the page font names map onto them, so
// every machine draws the same glyphs.
#include "drawing/scaled_text.h"

#include <QFont>
#include <QString>
#include <limits>
#include <span>

namespace Fonts {
// Registers the embedded fonts with Qt; safe to call more than once.
void registerEmbedded();

// The program's own font for a page font name ("MS Sans Serif", "Symbol"; case ignored)
// at a size in points, taken at 96 dots per inch so a high-dpi desktop draws the same pixels.
QFont pageFont(const QString &name, int points);

// Sets `text` in page font `font` with the font's spacing at its size, then moves its glyphs by
// `shifts` (the line set around the Greek letters written into it). A text whose characters
// (trailing spaces aside) would take more than `room` pixels closes up its word spaces to end
// within it, as far as they allow.
LaidOutText layOut(const QFont &font, const QString &text, int room = std::numeric_limits<int>::max(),
                   std::span<const TextShift> shifts = {});

// In the "Symbol" font the Latin letters j, D, W and p stand for phi, Delta, Omega and pi.
bool isSymbol(const QString &name);
QString symbolText(const QString &text);

// Page glyphs are drawn this many pixels right of their text cell's left edge, and the cell is
// that much wider: our face sets some capitals on the cell's first column, where the pages' boxes
// would touch them, as the layout leaves texts one pixel inside their boxes.
constexpr int GlyphInset = 1;

// The window's own font (dialog font, 8 points).
QFont windowFont();
}

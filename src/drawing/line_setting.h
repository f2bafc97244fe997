#pragma once
// The lines of a page the canvas sets around the Greek letters written into them. The pages leave
// runs of spaces in their lines and write the letters over them in the symbol face; those runs were
// measured for another face than ours, so each line is set again (line_placement.h) as its texts
// come, and its setting kept: the same lines come back every tick.
//
// A text belongs to the line of the texts in its colour on its row (tops a few pixels apart) that
// it touches or nearly touches as the page placed them, whichever order they were drawn in: a line
// drawn after its letters closes up around them, as one drawn before them does. A line erased by
// writing it again in the background colour is a line of that colour, with its letters erased
// alike, so the erasure falls where the line was.
#include "drawing/line_faces.h"
#include "drawing/line_placement.h"

#include <QHash>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>
#include <utility>
#include <vector>

class LineSetting
{
public:
    using Written = WrittenText;
    using Placement = TextPlacement;
    using Piece = LinePiece;
    // The texts on the picture that take part: copied with the canvas's snapshot.
    using State = std::vector<Piece>;

    // Whether `text`, written in the symbol face or not, takes part in lines at all: a text in the
    // page face, or Greek letters. The symbol face's digits are a readout of their own.
    static bool takesPart(bool symbol, const QString &shown, const QString &asWritten);

    // Takes `text` (shown as drawn, its cell `cell` where the page placed it), written now as
    // operation `op` of the frame being drawn, and sets the line it belongs to. `moved` gets each
    // of the frame's operations that line puts somewhere new, with its placement; `text`'s own is
    // always among them.
    void write(const Written &text, bool letter, QSize cell, std::ptrdiff_t op,
               std::vector<std::pair<std::ptrdiff_t, Placement>> &moved);
    // The frame's operations are on the picture: from now on they stay where they are.
    void frameDrawn();
    // Whatever lies wholly inside `area` is covered: it no longer takes part.
    void cover(const QRect &area);
    void clear() { m_pieces.clear(); }

    const State &state() const { return m_pieces; }
    void setState(const State &state) { m_pieces = state; }

private:
    // The pieces of the line `index` belongs to.
    std::vector<std::size_t> lineOf(std::size_t index);
    // Sets the pieces of `line`, reporting those of the frame being drawn in `moved`.
    void set(std::vector<std::size_t> line, std::vector<std::pair<std::ptrdiff_t, Placement>> &moved);

    // A line's texts as written, in the order of the placements kept for them.
    struct LineKey
    {
        std::vector<Written> texts;
        bool operator==(const LineKey &) const = default;
        friend size_t qHash(const LineKey &key, size_t seed = 0)
        {
            for (const Written &w : key.texts)
                seed = qHashMulti(seed, w.at.x(), w.at.y(), w.symbol, w.points, w.text);
            return seed;
        }
    };

    State m_pieces;
    QHash<LineKey, std::vector<Placement>> m_settings;
    LineFaces m_faces;
};

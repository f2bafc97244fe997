#pragma once
// How the canvas sets a line of a page around the Greek letters written into it. The pages leave
// runs of spaces in their lines and write the letters over them in the symbol face; those runs were
// measured for another face than ours. Here a letter takes the place of the run it is written on:
// a word space of the line's face beside it where the line reads with one ("vitesse Ω1 est"), the
// face's letter spacing where it reads glued to its neighbour ("2πft", "(25/2π)"), and what follows
// in the line follows on. The first text of a line keeps its place; only x moves.
//
// A text belongs to the line of the texts in its colour on its row (tops a few pixels apart) that
// it touches or nearly touches as the page placed them, whichever order they were drawn in: a line
// drawn after its letters closes up around them, as one drawn before them does. A line erased by
// writing it again in the background colour is a line of that colour, with its letters erased
// alike, so the erasure falls where the line was.
#include "drawing/glyph_cache.h"
#include "drawing/scaled_text.h"

#include <QFont>
#include <QHash>
#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>
#include <utility>
#include <vector>

class LineSetting
{
public:
    // A text as the page wrote it: its cell's top left, face, size, what it shows, and colour.
    struct Written
    {
        QPoint at;
        bool symbol;
        int points;
        QString text;
        QRgb colour;
        bool operator==(const Written &) const = default;
    };

    // Where the setting puts a text: its cell's left and its glyphs' moves; for a Greek letter,
    // whether it reads parted by a space from what comes before and after it in its line.
    struct Placement
    {
        int x = 0;
        std::vector<TextShift> shifts;
        bool spacedBefore = true, spacedAfter = true;
    };

    // A text still on the picture that takes part in a line, as the page wrote it.
    struct Piece
    {
        Written written;
        bool letter;            // a Greek letter, else a text in the page face
        int right, height;      // of its cell where the page placed it
        std::ptrdiff_t op = -1; // its operation in the frame being drawn, or -1 once drawn
    };
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
    // What the setting needs of a text in a face: its layout and its ink.
    struct Measure
    {
        LaidOutText laid;
        std::vector<PixelRun> ink; // relative to the cell's top left
    };
    struct Face
    {
        QFont font;
        int wordSpace;   // ink columns between the words of "n n"
        int letterSpace; // between the letters of "nn", at least one
    };
    const Face &face(bool symbol, int points);
    const Measure &measure(const Written &text);
    // The pieces of the line `index` belongs to, left to right as the page placed them.
    std::vector<std::size_t> lineOf(std::size_t index);
    // Sets the pieces of `line`, reporting those of the frame being drawn in `moved`.
    void set(std::vector<std::size_t> line, std::vector<std::pair<std::ptrdiff_t, Placement>> &moved);
    // Where the setting puts each piece of `line`, in its order.
    std::vector<Placement> placements(const std::vector<std::size_t> &line);

    struct MeasureKey
    {
        int font;
        QString text;
        bool operator==(const MeasureKey &) const = default;
        friend size_t qHash(const MeasureKey &key, size_t seed = 0) { return qHashMulti(seed, key.font, key.text); }
    };
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
    QHash<int, Face> m_faces;
    QHash<MeasureKey, Measure> m_measures;
    QHash<LineKey, std::vector<Placement>> m_settings;
    GlyphCache m_glyphs{1};
};

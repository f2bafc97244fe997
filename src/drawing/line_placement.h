#pragma once
// Where the setting puts the texts and Greek letters of one line: each letter in the run of spaces
// that holds it, what the line reads beside it (a word space of the line's face, or its letter
// spacing where the two read glued), and what follows moved on by as much. The line's first text
// keeps its place; only x moves.
#include "drawing/line_faces.h"
#include "drawing/scaled_text.h"

#include <QPoint>
#include <QRgb>
#include <QString>
#include <climits>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

// A text as the page wrote it: its cell's top left, face, size, what it shows, and colour.
struct WrittenText
{
    QPoint at;
    bool symbol;
    int points;
    QString text;
    QRgb colour;
    bool operator==(const WrittenText &) const = default;
};

// Where the setting puts a text: its cell's left and its glyphs' moves; for a Greek letter,
// whether it reads parted by a space from what comes before and after it in its line.
struct TextPlacement
{
    int x = 0;
    std::vector<TextShift> shifts;
    bool spacedBefore = true, spacedAfter = true;
};

// A text still on the picture that takes part in a line, as the page wrote it.
struct LinePiece
{
    WrittenText written;
    bool letter;            // a Greek letter, else a text in the page face
    int right, height;      // of its cell where the page placed it
    std::ptrdiff_t op = -1; // its operation in the frame being drawn, or -1 once drawn
};

class LinePlacement
{
public:
    LinePlacement(LineFaces &faces, std::vector<const LinePiece *> line);
    // Each piece's placement, in the order of the line given.
    std::vector<TextPlacement> placements();

private:
    // What the line is set as, left to right: the texts' fragments between the runs that hold
    // letters, and the letters.
    struct Item
    {
        std::size_t piece; // in the line
        bool letter;
        int from = 0, to = 0;           // a fragment's characters
        int lo = INT_MIN, hi = INT_MAX; // its columns of the text's ink, in the text's cell
        int left;                       // where the page placed its first character
    };
    // Columns of ink, first and last.
    struct Extent
    {
        int first = INT_MAX, last = INT_MIN;
        bool empty() const { return first > last; }
    };
    // What lies between two neighbours: ink columns, whether they read glued, and whether the
    // left one ends in a digit.
    struct Gap
    {
        int width;
        bool glued, afterDigit;
    };

    const WrittenText &written(std::size_t piece) const { return m_line[piece]->written; }
    const LineFaces::Measure &measure(std::size_t piece);

    // Finds the run of spaces, of the text whose cell it starts in, that holds each letter.
    void holdLetters();
    void listItems();
    void listFragments(std::size_t text);
    // Puts the letters no run holds where the page put them among the items.
    void insertFreeLetters();
    // Sets the items after the anchor, then those before it.
    void setAfterAnchor();
    void setBeforeAnchor();
    Gap gapBetween(const Item &a, const Item &b, bool aGluedToNumber);
    // An item's ink columns relative to its left, on the page's rows top..bottom (all its rows
    // when it has none there).
    Extent extent(const Item &item, int top, int bottom);
    // The rows of an item's ink, on the page.
    std::pair<int, int> rowsOf(const Item &item);
    // Each text where its first fragment now starts, its later fragments shifted from there; each
    // letter where it now sits.
    void place(std::vector<TextPlacement> &placed) const;

    LineFaces &m_faces;
    std::vector<const LinePiece *> m_line;
    std::vector<std::size_t> m_texts, m_letters; // in the line, left to right as the page placed them
    struct Held { std::size_t text; int run; };
    std::vector<std::optional<Held>> m_held;     // by letter
    std::vector<Item> m_items;
    std::size_t m_anchor = 0; // the first text's first item, which keeps its place
    std::vector<int> m_x;     // where each item now starts
    std::vector<char> m_spacedBefore, m_spacedAfter;
};

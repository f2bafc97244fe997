#pragma once
// The texts the canvas writes, measured in their page font, and told to the text listener (a
// screen reader, the legibility test) once their frame is drawn, where their lines set them.
#include "drawing/colours.h"
#include "drawing/draw_op.h"

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <map>
#include <vector>

// A text as the canvas drew it.
struct DrawnText
{
    QRect cell;       // top left where its line set it; the text's advance by the font's height
    QString fontName; // as the page named it ("MS sans Serif", "Symbol")
    int points;
    TColor colour;
    QString text;     // as the page wrote it
    QString shown;    // as it reads on screen: in the symbol font j, D, W and p are Greek
    bool opaque;      // its cell was filled with the background colour before the glyphs
    std::vector<TextShift> shifts; // its glyphs moved to close up around Greek letters
    // A Greek letter: whether its line reads it parted by a space from what lies before and after.
    bool spacedBefore = true, spacedAfter = true;
};

// Told of every text the canvas draws, once the frame it belongs to is drawn (its line may still
// move it until then): what the pages say, where and how, for a reader of the page (the
// legibility test, a description for assistive technology).
class TextListener
{
public:
    virtual ~TextListener() = default;
    virtual void textDrawn(const DrawnText &text) = 0;
};

class TextMeasures
{
public:
    // The page font the next texts are written in.
    void setFont(const QString &name, int points);
    // The height of a text cell in it.
    int cellHeight() const { return m_font->height; }
    // How far a text in it advances in a cell with `room` pixels before the area's edge.
    int advanceOf(const QString &text, int room);

    // At most one listener, which it does not own; nullptr tells nobody.
    void setListener(TextListener *listener) { m_listener = listener; }
    bool listening() const { return m_listener; }
    // `text`, the frame's operation `op`, advancing `advance` where the page placed it, is to be
    // told to the listener once the frame is drawn.
    void written(std::size_t op, const DrawnText &text, int advance);
    // The Greek letter the frame's operation `op` writes reads parted by a space or not.
    void spaced(std::size_t op, bool before, bool after);
    // `frame` is drawn: tells of its texts, with their cells where their lines set them.
    void tell(const std::vector<DrawOp> &frame);
    // The frame's texts will not be drawn.
    void forgetFrame() { m_told.clear(); }

private:
    // A page font with the advances of the texts it wrote: the same texts come back every tick,
    // and measuring them again costs more than the tick's drawing.
    struct PageFont { QFont font; int height; QHash<QString, int> advances; };
    int naturalAdvanceOf(const QString &text);

    std::map<int, PageFont> m_fonts; // made once per face and size
    PageFont *m_font = nullptr;
    TextListener *m_listener = nullptr;
    // A text of the frame to tell of: its operation, the listener then, its font, the text.
    struct Told
    {
        std::size_t op;
        TextListener *listener;
        const PageFont *font;
        int advance; // where the page placed it
        DrawnText text;
    };
    std::vector<Told> m_told;
};

#pragma once
// Reads a page as a screen reader's user hears it: the texts the canvas drew that its picture
// still shows, row by row from the top and left to right within a row, each Greek letter merged
// into the line whose gap it fills.
#include "drawing/canvas.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

// The pixels a text inks where it was drawn, as its own font draws it alone.
QList<QPoint> inkOf(const DrawnText &text);

// Whether `picture` still shows `text`: most of its ink is still in its colour. An erasure (a
// text written in the button-face colour) shows nothing.
bool stillShown(const DrawnText &text, const QImage &picture);

// Told of every text a canvas draws (Canvas::setTextListener), keeps the latest one drawn at
// each place and reads them back. A text drawn where the same face, size and colour wrote before
// is what shows there now: a live value's earlier readings, drawn over a cleared area, are gone
// even where their ink and the new one's mostly coincide.
class PageReader : public TextListener
{
public:
    void textDrawn(const DrawnText &text) override;

    // What `picture`, the canvas's picture now, shows in reading order. Forgets the texts it no
    // longer shows.
    QString read(const QImage &picture);

    // Texts kept at most, when nobody reads for a long time: past this the ones drawn longest
    // ago are forgotten. No page draws half as many different texts.
    static constexpr int MostKept = 4000;
    qsizetype kept() const { return m_texts.size(); }

private:
    struct Key
    {
        QPoint at;
        QString font;
        int points;
        TColor colour;
        bool operator==(const Key &) const = default;
    };
    static Key keyOf(const DrawnText &text) { return {text.cell.topLeft(), text.fontName, text.points, text.colour}; }
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.at.x(), key.at.y(), key.font, key.points, key.colour); }
    struct Kept
    {
        DrawnText text;
        quint64 order; // when it was last drawn
    };
    void forgetOldest();

    QHash<Key, Kept> m_texts;
    quint64 m_drawn = 0;
};

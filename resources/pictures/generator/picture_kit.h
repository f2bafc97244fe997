#pragma once
// Drawing helpers for the pictures the program carries: a sheet with crisp (unsmoothed) lines
// and text in the fonts of resources/fonts, formulas with an italic p, arrows, dashed lines,
// and the conversion to the stored image format.
//
// Pictures are drawn in the pixels of their own size. At a scale above 1 the sheet draws the same
// picture again on that many times more pixels a side: a pixel becomes a block, lines are that
// many times wider and run through the centres of their blocks, and text keeps its layout with
// the finer glyphs of the larger size.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>

namespace kit {

// Registers the fonts of `fontFolder` (resources/fonts); call once before drawing.
void loadFonts(const QString &fontFolder);

// The scale sheets made from now on draw at (1 unless set).
void setScale(int scale);

// Faces at a size in points, taken at 96 dots per inch, unsmoothed.
QFont sans(int points, bool bold = false);
QFont serif(int points, bool bold = false, bool italic = false);

// The advance of an indexed text (see Sheet::indexedText).
int indexedWidth(const QString &text, const QFont &font, const QFont &indexFont);

class Sheet
{
public:
    Sheet(int width, int height, QColor background = Qt::white);

    // Text with its cell's top left at (x, y); returns the text's advance.
    int text(int x, int y, const QString &text, const QFont &font, QColor colour = Qt::black);
    // Text centred on x, cell top at y.
    void centredText(int x, int y, const QString &text, const QFont &font, QColor colour = Qt::black);

    // Text where "_" lowers the next character as a small index in `indexFont` (U_1 reads U
    // with index 1); returns the advance.
    int indexedText(int x, int y, const QString &text, const QFont &font, const QFont &indexFont);
    // A sign whose ink, not its text cell, is centred on `centre`.
    void centredSign(QPoint centre, const QString &text, const QFont &font);

    // A formula in the bold serif face: every letter p is set in italics (the Laplace variable),
    // "^" raises the token after it ("8.10^-4p" puts -4 as an exponent).
    int formulaWidth(const QString &formula, int points) const;
    int formula(int x, int y, const QString &formula, int points, QColor colour = Qt::black);
    // A fraction: numerator and denominator centred on the bar from x1 to x2 at height barY.
    void fraction(int x1, int x2, int barY, const QString &numerator, const QString &denominator, int points,
                  QColor colour = Qt::black);

    void line(QPoint a, QPoint b, int width = 1, QColor colour = Qt::black);
    void dashed(QPoint a, QPoint b, QColor colour = Qt::black);
    void rect(int x1, int y1, int x2, int y2, int width = 1, QColor colour = Qt::black); // outline
    void fill(const QRect &area, QColor colour = Qt::black);
    void circle(QPoint centre, int radius); // a one-pixel black outline
    void dot(QPoint centre);                 // a round junction dot, 5 pixels across
    // A line ending in an open arrow head at `tip` (strokes `head` pixels back and aside).
    void arrow(QPoint from, QPoint tip, int head = 6, int width = 1, QColor colour = Qt::black);

    // The picture in its stored form: 24-bit colour, or an 8-bit palette of at most `colours`.
    QImage finish(int colours = 0);

private:
    // The painter ready for pen strokes, or for fills, at the sheet's scale.
    QPainter &strokes();
    QPainter &fills();
    // Text with its baseline starting at (x, y).
    void drawText(int x, int y, const QString &text, const QFont &font);

    int m_scale;
    QImage m_image;
    QPainter m_painter;
};

}

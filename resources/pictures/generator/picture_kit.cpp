#include "picture_kit.h"

#include "drawing/scaled_text.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QSet>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kit {

void loadFonts(const QString &fontFolder)
{
    const QStringList files = QDir(fontFolder).entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        throw std::runtime_error("no fonts in " + fontFolder.toStdString());
    for (const QString &file : files)
        if (QFontDatabase::addApplicationFont(QDir(fontFolder).filePath(file)) < 0)
            throw std::runtime_error("cannot load font " + file.toStdString());
}

namespace {
int sheetScale = 1;

QFont face(const QString &family, int points, bool bold, bool italic)
{
    QFont font(family);
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

// A formula cut into runs of one style.
struct Run { QString text; bool italic; bool raised; };

QVector<Run> runs(const QString &formula)
{
    QVector<Run> out;
    bool raised = false;
    for (int i = 0; i < formula.size(); ++i) {
        QChar c = formula[i];
        if (c == u'^') {
            raised = true;
            continue;
        }
        // An exponent runs until the variable or a closing bracket.
        if (raised && (c == u'p' || c == u')' || c == u' '))
            raised = false;
        const bool italic = c == u'p';
        if (out.isEmpty() || out.back().italic != italic || out.back().raised != raised)
            out.append({QString(), italic, raised});
        out.back().text += c;
    }
    return out;
}

QFont runFont(const Run &run, int points)
{
    return serif(run.raised ? points * 2 / 3 : points, true, run.italic);
}
}

void setScale(int scale) { sheetScale = scale; }

QFont sans(int points, bool bold) { return face(QStringLiteral("PLL Sans"), points, bold, false); }
QFont serif(int points, bool bold, bool italic) { return face(QStringLiteral("PLL Serif"), points, bold, italic); }

Sheet::Sheet(int width, int height, QColor background)
    : m_scale(sheetScale)
    , m_image(width * sheetScale, height * sheetScale, QImage::Format_RGB32)
{
    m_image.fill(background);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, false);
}

QPainter &Sheet::strokes()
{
    // Scaled, a one-pixel line runs through the centres of its pixels' blocks.
    m_painter.resetTransform();
    if (m_scale > 1) {
        m_painter.scale(m_scale, m_scale);
        m_painter.translate(0.5, 0.5);
    }
    return m_painter;
}

QPainter &Sheet::fills()
{
    m_painter.resetTransform();
    m_painter.scale(m_scale, m_scale);
    return m_painter;
}

void Sheet::drawText(int x, int y, const QString &text, const QFont &font)
{
    m_painter.resetTransform();
    m_painter.setFont(font);
    if (m_scale == 1)
        m_painter.drawText(x, y, text);
    else
        drawScaledText(m_painter, text, font, m_scale, QPointF(x * m_scale, y * m_scale));
}

int Sheet::text(int x, int y, const QString &text, const QFont &font, QColor colour)
{
    const QFontMetrics metrics(font);
    m_painter.setPen(colour);
    // Unsmoothed at these sizes the face's degree sign fills in to a dot that reads as an
    // apostrophe: it is drawn as a ring as tall as a third of the capitals, at their top.
    const QChar degree(0x00B0);
    const int ring = std::max(3, int(std::lround(metrics.capHeight() / 3.0)));
    int at = x;
    const QStringList parts = text.split(degree);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            m_painter.save();
            m_painter.setBrush(Qt::NoBrush);
            strokes().drawEllipse(QRect(at + 1, y + metrics.ascent() - metrics.capHeight(), ring, ring));
            m_painter.restore();
            at += metrics.horizontalAdvance(degree);
        }
        drawText(at, y + metrics.ascent(), parts[i], font);
        at += metrics.horizontalAdvance(parts[i]);
    }
    return at - x;
}

void Sheet::centredText(int x, int y, const QString &text, const QFont &font, QColor colour)
{
    this->text(x - QFontMetrics(font).horizontalAdvance(text) / 2, y, text, font, colour);
}

namespace {
// Lays out an indexed text, drawing it on `sheet` unless that is null.
int layOutIndexed(Sheet *sheet, int x, int y, const QString &text, const QFont &font, const QFont &indexFont)
{
    const QFontMetrics metrics(font), indexMetrics(indexFont);
    const int baseline = y + metrics.ascent();
    const int drop = metrics.ascent() / 4;
    int at = x;
    for (int i = 0; i < text.size(); ++i) {
        const bool isIndex = text[i] == u'_' && i + 1 < text.size();
        if (isIndex)
            ++i;
        const QString c(text[i]);
        if (isIndex) {
            // A pixel of air either side keeps the index off its letter and off what follows.
            if (sheet)
                sheet->text(at + 1, baseline + drop - indexMetrics.ascent(), c, indexFont);
            at += indexMetrics.horizontalAdvance(c) + 2;
        } else {
            if (sheet)
                sheet->text(at, y, c, font);
            at += metrics.horizontalAdvance(c);
        }
    }
    return at - x;
}
}

int indexedWidth(const QString &text, const QFont &font, const QFont &indexFont)
{
    return layOutIndexed(nullptr, 0, 0, text, font, indexFont);
}

int Sheet::indexedText(int x, int y, const QString &text, const QFont &font, const QFont &indexFont)
{
    return layOutIndexed(this, x, y, text, font, indexFont);
}

void Sheet::centredSign(QPoint centre, const QString &text, const QFont &font)
{
    const QFontMetrics metrics(font);
    const QRect ink = metrics.tightBoundingRect(text);
    this->text(centre.x() - ink.left() - ink.width() / 2, centre.y() - metrics.ascent() - ink.top() - ink.height() / 2,
               text, font);
}

int Sheet::formulaWidth(const QString &formula, int points) const
{
    int width = 0;
    for (const Run &run : runs(formula))
        width += QFontMetrics(runFont(run, points)).horizontalAdvance(run.text);
    return width;
}

int Sheet::formula(int x, int y, const QString &formula, int points, QColor colour)
{
    const int ascent = QFontMetrics(serif(points, true)).ascent();
    int at = x;
    for (const Run &run : runs(formula)) {
        const QFont font = runFont(run, points);
        const QFontMetrics metrics(font);
        m_painter.setPen(colour);
        // Exponents sit with their baseline about half an x-height up.
        const int baseline = y + ascent - (run.raised ? ascent / 2 : 0);
        drawText(at, baseline, run.text, font);
        at += metrics.horizontalAdvance(run.text);
    }
    return at - x;
}

void Sheet::fraction(int x1, int x2, int barY, const QString &numerator, const QString &denominator, int points,
                     QColor colour)
{
    const QFontMetrics metrics(serif(points, true));
    const int centre = (x1 + x2) / 2;
    formula(centre - formulaWidth(numerator, points) / 2, barY - metrics.height() - 1, numerator, points, colour);
    line({x1, barY}, {x2, barY}, points >= 12 ? 2 : 1, colour);
    formula(centre - formulaWidth(denominator, points) / 2, barY + 3, denominator, points, colour);
}

void Sheet::line(QPoint a, QPoint b, int width, QColor colour)
{
    m_painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    strokes().drawLine(a, b);
}

void Sheet::dashed(QPoint a, QPoint b, QColor colour)
{
    QPen pen(colour, 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({4, 3});
    m_painter.setPen(pen);
    strokes().drawLine(a, b);
}

void Sheet::rect(int x1, int y1, int x2, int y2, int width, QColor colour)
{
    m_painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter.setBrush(Qt::NoBrush);
    strokes().drawRect(QRect(QPoint(x1, y1), QPoint(x2, y2)));
}

void Sheet::fill(const QRect &area, QColor colour)
{
    fills().fillRect(area, colour);
}

void Sheet::dot(QPoint centre)
{
    if (m_scale == 1) {
        m_painter.fillRect(centre.x() - 1, centre.y() - 2, 3, 5, Qt::black);
        m_painter.fillRect(centre.x() - 2, centre.y() - 1, 5, 3, Qt::black);
        return;
    }
    // Scaled, the dot is the disc those pixels stand for.
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(Qt::black);
    strokes().drawEllipse(QPointF(centre), 2.5, 2.5);
    m_painter.setBrush(Qt::NoBrush);
}

void Sheet::circle(QPoint centre, int radius)
{
    m_painter.setPen(QPen(Qt::black, 1));
    m_painter.setBrush(Qt::NoBrush);
    strokes().drawEllipse(centre, radius, radius);
}

void Sheet::arrow(QPoint from, QPoint tip, int head, int width, QColor colour)
{
    line(from, tip, width, colour);
    const double dx = tip.x() - from.x(), dy = tip.y() - from.y();
    const double length = std::hypot(dx, dy);
    if (length == 0)
        return;
    const double ux = dx / length, uy = dy / length;
    for (int side : {-1, 1}) {
        const QPoint end(int(std::lround(tip.x() - head * ux + side * head * 0.5 * uy)),
                         int(std::lround(tip.y() - head * uy - side * head * 0.5 * ux)));
        line(tip, end, width, colour);
    }
}

QImage Sheet::finish(int colours)
{
    m_painter.end();
    if (colours == 0)
        return m_image.convertToFormat(QImage::Format_RGB888);
    // The palette is the colours actually used, in order of first appearance, so the file is
    // the same on every run.
    QVector<QRgb> table;
    QSet<QRgb> seen;
    for (int y = 0; y < m_image.height(); ++y)
        for (int x = 0; x < m_image.width(); ++x) {
            const QRgb c = m_image.pixel(x, y);
            if (!seen.contains(c)) {
                seen.insert(c);
                table.append(c);
            }
        }
    if (table.size() > colours)
        throw std::runtime_error(QStringLiteral("%1 colours used, at most %2 allowed").arg(table.size()).arg(colours).toStdString());
    return m_image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
}

}

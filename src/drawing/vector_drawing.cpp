#include "drawing/vector_drawing.h"

#include "drawing/fonts.h"
#include "drawing/raster.h"
#include "drawing/scaled_text.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <QPen>
#include <cmath>

namespace VectorDrawing {
namespace {
// Fills `area` of `raster` in `colour`, with a pixel to spare all round.
void patch(Raster &raster, const QRect &area, QRgb colour)
{
    DrawOp op{OpKind::Rectangle};
    op.pen = op.brush = colour;
    op.at = {area.left() - 1, area.top() - 1, area.right() + 2, area.bottom() + 2};
    raster.paint(op);
}

// Outlines run through the centres of their pixels.
constexpr QPointF Centre(0.5, 0.5);

// The pen the pixel rules stroke `op` with at a scale above 1, in `colour`; a dotted pen's dashes
// `dash` times their length (a slanted thin line counts its dots in pixel steps).
QPen penFor(const DrawOp &op, QRgb colour, PenStyle style, qreal dash = 1)
{
    const bool wide = op.penWidth > 1;
    QPen pen(QColor(colour), op.penWidth, Qt::SolidLine, wide ? Qt::RoundCap : Qt::FlatCap, wide ? Qt::RoundJoin : Qt::MiterJoin);
    if (style == PenStyle::Dot)
        pen.setDashPattern({3 * dash, 3 * dash});
    return pen;
}

// Sets the pen and brush only when they change: a device that writes each change out (SVG
// opens a group for it) then groups the operations drawn alike.
void use(QPainter &p, const QPen &pen, const QBrush &brush)
{
    if (p.pen() != pen)
        p.setPen(pen);
    if (p.brush() != brush)
        p.setBrush(brush);
}

// Strokes and fills what `shape` draws as the pixel rules do: an opaque background first fills
// a dotted pen's gaps.
template <typename Shape>
void stroke(QPainter &p, const DrawOp &op, Shape shape, qreal dash = 1)
{
    if (op.style == PenStyle::Dot && op.opaque) {
        use(p, penFor(op, op.background, PenStyle::Solid), Qt::NoBrush);
        shape();
    }
    use(p, penFor(op, op.pen, op.style, dash), op.isFilled() ? QBrush(QColor(op.brush)) : QBrush(Qt::NoBrush));
    shape();
}

// The outline of the box x1..x2-1, y1..y2-1, through its edge pixels' centres.
QRectF box(const DrawOp &op)
{
    return QRectF(op.at[0], op.at[1], op.at[2] - op.at[0] - 1, op.at[3] - op.at[1] - 1).translated(Centre);
}

void pie(QPainter &p, const DrawOp &op)
{
    const auto &a = op.at;
    const double cx = (a[0] + a[2]) / 2.0, cy = (a[1] + a[3]) / 2.0;
    const double rx = (a[2] - a[0]) / 2.0, ry = (a[3] - a[1]) / 2.0;
    // Angles as the pixel rules measure them: parametric, each radial scaled onto the unit circle.
    const auto angle = [&](int x, int y) { return std::atan2(-(y - cy) / ry, (x - cx) / rx) * 180.0 / M_PI; };
    const double start = angle(a[4], a[5]);
    double span = std::fmod(angle(a[6], a[7]) - start, 360.0);
    if (span <= 0)
        span += 360.0;
    p.drawPie(box(op), int(std::lround(start * 16)), int(std::lround(span * 16)));
}

void polygon(QPainter &p, const DrawOp &op)
{
    QPolygonF points;
    points.reserve(op.polygon.size());
    for (const QPoint &point : op.polygon)
        points << QPointF(point) + Centre;
    p.drawPolygon(points);
}

void line(QPainter &p, const DrawOp &op)
{
    const QPointF from = QPointF(op.at[0], op.at[1]) + Centre, to = QPointF(op.at[2], op.at[3]) + Centre;
    if (op.penWidth > 1) {
        stroke(p, op, [&] { p.drawLine(from, to); });
        return;
    }
    if (from == to)
        return;
    // A thin line covers its pixels from the first, whole, to the end one, left out: from the
    // first pixel's near edge to the end pixel's, one pixel step back. Its dots are counted in
    // those steps.
    const QPointF d = to - from;
    const QPointF step = d / std::max(std::abs(d.x()), std::abs(d.y()));
    const QPointF begin = from - step / 2, end = to - step / 2;
    stroke(p, op, [&] { p.drawLine(begin, end); }, std::hypot(step.x(), step.y()));
}

// The start and length of each run of characters between spaces.
QList<QPair<qsizetype, qsizetype>> wordsOf(const QString &s)
{
    QList<QPair<qsizetype, qsizetype>> words;
    for (qsizetype i = 0; i < s.size();) {
        if (s[i] == QLatin1Char(' ')) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < s.size() && s[end] != QLatin1Char(' '))
            ++end;
        words.append({i, end - i});
        i = end;
    }
    return words;
}

// Draws `s` with its start on `baseline`, `narrowed` times its face's widths.
void drawString(QPainter &p, QPointF baseline, const QString &s, qreal narrowed)
{
    if (narrowed == 1) {
        p.drawText(baseline, s);
        return;
    }
    const QTransform before = p.transform();
    p.translate(baseline);
    p.scale(narrowed, 1);
    p.drawText(QPointF(), s);
    p.setTransform(before);
}

// The glyphs' outlines, filled as one shape.
void fillOutlines(QPainter &p, QPointF baseline, const QGlyphRun &run, const QColor &colour)
{
    const QRawFont face = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> places = run.positions();
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    for (qsizetype g = 0; g < glyphs.size(); ++g)
        outline.addPath(face.pathForGlyph(glyphs[g]).translated(baseline + places[g]));
    p.fillPath(outline, colour);
}

void text(QPainter &p, const DrawOp &op, TextAs as)
{
    const QFont font = Fonts::pageFont(op.symbol ? QStringLiteral("Symbol") : QStringLiteral("MS Sans Serif"), op.points);
    const LaidOutText laid = Fonts::layOut(font, op.text, Raster::room(op), op.shifts);
    const QFontMetrics metrics(font);
    const QPointF at(op.at[0], op.at[1]);
    if (op.opaque)
        p.fillRect(QRectF(at, QSizeF(laid.advance + Fonts::GlyphInset, metrics.height())), QColor(op.background));
    const QPointF baseline = at + QPointF(Fonts::GlyphInset, metrics.ascent());
    if (as == TextAs::OutlinesAndWords) {
        fillOutlines(p, baseline, scaledGlyphs(laid, font, 1), QColor(op.pen));
        // Written in no colour: found, not seen.
        use(p, QPen(QColor(0, 0, 0, 0)), Qt::NoBrush);
    } else {
        use(p, QPen(QColor(op.pen)), Qt::NoBrush);
    }
    if (as == TextAs::Glyphs) {
        p.drawGlyphRun(baseline, scaledGlyphs(laid, font, 1));
        return;
    }
    // The face's own widths, narrowed as the page font narrows them; each word where the layout
    // put it, so the spaces keep their widths.
    QFont plain = font;
    plain.setStretch(QFont::Unstretched);
    plain.setWordSpacing(0);
    if (p.font() != plain)
        p.setFont(plain);
    const qreal narrowed = font.stretch() > 0 ? font.stretch() / 100.0 : 1.0;
    const QString &s = op.text;
    const QList<QPair<qsizetype, qsizetype>> words = wordsOf(s);
    // A word starts where the glyph after a run of space glyphs starts: a ligature joins letters,
    // never a space, so the n-th word's glyphs start after the n-th run of spaces.
    const QList<quint32> spaces = laid.face.glyphIndexesForString(QStringLiteral(" "));
    const auto isSpace = [&](qsizetype g) { return !spaces.isEmpty() && laid.glyphs[g] == spaces.front(); };
    QList<qreal> starts;
    for (qsizetype g = 0; g < laid.glyphs.size(); ++g)
        if (!isSpace(g) && (g == 0 || isSpace(g - 1)))
            starts.append(laid.positions[g].x());
    if (starts.size() != words.size()) {
        // Not set as expected: the text in one piece.
        drawString(p, baseline, s, narrowed);
        return;
    }
    for (qsizetype w = 0; w < words.size(); ++w)
        drawString(p, baseline + QPointF(starts[w], 0), s.mid(words[w].first, words[w].second), narrowed);
}

void drawOp(QPainter &p, const DrawOp &op, TextAs as)
{
    switch (op.kind) {
    case OpKind::Rectangle:
        stroke(p, op, [&] { p.drawRect(box(op)); });
        break;
    case OpKind::Ellipse:
        stroke(p, op, [&] { p.drawEllipse(box(op)); });
        break;
    case OpKind::Pie:
        stroke(p, op, [&] { pie(p, op); });
        break;
    case OpKind::Polygon:
        stroke(p, op, [&] { polygon(p, op); });
        break;
    case OpKind::Line:
        line(p, op);
        break;
    case OpKind::Text:
        text(p, op, as);
        break;
    case OpKind::Picture:
        p.drawImage(QRectF(QPointF(op.at[0], op.at[1]), QSizeF(op.picture.size())), op.picture.drawableAt(PictureScale));
        break;
    }
}
}

std::vector<const DrawOp *> shown(std::span<const DrawOp> drawing)
{
    // Each operation is drawn alone on two patches of different colours: a pixel it paints differs
    // from one patch at least. Operations paint their own colours whatever lies beneath, so the
    // last one to change a pixel is the one the picture shows there.
    constexpr QRgb PatchA = 0xFF000000u, PatchB = 0xFFFFFFFFu;
    Raster a(1), b(1);
    std::vector<QRgb> picture(std::size_t(Raster::Width) * Raster::Height, 0xFFFFFFFFu); // the blank area
    std::vector<int> owner(picture.size(), -1);
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const DrawOp &op = drawing[i];
        const QRect area = a.bounds(op);
        if (area.isEmpty())
            continue;
        patch(a, area, PatchA);
        patch(b, area, PatchB);
        a.paint(op);
        b.paint(op);
        const QImage &onA = a.image(), &onB = b.image();
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const QRgb *rowA = reinterpret_cast<const QRgb *>(onA.constScanLine(y));
            const QRgb *rowB = reinterpret_cast<const QRgb *>(onB.constScanLine(y));
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb ca = rowA[x] | 0xFF000000u, cb = rowB[x] | 0xFF000000u;
                const bool paintsA = ca != PatchA, paintsB = cb != PatchB;
                if (!paintsA && !paintsB)
                    continue;
                // Blended with what lies beneath: counted as a change.
                const bool blended = paintsA && paintsB && ca != cb;
                const QRgb colour = paintsA ? ca : cb;
                const std::size_t at = std::size_t(y) * Raster::Width + std::size_t(x);
                if (blended || picture[at] != colour) {
                    picture[at] = colour;
                    owner[at] = int(i);
                }
            }
        }
    }
    std::vector<char> shows(drawing.size(), 0);
    for (int i : owner)
        if (i >= 0)
            shows[std::size_t(i)] = 1;
    std::vector<const DrawOp *> kept;
    for (std::size_t i = 0; i < drawing.size(); ++i)
        if (shows[i])
            kept.push_back(&drawing[i]);
    return kept;
}

void draw(QPainter &painter, std::span<const DrawOp> drawing, TextAs text)
{
    Fonts::registerEmbedded();
    // The blank area a new canvas shows, under whatever covers it.
    painter.fillRect(QRectF(0, 0, Raster::Width, Raster::Height), Qt::white);
    for (const DrawOp *op : shown(drawing))
        drawOp(painter, *op, text);
}

}

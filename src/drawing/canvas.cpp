#include "drawing/canvas.h"

#include "drawing/fonts.h"
#include "drawing/frame_diff.h"
#include "drawing/picture.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstring>

namespace {
// A frame's changed area is gathered into at most so many rectangles.
constexpr std::size_t MaxPieces = 32;

// Whether the two rectangles share a pixel, or touch when `gap` is 1. (Inline: called for every
// operation and piece of a frame.)
inline bool overlaps(const QRect &a, const QRect &b, int gap = 0)
{
    return a.left() - gap <= b.right() && b.left() <= a.right() + gap && a.top() - gap <= b.bottom()
        && b.top() <= a.bottom() + gap;
}

inline QRect united(const QRect &a, const QRect &b)
{
    return QRect(QPoint(std::min(a.left(), b.left()), std::min(a.top(), b.top())),
                 QPoint(std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())));
}

inline qint64 area(const QRect &a) { return qint64(a.width()) * a.height(); }

// Adds `r` to the pieces: into one it touches when that wastes little, or as a new one, or when
// there are enough, into the one it enlarges least.
void addPiece(std::vector<QRect> &pieces, const QRect &r)
{
    if (r.isEmpty())
        return;
    const auto growth = [&](const QRect &p) { return area(united(p, r)) - area(p); };
    auto best = pieces.end();
    qint64 bestGrowth = 0;
    for (auto p = pieces.begin(); p != pieces.end(); ++p) {
        const qint64 g = growth(*p);
        if (g <= area(r) && overlaps(*p, r, 1)) {
            *p = united(*p, r);
            return;
        }
        if (best == pieces.end() || g < bestGrowth)
            best = p, bestGrowth = g;
    }
    if (pieces.size() < MaxPieces)
        pieces.push_back(r);
    else
        *best = united(*best, r);
}
// Hidden operations are dropped once they outnumber the others and this many.
constexpr std::size_t CompactAfter = 1024;
// Operations wholly covered by later ones are looked for once the drawing has grown to this many,
// then each time it has doubled since.
constexpr std::size_t SweepFrom = 1500;

// The pixels of an operation that paints a whole rectangle at every scale (a one-pixel solid
// straight line, a rectangle with a one-pixel solid outline), within the area; null otherwise.
QRect solidBlock(const DrawOp &op)
{
    if (op.penWidth != 1 || op.style != PenStyle::Solid)
        return {};
    const QPoint from(op.at[0], op.at[1]), to(op.at[2], op.at[3]);
    QRect r;
    if (op.kind == OpKind::Line && from != to && (from.x() == to.x() || from.y() == to.y())) {
        const QPoint last = to - QPoint((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
        r = QRect(QPoint(std::min(from.x(), last.x()), std::min(from.y(), last.y())),
                  QPoint(std::max(from.x(), last.x()), std::max(from.y(), last.y())));
    } else if (op.kind == OpKind::Rectangle && to.x() - from.x() >= 2 && to.y() - from.y() >= 2) {
        r = QRect(from, to - QPoint(1, 1));
    }
    return r & QRect(0, 0, Canvas::Width, Canvas::Height);
}

// Which pixels of the area later operations cover, one byte a pixel.
class Coverage
{
public:
    Coverage() : m_covered(std::size_t(Canvas::Width) * Canvas::Height, 0) {}
    bool covers(const QRect &r) const
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            if (std::memchr(row(y) + r.left(), 0, std::size_t(r.width())))
                return false;
        return true;
    }
    void add(const QRect &r)
    {
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memset(row(y) + r.left(), 1, std::size_t(r.width()));
    }

private:
    unsigned char *row(int y) { return m_covered.data() + std::size_t(y) * Canvas::Width; }
    const unsigned char *row(int y) const { return m_covered.data() + std::size_t(y) * Canvas::Width; }
    std::vector<unsigned char> m_covered;
};

// Filling the whole area hides everything drawn before: the picture starts again from it.
bool coversWholeArea(const DrawOp &op)
{
    return op.kind == OpKind::Rectangle && op.style == PenStyle::Solid && op.at[0] <= 0 && op.at[1] <= 0
        && op.at[2] >= Canvas::Width && op.at[3] >= Canvas::Height;
}

// The blank area a new canvas shows: white, as a clearing in white paints it.
DrawOp blankArea()
{
    DrawOp op{OpKind::Rectangle};
    op.pen = op.brush = qRgb(255, 255, 255);
    op.at = {0, 0, Canvas::Width, Canvas::Height};
    op.seal();
    return op;
}
}

Canvas::Canvas()
    : m_raster(std::make_unique<Raster>(1))
{
    remember({blankArea()});
}

void Canvas::setPenColor(TColor colour) { m_pen.Color = colour; }
void Canvas::setPenWidth(int width) { m_pen.Width = width; }
void Canvas::setPenStyle(PenStyle style) { m_pen.Style = style; }

void Canvas::setBrushColor(TColor colour)
{
    if (colour == m_brush.Color)
        return;
    m_brush.Color = colour;
    m_brushInEffect = false;
}

void Canvas::setPenAndBrush(TColor colour)
{
    setPenColor(colour);
    setBrushColor(colour);
}

void Canvas::setFontName(const QString &name)
{
    if (name != m_font.Name) {
        m_font.Name = name;
        m_fontChanged = true;
    }
}

void Canvas::setFontSize(int points)
{
    if (points != m_font.Size) {
        m_font.Size = points;
        m_fontChanged = true;
    }
}

void Canvas::setFontColor(TColor colour) { m_font.Color = colour; }

void Canvas::useBrush()
{
    if (!m_brushInEffect) {
        m_brushInEffect = true;
        m_bkOpaque = true;
        m_bkColour = toRgb(m_brush.Color);
    }
}

void Canvas::applyFont()
{
    if (!m_fontChanged)
        return;
    // The face depends only on whether the name is the symbol font's.
    m_symbol = Fonts::isSymbol(m_font.Name);
    const int key = m_font.Size * 2 + (m_symbol ? 1 : 0);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        Fonts::registerEmbedded();
        const QFont font = Fonts::pageFont(m_font.Name, m_font.Size);
        found = m_fonts.emplace(key, PageFont{font, QFontMetrics(font).height(), {}}).first;
    }
    m_pageFont = &found->second;
    m_fontChanged = false;
}

void Canvas::SetBkMode(BkMode mode)
{
    // Taking the canvas handle brings pen, brush and font into effect first.
    useBrush();
    m_bkOpaque = mode == BkMode::Opaque;
}

DrawOp &Canvas::record(OpKind kind, bool filled)
{
    if (filled)
        useBrush();
    DrawOp &op = m_frame.emplace_back(DrawOp{kind});
    op.style = m_pen.Style;
    op.penWidth = m_pen.Width;
    op.pen = toRgb(m_pen.Color);
    op.brush = toRgb(m_brush.Color);
    op.opaque = m_bkOpaque;
    op.background = m_bkColour;
    return op;
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2)
{
    DrawOp &op = record(OpKind::Rectangle, true);
    op.at = {x1, y1, x2, y2};
    op.seal();
    // What it fills is gone: a text there no longer has a line.
    if (coversWholeArea(op))
        m_lines.clear();
    else
        m_lines.cover(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2)
{
    DrawOp &op = record(OpKind::Ellipse, true);
    op.at = {x1, y1, x2, y2};
    op.seal();
}

void Canvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    DrawOp &op = record(OpKind::Pie, true);
    op.at = {x1, y1, x2, y2, x3, y3, x4, y4};
    op.seal();
}

void Canvas::Polygon(std::span<const QPoint> points)
{
    DrawOp &op = record(OpKind::Polygon, true);
    op.polygon.assign(points.begin(), points.end());
    op.seal();
}

void Canvas::MoveTo(int x, int y)
{
    m_penPos = QPoint(x, y);
}

void Canvas::LineTo(int x, int y)
{
    DrawOp &op = record(OpKind::Line, false);
    op.at = {m_penPos.x(), m_penPos.y(), x, y};
    op.seal();
    m_penPos = QPoint(x, y);
}

void Canvas::TextOut(int x, int y, const QString &text)
{
    applyFont();
    useBrush();
    DrawOp &op = record(OpKind::Text, false);
    op.pen = toRgb(m_font.Color);
    op.points = m_font.Size;
    op.symbol = m_symbol;
    op.text = m_symbol ? Fonts::symbolText(text) : text;
    op.at = {x, y};
    op.seal();
    const std::size_t index = m_frame.size() - 1;
    const int advance = advanceOf(op.text, Raster::room(op));
    if (m_textListener)
        m_told.push_back({index, m_textListener, m_pageFont, advance,
                          {QRect(x, y, 0, m_pageFont->height), m_font.Name, m_font.Size, m_font.Color, text, op.text, m_bkOpaque}});
    if (LineSetting::takesPart(m_symbol, op.text, text)) {
        m_lines.write({QPoint(x, y), m_symbol, m_font.Size, op.text, op.pen}, m_symbol,
                      QSize(advance + Fonts::GlyphInset, m_pageFont->height), std::ptrdiff_t(index), m_moved);
        for (const auto &[moved, placement] : m_moved)
            place(moved, placement);
    }
}

void Canvas::place(std::ptrdiff_t index, const LineSetting::Placement &placement)
{
    DrawOp &op = m_frame[std::size_t(index)];
    if (op.at[0] != placement.x || op.shifts != placement.shifts) {
        op.at[0] = placement.x;
        op.shifts = placement.shifts;
        op.seal();
    }
    for (auto told = m_told.rbegin(); told != m_told.rend(); ++told) {
        if (told->op == std::size_t(index)) {
            told->text.spacedBefore = placement.spacedBefore;
            told->text.spacedAfter = placement.spacedAfter;
            break;
        }
    }
}

void Canvas::tellTexts()
{
    for (Told &told : m_told) {
        const DrawOp &op = m_frame[told.op];
        DrawnText &text = told.text;
        int advance = told.advance;
        if (op.at[0] != text.cell.x() || !op.shifts.empty())
            advance = Fonts::layOut(told.font->font, op.text, Raster::room(op), op.shifts).advance;
        text.cell = QRect(op.at[0], op.at[1], advance + Fonts::GlyphInset, text.cell.height());
        text.shifts = op.shifts;
        told.listener->textDrawn(text);
    }
    m_told.clear();
}

int Canvas::advanceOf(const QString &text, int room)
{
    const int natural = naturalAdvanceOf(text);
    return natural <= room ? natural : Fonts::layOut(m_pageFont->font, text, room).advance;
}

int Canvas::naturalAdvanceOf(const QString &text)
{
    // Bounded: a long run of changing numbers starts the table afresh.
    constexpr qsizetype MostKept = 4096;
    QHash<QString, int> &advances = m_pageFont->advances;
    auto found = advances.constFind(text);
    if (found != advances.constEnd())
        return *found;
    if (advances.size() >= MostKept)
        advances.clear();
    return *advances.insert(text, QFontMetrics(m_pageFont->font).horizontalAdvance(text));
}

void Canvas::Draw(int x, int y, const Picture &picture)
{
    DrawOp &op = record(OpKind::Picture, false);
    op.picture = picture;
    op.at = {x, y};
    op.seal();
}

void Canvas::endFrame()
{
    if (m_frame.empty())
        return;
    tellTexts();
    m_lines.frameDrawn();
    // The same operations again: every pixel is already what they paint.
    if (m_frame == m_previous) {
        m_frame.clear();
        return;
    }
    m_frameBounds.clear();
    for (const DrawOp &op : m_frame)
        m_frameBounds.push_back(m_raster->bounds(op));
    m_match.match(m_previous, m_frame, m_keptBefore, m_keptAfter);
    m_pieces.clear();
    for (std::size_t i = 0; i < m_previous.size(); ++i)
        if (!m_keptBefore[i])
            addPiece(m_pieces, m_previousBounds[i]);
    for (std::size_t i = 0; i < m_frame.size(); ++i)
        if (!m_keptAfter[i])
            addPiece(m_pieces, m_frameBounds[i]);
    QRect all = m_pieces.empty() ? QRect() : m_pieces.front();
    for (const QRect &piece : m_pieces)
        all = united(all, piece);
    // Every operation in order, on each piece of the changed area it reaches: where pieces
    // overlap an operation paints the same pixels twice, which leaves them as once.
    std::vector<QRect> &reached = m_reached;
    for (std::size_t i = 0; i < m_frame.size(); ++i) {
        if (m_pieces.empty() || !overlaps(m_frameBounds[i], all))
            continue;
        reached.clear();
        for (const QRect &piece : m_pieces)
            if (overlaps(m_frameBounds[i], piece))
                reached.push_back(piece);
        m_raster->paint(m_frame[i], reached);
    }
    for (const QRect &piece : m_pieces)
        m_changed += piece;
    remember(m_frame);
    std::swap(m_previous, m_frame);
    std::swap(m_previousBounds, m_frameBounds);
    m_frame.clear();
}

void Canvas::remember(const std::vector<DrawOp> &frame)
{
    for (const DrawOp &op : frame) {
        if (coversWholeArea(op)) {
            m_drawing.clear();
            m_isHidden.clear();
            m_latestCovering.clear();
            m_hidden = 0;
            m_sweepAt = SweepFrom;
        }
        const auto earlier = m_latestCovering.constFind(op.coverageHash);
        if (earlier != m_latestCovering.constEnd() && !m_isHidden[*earlier] && m_drawing[*earlier].sameCoverage(op)) {
            m_isHidden[*earlier] = 1;
            ++m_hidden;
        }
        m_latestCovering.insert(op.coverageHash, m_drawing.size());
        m_drawing.push_back(op);
        m_isHidden.push_back(0);
    }
    if (m_drawing.size() - m_hidden > m_sweepAt)
        sweep();
    else if (m_hidden > CompactAfter + m_drawing.size() - m_hidden)
        compact();
}

void Canvas::sweep()
{
    // From the last operation back: one that paints a block already covered by later blocks is
    // hidden at every scale.
    Coverage later;
    for (std::size_t i = m_drawing.size(); i-- > 0;) {
        if (m_isHidden[i])
            continue;
        const QRect block = solidBlock(m_drawing[i]);
        if (block.isNull())
            continue;
        if (later.covers(block)) {
            m_isHidden[i] = 1;
            ++m_hidden;
        } else {
            later.add(block);
        }
    }
    compact();
    m_sweepAt = std::max(SweepFrom, 2 * m_drawing.size());
}

void Canvas::compact()
{
    std::vector<DrawOp> shown;
    shown.reserve(m_drawing.size() - m_hidden);
    for (std::size_t i = 0; i < m_drawing.size(); ++i)
        if (!m_isHidden[i])
            shown.push_back(std::move(m_drawing[i]));
    m_drawing = std::move(shown);
    m_isHidden.assign(m_drawing.size(), 0);
    m_hidden = 0;
    m_latestCovering.clear();
    for (std::size_t i = 0; i < m_drawing.size(); ++i)
        m_latestCovering.insert(m_drawing[i].coverageHash, i);
}

void Canvas::redraw()
{
    for (std::size_t i = 0; i < m_drawing.size(); ++i)
        if (!m_isHidden[i])
            m_raster->paint(m_drawing[i]);
    m_previous.clear();
    m_previousBounds.clear();
    m_changed = m_raster->rect();
}

Canvas::Snapshot Canvas::snapshot()
{
    // Draws the frame without counting the picture as read: it is still to be shown.
    endFrame();
    if (m_hidden)
        compact();
    return {std::make_shared<const std::vector<DrawOp>>(m_drawing), m_pen, m_brush, m_font, m_penPos,
            m_brushInEffect, m_bkOpaque, m_bkColour, m_lines.state()};
}

void Canvas::restore(const Snapshot &s)
{
    m_frame.clear();
    m_told.clear();
    m_lines.setState(s.lines);
    m_drawing = *s.drawing;
    m_isHidden.assign(m_drawing.size(), 0);
    m_hidden = 0;
    compact();
    m_sweepAt = std::max(SweepFrom, 2 * m_drawing.size());
    m_pen = s.pen;
    m_brush = s.brush;
    m_font = s.font;
    m_penPos = s.penPos;
    m_brushInEffect = s.brushInEffect;
    m_bkOpaque = s.bkOpaque;
    m_bkColour = s.bkColour;
    m_fontChanged = true;
    redraw();
}

void Canvas::setScale(int scale)
{
    scale = std::clamp(scale, 1, MaxScale);
    if (scale == m_raster->scale())
        return;
    endFrame();
    m_raster = std::make_unique<Raster>(scale);
    redraw();
}

const QImage &Canvas::image()
{
    endFrame();
    m_changed = QRegion();
    return m_raster->image();
}

QRegion Canvas::takeChanges()
{
    endFrame();
    return std::exchange(m_changed, QRegion());
}

QImage Canvas::render(int scale)
{
    endFrame();
    if (scale == m_raster->scale())
        return m_raster->image();
    Raster raster(std::clamp(scale, 1, MaxScale));
    for (std::size_t i = 0; i < m_drawing.size(); ++i)
        if (!m_isHidden[i])
            raster.paint(m_drawing[i]);
    return raster.image();
}

QImage Canvas::render(const Snapshot &snapshot, int scale)
{
    Raster raster(std::clamp(scale, 1, MaxScale));
    for (const DrawOp &op : *snapshot.drawing)
        raster.paint(op);
    return raster.image();
}

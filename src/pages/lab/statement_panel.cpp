#include "pages/lab/statement_panel.h"

#include "drawing/canvas.h"
#include "drawing/fonts.h"
#include "drawing/page_text.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <map>
#include <tuple>

namespace {
using namespace Colour;
// The text at 9 points, in the page face: the 8-point face has no φ nor τ, the course's symbols.
constexpr int TitleSize = 10, TextSize = 9;
constexpr int Margin = 6, TitleHeight = 16, TitleLines = 2, TitleGap = 3, LineHeight = 14;

// The text in lines no wider than `width` at the page's face and `size`, paragraph by
// paragraph, a word longer than a line on a line of its own. Worked out once per text.
const QStringList &linesOf(const QString &text, int width, int size)
{
    thread_local std::map<std::tuple<QString, int, int>, QStringList> known;
    auto found = known.find({text, width, size});
    if (found != known.end())
        return found->second;
    Fonts::registerEmbedded();
    const QFontMetrics metrics(Fonts::pageFont(FontFace::Sans, size));
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(longer) <= width || line.isEmpty()) {
                line = longer;
                continue;
            }
            lines << line;
            line = word;
        }
        lines << line;
    }
    return known.emplace(std::tuple{text, width, size}, lines).first->second;
}

// Writes `lines` from `y` down, no lower than `bottom`; what the room cannot hold is said to go
// on, not cut off unseen. Returns where the next line would go.
int writeLines(Canvas &canvas, const QStringList &lines, int left, int y, int bottom, int size, TColor colour, int height)
{
    const int room = (bottom - y) / height;
    for (int i = 0; i < lines.size() && i < room; ++i) {
        const bool more = i == room - 1 && lines.size() > room;
        drawText(canvas, {left, y, FontFace::Sans, size, colour, more ? lines[i] + QStringLiteral(" […]") : lines[i]});
        y += height;
    }
    return y;
}
}

QFont statementTitleFont() { return Fonts::pageFont(FontFace::Sans, TitleSize); }
QFont statementTextFont() { return Fonts::pageFont(FontFace::Sans, TextSize); }

void drawPanel(Canvas &canvas, const QRect &r)
{
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::Solid);
    canvas.setPenColor(Black);
    canvas.setBrushColor(White);
    canvas.Rectangle(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    canvas.SetBkMode(BkMode::Transparent);
}

void drawStatement(Canvas &canvas, const QRect &area, const std::string &title, const std::string &text)
{
    drawPanel(canvas, area);
    const int left = area.left() + Margin, width = area.width() - 2 * Margin, bottom = area.bottom() - Margin;
    int y = area.top() + Margin;
    if (!title.empty()) {
        // At most two lines of title, the text below.
        const QStringList &lines = linesOf(QString::fromStdString(title), width, TitleSize);
        y = writeLines(canvas, lines, left, y, std::min(bottom, y + TitleLines * TitleHeight), TitleSize, Navy, TitleHeight);
        y += TitleGap;
    }
    writeLines(canvas, linesOf(QString::fromStdString(text), width, TextSize), left, y, bottom, TextSize, Black, LineHeight);
}

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
constexpr int Margin = 6, TitleHeight = 16, TitleGap = 3, LineHeight = 14;
// A paged text's last row: which page shows, and the page turner beside it.
constexpr int TurnerWidth = 102, TurnerHeight = 20, FooterGap = 2;

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

void writeLines(Canvas &canvas, const QStringList &lines, qsizetype from, qsizetype count, int left, int y, int size,
                TColor colour, int height)
{
    for (qsizetype i = from; i < lines.size() && i < from + count; ++i) {
        drawText(canvas, {left, y, FontFace::Sans, size, colour, lines[i]});
        y += height;
    }
}

// Where the title's and the text's lines go in the panel, and how the text is paged.
struct Layout
{
    QStringList titleLines, textLines;
    int left, top, textTop, bottom;
    int linesPerPage, pages;
};

Layout layoutOf(const QRect &area, const std::string &title, const std::string &text)
{
    Layout l;
    const int width = area.width() - 2 * Margin;
    l.left = area.left() + Margin;
    l.top = area.top() + Margin;
    l.bottom = area.bottom() - Margin;
    if (!title.empty())
        l.titleLines = linesOf(QString::fromStdString(title), width, TitleSize);
    l.textTop = l.top + (l.titleLines.isEmpty() ? 0 : int(l.titleLines.size()) * TitleHeight + TitleGap);
    l.textLines = linesOf(QString::fromStdString(text), width, TextSize);
    const int room = std::max(1, (l.bottom - l.textTop) / LineHeight);
    // Paged, a row under the text says which page it is, beside the page turner.
    const bool paged = l.textLines.size() > room;
    l.linesPerPage = paged ? std::max(1, (l.bottom - TurnerHeight - FooterGap - l.textTop) / LineHeight) : room;
    l.pages = paged ? int((l.textLines.size() + l.linesPerPage - 1) / l.linesPerPage) : 1;
    return l;
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

QRect statementPageTurner(const QRect &area)
{
    return QRect(area.right() - Margin - TurnerWidth + 1, area.bottom() - Margin - TurnerHeight + 1, TurnerWidth, TurnerHeight);
}

int statementPages(const QRect &area, const std::string &title, const std::string &text)
{
    return layoutOf(area, title, text).pages;
}

void drawStatement(Canvas &canvas, const QRect &area, const std::string &title, const std::string &text, int page)
{
    drawPanel(canvas, area);
    const Layout l = layoutOf(area, title, text);
    page = std::clamp(page, 0, l.pages - 1);
    writeLines(canvas, l.titleLines, 0, l.titleLines.size(), l.left, l.top, TitleSize, Navy, TitleHeight);
    writeLines(canvas, l.textLines, qsizetype(page) * l.linesPerPage, l.linesPerPage, l.left, l.textTop, TextSize, Black,
               LineHeight);
    if (l.pages > 1) {
        const QString next = page + 1 < l.pages ? QStringLiteral("pour la suite") : QStringLiteral("revient au début");
        drawText(canvas, {l.left, l.bottom - TurnerHeight + (TurnerHeight - LineHeight) / 2, FontFace::Sans, TextSize, Navy,
                          QStringLiteral("Page %1 sur %2 : « Page suivante » %3").arg(page + 1).arg(l.pages).arg(next)});
    }
}

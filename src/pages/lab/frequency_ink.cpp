#include "pages/lab/frequency_ink.h"

#include "drawing/fonts.h"
#include "drawing/page_text.h"

#include <QFontMetrics>
#include <QHash>
#include <algorithm>
#include <map>

namespace FrequencyView {
namespace {
// A text keeps a space's width clear on either side; one placed freely, a pixel all round too.
constexpr int Spacing = 3, Clearance = 1;
// Between two labels of a row, at the least.
constexpr int RowSpacing = 5;

struct TextFace
{
    QFont font;
    int height;
};
const TextFace &faceOf(bool symbol, int size)
{
    thread_local std::map<std::pair<bool, int>, TextFace> faces;
    auto found = faces.find({symbol, size});
    if (found == faces.end()) {
        Fonts::registerEmbedded();
        const QFont font = Fonts::pageFont(symbol ? FontFace::Symbol : FontFace::Sans, size);
        found = faces.emplace(std::pair{symbol, size}, TextFace{font, QFontMetrics(font).height()}).first;
    }
    return found->second;
}

QRect cell(const Label &l) { return {l.x, l.y, textWidth(l.text, l.symbol, l.size), textHeight(l.size)}; }
}

int textWidth(const QString &text, bool symbol, int size)
{
    thread_local QHash<QString, int> widths[2][2];
    QHash<QString, int> &known = widths[symbol][size == TextSize];
    auto found = known.constFind(text);
    if (found == known.constEnd())
        found = known.insert(text, Fonts::layOut(faceOf(symbol, size).font, symbol ? Fonts::symbolText(text) : text).advance);
    return *found;
}

int textHeight(int size) { return faceOf(false, size).height; }

Ink::Ink(const QRect &area) : area(area), covered(std::size_t(area.width() * area.height())) {}

void Ink::mark(const QRect &r)
{
    const QRect c = r & area;
    for (int y = c.top(); y <= c.bottom(); ++y)
        std::fill_n(covered.begin() + std::ptrdiff_t(index(c.left(), y)), c.width(), 1);
}

bool Ink::clear(const QRect &r) const
{
    if (!area.contains(r))
        return false;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto row = covered.begin() + std::ptrdiff_t(index(r.left(), y));
        if (std::find(row, row + r.width(), 1) != row + r.width())
            return false;
    }
    return true;
}

void Ink::line(QPoint a, QPoint b, int width)
{
    const int n = std::max({std::abs(b.x() - a.x()), std::abs(b.y() - a.y()), 1});
    const int reach = width / 2 + 1;
    for (int i = 0; i <= n; ++i) {
        const int x = a.x() + (b.x() - a.x()) * i / n, y = a.y() + (b.y() - a.y()) * i / n;
        mark(QRect(x - reach, y - reach, 2 * reach + 1, 2 * reach + 1));
    }
}

void Plan::stroke(TColor colour, int width, PenStyle style, std::vector<QPoint> points)
{
    for (std::size_t i = 1; style == PenStyle::Solid && i < points.size(); ++i)
        ink.line(points[i - 1], points[i], width);
    strokes.push_back({colour, width, style, std::move(points)});
}

void Plan::write(const Label &l)
{
    ink.mark(cell(l).adjusted(-Spacing, 0, Spacing, 0));
    labels.push_back(l);
}

bool Plan::writeWhereClear(Label l, QPoint at, std::span<const Place> places)
{
    l.opaque = true;
    const int width = textWidth(l.text, l.symbol, l.size), height = textHeight(l.size);
    for (const Place &place : places) {
        l.x = at.x() + place.halfWidths * width / 2 + place.dx;
        l.y = at.y() + place.heights * height + place.dy;
        if (ink.clear(cell(l).adjusted(-Clearance, -Clearance, Clearance, Clearance))) {
            write(l);
            return true;
        }
    }
    return false;
}

void addRow(Plan &plan, std::vector<std::pair<double, QString>> marks, int left, int right, int y, TColor colour,
            int size)
{
    std::sort(marks.begin(), marks.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<int> starts, widths;
    for (const auto &[x, text] : marks) {
        widths.push_back(textWidth(text, false, size));
        int start = px(x) - widths.back() / 2;
        if (!starts.empty())
            start = std::max(start, starts.back() + widths[widths.size() - 2] + RowSpacing);
        starts.push_back(std::max(start, left));
    }
    int limit = right;
    for (std::size_t i = starts.size(); i-- > 0;) {
        starts[i] = std::min(starts[i], limit - widths[i]);
        limit = starts[i] - RowSpacing;
    }
    for (std::size_t i = 0; i < marks.size(); ++i)
        plan.write({starts[i], y, colour, marks[i].second, false, size});
}
}

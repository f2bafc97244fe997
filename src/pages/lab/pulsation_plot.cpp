#include "pages/lab/pulsation_plot.h"

#include "pages/lab/frequency_view.h"
#include "text/french_number.h"

#include <algorithm>

namespace FrequencyView {
namespace {
using namespace Colour;

// The strip: the readouts on a line, kept this far from the free corner.
constexpr int StripHeight = 21, StripToCorner = 4, StripTextY = 3, ReadoutsApart = 24;

// 0,1, 1, 10, then powers of ten.
QString decadeLabel(int power)
{
    static const QString exponents[] = {QStringLiteral(""), QStringLiteral(""), QStringLiteral("²"),
                                        QStringLiteral("³"), QStringLiteral("⁴"), QStringLiteral("⁵")};
    if (power < 0)
        return QStringLiteral("0,1");
    if (power < 2)
        return power == 0 ? QStringLiteral("1") : QStringLiteral("10");
    return QStringLiteral("10") + exponents[power];
}
}

QString pulsationLabel(double omega)
{
    if (omega < 9.95 && std::abs(omega - std::round(omega)) >= 0.05)
        return frenchDecimal(omega, 1);
    QString digits = QString::number(std::llround(omega));
    if (digits.size() > 4)
        for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, QLatin1Char(' '));
    return digits;
}

QString scaleLabel(const Scale &scale, int step)
{
    return frenchDecimal(scale.top - step * scale.step, 0) + QString::fromUtf8(scale.unit);
}

void addPanelRow(Plan &plan, const Plot &plot, const std::vector<std::pair<double, QString>> &marks, int y,
                 TColor colour, int size)
{
    addRow(plan, marks, plot.panel.left() + RowInsetLeft, plot.panel.right() - RowInsetRight, y, colour, size);
}

void addFrame(Plan &plan, const Plot &plot)
{
    const QRect &panel = plot.panel;
    plan.panels.push_back(panel);
    plan.write({panel.left() + TitleX, panel.top() + TitleY, Navy, QString::fromUtf8(plot.scale.title)});
    // The symbol face has the Greek letters: omega as itself, no Latin stand-in.
    const QString omega = QStringLiteral("ω"), axis = QStringLiteral(" (rad/s)");
    const int axisX = panel.right() - TitleRight - textWidth(axis) - textWidth(omega, true);
    plan.write({axisX, panel.top() + TitleY, Navy, omega, true});
    plan.write({axisX + textWidth(omega, true), panel.top() + TitleY, Navy, axis});

    const QRect &b = plot.box;
    const int left = b.left() - 1, bottom = b.bottom() + 1;  // the axes
    plan.line(Black, 1, PenStyle::Solid, {left, b.top()}, {left, bottom + 1});
    plan.line(Black, 1, PenStyle::Solid, {left, bottom}, {b.right() + 1, bottom});
    for (int i = 0; i <= Steps; ++i) {
        const int y = px(plot.y(plot.scale.top - i * plot.scale.step));
        plan.line(Black, 1, PenStyle::Solid, {left - MarkLength, y}, {left, y});
        const QString text = scaleLabel(plot.scale, i);
        plan.write({left - MarkLength - 1 - textWidth(text), y - textHeight() / 2, Black, text});
    }
    std::vector<std::pair<double, QString>> decades;
    for (int d = 0; d <= Decades; ++d) {
        const int x = px(plot.x(LowestOmega * std::pow(10.0, d)));
        plan.line(Black, 1, PenStyle::Solid, {x, bottom}, {x, bottom + MarkLength});
        decades.push_back({x, decadeLabel(d - 1)});
    }
    addPanelRow(plan, plot, decades, b.bottom() + DecadeGap, Black, DecadeSize);
}

QRect addReadoutStrip(Plan &plan, const QRect &area, const std::vector<QString> &readouts)
{
    const QRect strip(area.left(), area.top(), area.width() - FreeCornerWidth - StripToCorner, StripHeight);
    plan.panels.push_back(strip);
    plan.ink.mark(QRect(area.right() + 1 - FreeCornerWidth, area.top(), FreeCornerWidth, FreeCornerHeight));
    int x = strip.left() + TitleX;
    for (const QString &text : readouts) {
        plan.write({x, strip.top() + StripTextY, Red, text});
        x += textWidth(text) + ReadoutsApart;
    }
    return strip;
}

Panels layOutPanels(const QRect &area, const QRect &strip, const Scale &left, const Scale &right)
{
    const int panelTop = strip.bottom() + 1 + PanelGap;
    const int panelWidth = (area.width() - PanelGap) / 2;
    const QRect leftPanel(area.left(), panelTop, panelWidth, area.bottom() + 1 - panelTop);
    const QRect rightPanel(area.right() + 1 - panelWidth, panelTop, panelWidth, leftPanel.height());
    int widest = 0;
    for (const Scale *scale : {&left, &right})
        for (int i = 0; i <= Steps; ++i)
            widest = std::max(widest, textWidth(scaleLabel(*scale, i)));
    const int cornerRow = leftPanel.bottom() - textHeight();
    const int plotHeight = cornerRow - textHeight(DecadeSize) - DecadeGap - (leftPanel.top() + PlotTop);
    return {Plot(leftPanel, ScaleRoom + widest, plotHeight, left), Plot(rightPanel, ScaleRoom + widest, plotHeight, right),
            cornerRow};
}
}

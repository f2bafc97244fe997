// The loop's block model: phase comparison, regulator, motor and the integrating feedback,
// every transfer function written as a fraction in its block. Black on white, few colours.
#include "picture_kit.h"
#include "pictures.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr int signalY = 141;   // the forward path
constexpr int feedbackY = 45;  // the feedback path
constexpr int formulaPoints = 12;
constexpr int formulaMargin = 5; // the least air between a formula or its bar and the block's sides

struct Block
{
    int x1, y1, x2, y2;
    const char *numerator, *denominator;
};

// A block with its transfer function centred inside; the fraction bar is a little wider than
// the wider of its two lines. Throws when the formula would touch the block, so a change of
// text or size cannot quietly spill out of the box.
void drawBlock(kit::Sheet &sheet, const Block &block)
{
    const QString numerator = QString::fromUtf8(block.numerator), denominator = QString::fromUtf8(block.denominator);
    const int width = std::max(sheet.formulaWidth(numerator, formulaPoints), sheet.formulaWidth(denominator, formulaPoints));
    const int lineHeight = QFontMetrics(kit::serif(formulaPoints, true)).height();
    // The bar's square caps reach a pixel past its ends.
    const int barHalf = std::min(width / 2 + 3, (block.x2 - block.x1) / 2 - formulaMargin - 1);
    // Two pixels above the middle: the numerator's cell has more empty room above its ink than
    // the denominator's has below, so this centres what shows.
    const int centreX = (block.x1 + block.x2) / 2, barY = (block.y1 + block.y2) / 2 - 2;
    if (width + 2 * formulaMargin > block.x2 - block.x1 - 1
        || barY - lineHeight - 1 <= block.y1 || barY + 3 + lineHeight >= block.y2)
        throw std::runtime_error(QStringLiteral("%1 / %2 does not fit its block at (%3, %4)")
                                     .arg(numerator, denominator).arg(block.x1).arg(block.y1).toStdString());
    sheet.rect(block.x1, block.y1, block.x2, block.y2);
    sheet.fraction(centreX - barHalf, centreX + barHalf, barY, numerator, denominator, formulaPoints);
}

} // namespace

QImage drawPllModel()
{
    kit::Sheet sheet(556, 180);
    const QFont label = kit::sans(8), index = kit::sans(7);
    const QFont signFont = kit::sans(10, true);

    // Summing junction: a crossed circle, the set point in from the left, the measure from above.
    const QPoint centre(87, signalY);
    const int radius = 30, cross = 21; // cross ≈ radius / √2, so the diagonals end on the circle
    sheet.circle(centre, radius);
    sheet.line(centre + QPoint(-cross, -cross), centre + QPoint(cross, cross));
    sheet.line(centre + QPoint(-cross, cross), centre + QPoint(cross, -cross));
    sheet.centredSign(centre + QPoint(-16, 0), QStringLiteral("+"), signFont);
    // The minus sign proper: the hyphen is half as wide as the plus beside it.
    sheet.centredSign(centre + QPoint(0, -16), QStringLiteral("\u2212"), signFont);

    const Block blocks[] = {
        {152, 105, 200, 165, "5", "π"},
        {224, 105, 404, 165, "1+0,025p", "(1+0,0025p)(1+8.10^-4p)"},
        {440, 105, 500, 165, "25/2π", "1+0,5p"},
        {356, 9, 404, 69, "200π", "p"},
    };
    for (const Block &block : blocks)
        drawBlock(sheet, block);

    // Forward path, each arrow ending on the next block's side.
    const struct { int from, to; } arrows[] = {{9, 57}, {117, 152}, {200, 224}, {404, 440}, {500, 545}};
    for (const auto &a : arrows)
        sheet.arrow({a.from, signalY}, {a.to, signalY});

    // Feedback: taken off the output, through the integrator, down into the junction's top.
    const int takeOff = 512, descent = 92;
    // The descent stops where it meets the circle, a little right of its top.
    const int entry = signalY - int(std::sqrt(double(radius * radius - (descent - centre.x()) * (descent - centre.x()))));
    sheet.dot({takeOff, signalY});
    sheet.line({takeOff, signalY}, {takeOff, feedbackY});
    sheet.arrow({takeOff, feedbackY}, {404, feedbackY});
    sheet.line({356, feedbackY}, {descent, feedbackY});
    sheet.arrow({descent, feedbackY}, {descent, entry});

    // Signal names, over the links they name; φ1 to the left of the descent it names.
    enum Align { Left, Centre, Right };
    const struct { int x, y; const char *text; Align align; } names[] = {
        {30, 126, "φ", Centre},
        {descent - 6, 86, "φ_1", Right},
        {134, 90, "Δφ", Centre},
        {212, 90, "U_0", Centre},
        {422, 90, "U_1=U", Centre},
        {520, 90, "Ω_1", Left},
    };
    for (const auto &name : names) {
        const QString text = QString::fromUtf8(name.text);
        const int width = kit::indexedWidth(text, label, index);
        const int x = name.align == Left ? name.x : name.align == Centre ? name.x - width / 2 : name.x - width;
        sheet.indexedText(x, name.y, text, label, index);
    }

    return sheet.finish(16);
}

// The regulator's example circuit: a lead stage (R1 with C1 in, R2 with C2 in the feedback)
// followed by an inverting first-order stage (R in, R with C in the feedback), black on white.
// The page's red title ends over the top left corner, so the top rows there stay empty.
#include "picture_kit.h"
#include "pictures.h"

#include <QFontMetrics>
#include <initializer_list>

namespace {

// The caption's bold face. Full hinting thins many of its stems to one pixel at this size;
// vertical hinting keeps the line evenly bold.
QFont boldSans(int points)
{
    QFont font = kit::sans(points, true);
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

void wire(kit::Sheet &sheet, std::initializer_list<QPoint> path)
{
    for (auto p = path.begin(); p + 1 != path.end(); ++p)
        sheet.line(*p, *(p + 1));
}

// An open terminal circle.
void terminal(kit::Sheet &sheet, QPoint c)
{
    sheet.circle(c, 2);
}

constexpr int resistorLength = 24, resistorHeight = 8;
constexpr int plateGap = 3, plateLength = 16;
constexpr int parallelRise = 30; // the capacitor runs this far above its resistor

// A resistor centred between x1 and x2 on the wire at y, the wire stopping at its ends.
void resistor(kit::Sheet &sheet, int x1, int x2, int y)
{
    const int left = (x1 + x2 - resistorLength) / 2, right = left + resistorLength;
    sheet.line({x1, y}, {left, y});
    sheet.rect(left, y - resistorHeight / 2, right, y + resistorHeight / 2);
    sheet.line({right, y}, {x2, y});
}

// A capacitor as two plates, two pixels thick, centred between x1 and x2 on the wire at y.
void capacitor(kit::Sheet &sheet, int x1, int x2, int y)
{
    const int centre = (x1 + x2) / 2, left = centre - plateGap / 2 - 2, right = centre + plateGap / 2 + 1;
    sheet.line({x1, y}, {left, y});
    sheet.line({right + 1, y}, {x2, y});
    for (int x : {left, right})
        sheet.fill(QRect(x, y - plateLength / 2, 2, plateLength + 1));
}

// A resistor on the wire at y with a capacitor in parallel above it, between the nodes x1 and x2.
void resistorWithCapacitor(kit::Sheet &sheet, int x1, int x2, int y)
{
    resistor(sheet, x1, x2, y);
    capacitor(sheet, x1, x2, y - parallelRise);
    for (int x : {x1, x2})
        sheet.line({x, y - parallelRise}, {x, y});
}

// An operational amplifier pointing right, its minus input at `minus` and its plus input
// 20 pixels below; returns the output at the apex.
QPoint amplifier(kit::Sheet &sheet, QPoint minus, const QFont &signFont)
{
    const int x = minus.x(), y = minus.y();
    const QPoint top(x, y - 14), bottom(x, y + 34), apex(x + 42, y + 10);
    wire(sheet, {top, apex, bottom, top});
    // The minus sign proper: the hyphen is half as wide as the plus under it.
    sheet.centredSign({x + 8, y}, QStringLiteral("\u2212"), signFont);
    sheet.centredSign({x + 8, y + 20}, QStringLiteral("+"), signFont);
    return apex;
}

// Ground: a bar with slanted hatching under it, hanging from `top`.
void ground(kit::Sheet &sheet, QPoint top)
{
    const int y = top.y() + 14;
    sheet.line(top, {top.x(), y});
    sheet.line({top.x() - 10, y}, {top.x() + 10, y});
    for (int x = top.x() - 7; x <= top.x() + 11; x += 5)
        sheet.line({x, y + 1}, {x - 5, y + 6});
}

} // namespace

QImage drawSchemaPd()
{
    kit::Sheet sheet(400, 211);
    const QFont label = kit::sans(8), index = kit::sans(7);
    const QFont caption = boldSans(10), captionIndex = boldSans(7);
    const QFont signFont = kit::sans(9, true);

    // Wire heights: each stage's input runs into its minus input, its feedback resistor runs
    // `feedbackRise` higher and the feedback capacitor `parallelRise` above that.
    const int feedbackRise = 42;
    const int in1 = 106, feedback1 = in1 - feedbackRise;

    // Left stage: R1 with C1 across it into the minus input, R2 with C2 from the output back.
    const QPoint out1 = amplifier(sheet, {136, in1}, signFont);
    terminal(sheet, {20, in1});
    wire(sheet, {{23, in1}, {32, in1}});
    resistorWithCapacitor(sheet, 32, 92, in1);
    wire(sheet, {{92, in1}, {136, in1}});
    resistorWithCapacitor(sheet, 114, 196, feedback1);
    wire(sheet, {{114, feedback1}, {114, in1}});
    wire(sheet, {out1, {196, out1.y()}, {196, feedback1}});
    wire(sheet, {{136, in1 + 20}, {120, in1 + 20}});
    ground(sheet, {120, in1 + 20});

    // Right stage, fed straight from the first output: R in, R with C across it back.
    const int in2 = out1.y(), feedback2 = in2 - feedbackRise;
    const QPoint out2 = amplifier(sheet, {288, in2}, signFont);
    resistor(sheet, 196, 262, in2);
    wire(sheet, {{262, in2}, {288, in2}});
    resistorWithCapacitor(sheet, 262, 346, feedback2);
    wire(sheet, {{262, feedback2}, {262, in2}});
    wire(sheet, {out2, {372, out2.y()}});
    wire(sheet, {{346, out2.y()}, {346, feedback2}});
    terminal(sheet, {375, out2.y()});
    wire(sheet, {{288, in2 + 20}, {272, in2 + 20}});
    ground(sheet, {272, in2 + 20});

    for (QPoint node : {QPoint(32, in1), QPoint(92, in1), QPoint(114, in1), QPoint(196, out1.y()),
                        QPoint(262, in2), QPoint(346, out2.y())})
        sheet.dot(node);

    // Component names: over the capacitors' plates, under the resistors.
    const auto overCapacitor = [](int resistorRow) { return resistorRow - parallelRise - 21; };
    const auto underResistor = [](int row) { return row + 6; };
    const struct { int x, y; const char *text; } names[] = {
        {62, overCapacitor(in1), "C_1"},        {62, underResistor(in1), "R_1"},
        {155, overCapacitor(feedback1), "C_2"}, {155, underResistor(feedback1), "R_2"},
        {229, underResistor(in2), "R"},
        {304, overCapacitor(feedback2), "C"},   {304, underResistor(feedback2), "R"},
    };
    for (const auto &name : names) {
        const QString text = QString::fromUtf8(name.text);
        sheet.indexedText(name.x - kit::indexedWidth(text, label, index) / 2, name.y, text, label, index);
    }
    sheet.indexedText(2, in1 - 20, QStringLiteral("U_0"), label, index);
    sheet.indexedText(382, out2.y() - 20, QStringLiteral("U_1"), label, index);

    // Component values: the right stage's under it, the shared ones along the bottom.
    sheet.indexedText(2, 192, QStringLiteral("Avec : R_1 = R_2 = 105kΩ  C_1=240nf  C_2=24nf"), caption, captionIndex);
    const QString rightValues = QStringLiteral("R=11,8kΩ  C=68nf");
    sheet.indexedText(288 - kit::indexedWidth(rightValues, caption, captionIndex) / 2, 168, rightValues, caption,
            captionIndex);

    return sheet.finish();
}

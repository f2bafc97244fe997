// Open-loop Bode asymptotes of the loop with the phase-advance regulator: corners at 2, 40, 400
// and 1250 rad/s; the gain now crosses 0 dB on a -1 slope, which leaves about 45° of margin.
#include "bode_axes.h"
#include "picture_kit.h"
#include "pictures.h"

QImage drawPllBoc()
{
    kit::Sheet sheet(603, 426);
    const QFont font = kit::sans(8);

    // Heading and transfer function; the heading's two lines straddle the fraction bar.
    const int barY = 42;
    bode::labels(sheet, {{4, 27, "Avec le régulateur PD, la fonction"}, {4, 40, "de transfert en boucle ouverte :"}}, font);
    sheet.formula(257, barY - 10, QStringLiteral("φ1/φ ="), 12);
    sheet.fraction(311, 593, barY, QStringLiteral("3979 (1 + 0,025 p)"),
                   QStringLiteral("p (1 + 0,0025 p)(1 + 8.10^-4 p)(1 + 0,5 p)"), 12);
    sheet.text(4, 76, QStringLiteral("Les lieux de Bode asymptotiques :"), font);

    // The corner pulsations, each marked by a dashed vertical from its label down to the phase
    // step it causes (the pixel scale is not logarithmic: the corners are placed, not computed).
    // The dashes start at the step, so a dash meets it rather than a gap.
    struct Mark { int x; const char *label; int phaseTop; };
    const Mark marks[] = {{78, "2", 332}, {197, "40", 332}, {302, "400", 332}, {380, "1250", 374}};
    const int markY = 108;
    for (const Mark &mark : marks) {
        sheet.centredText(mark.x, markY, QString::fromUtf8(mark.label), font);
        sheet.dashed({mark.x, mark.phaseTop}, {mark.x, markY + 14});
    }
    sheet.text(428, markY, QStringLiteral(": ω (rad/s)"), font);

    // Gain asymptote, slopes -1, -2, -1, -2, -3 (×20 dB/decade) between the corners.
    bode::polyline(sheet, {{31, 116}, {78, 132}, {197, 209}, {302, 250}, {380, 306}, {425, 365}});
    sheet.fill(QRect(QPoint(101, 223), QPoint(473, 225)));

    // Gain crossover, on the -1 segment between 40 and 400 rad/s; the vertical carries down to
    // the phase, where the margin is read.
    const int crossover = 237;
    const int marginTop = 355; // -135°: the true phase there, halfway between -90° and -180°
    sheet.dashed({crossover, marginTop}, {crossover, 227});

    // Phase asymptote: -90°, -180°, -90°, -180°, -270°, stepping at each corner.
    bode::staircase(sheet,
                    {{31, 333}, {78, 333}, {78, 375}, {197, 375}, {197, 333}, {302, 333},
                     {302, 375}, {380, 375}, {380, 417}, {457, 417}},
                    2);

    // The margin: from the -180° line up to the phase at crossover, arrow heads at both ends.
    sheet.arrow({crossover, 373}, {crossover, marginTop}, 5);
    sheet.arrow({crossover, marginTop}, {crossover, 373}, 5);

    bode::labels(sheet,
                 {
                     {34, 129, "(-1)"},
                     {108, 170, "(-2)"},
                     {252, 241, "(-1)"},
                     {350, 262, "(-2)"},
                     {411, 322, "(-3)"},
                     {446, 209, "0 dB"},
                     {242, 209, "160 rad/s"},
                     {490, 240, "La boucle fermée"},
                     {490, 252, "est stable"},
                     {36, 318, "-90°"},
                     {120, 360, "-180°"},
                     {420, 402, "-270°"},
                 },
                 font);
    sheet.centredText(crossover, 381, QStringLiteral("Marge de phase : environ 45°"), font);
    return sheet.finish(16);
}

// Open-loop Bode asymptotes of the loop without the phase-advance regulator: a single corner at
// 2 rad/s, gain crossover near 89 rad/s, where the phase has almost reached -180°.
#include "bode_axes.h"
#include "picture_kit.h"
#include "pictures.h"

QImage drawPllBonc()
{
    kit::Sheet sheet(482, 350);
    const QFont font = kit::sans(8);

    // Heading and the transfer function on the same line, the fraction bar level with the text.
    const int barY = 21;
    sheet.text(4, barY - 6, QStringLiteral("Sans régulateur PD, la fonction de transfert en boucle ouverte :"), font);
    const int equalsEnd = 322 + sheet.formula(322, barY - 10, QStringLiteral("φ1/φ ="), 12);
    sheet.fraction(equalsEnd + 6, equalsEnd + 100, barY, QStringLiteral("3979"), QStringLiteral("p (1 + 0,5 p)"), 12);

    // Gain: slope -1 up to the corner at 2 rad/s, -2 after it; 0 dB near 89 rad/s (x 333).
    const QPoint corner(204, 95);
    bode::polyline(sheet, {{50, 48}, corner, {352, 222}});
    sheet.fill(QRect(QPoint(293, 205), QPoint(396, 207)));

    // Phase: -90° up to the corner, -180° beyond.
    bode::staircase(sheet, {{59, 206}, {204, 206}, {204, 262}, {368, 262}}, 1);

    // Dashes drawn upwards from the phase, so that a dash, not a gap, meets it.
    sheet.dashed({204, 206}, corner + QPoint(0, 3));
    sheet.dashed({333, 262}, {333, 209});

    bode::labels(sheet,
                 {
                     {2, 100, "Les lieux de Bode"},
                     {2, 112, "asymptotiques :"},
                     {210, 80, "63 dB"},
                     {374, 191, "0 dB"},
                     {62, 192, "-90°"},
                     {262, 248, "-180°"},
                     {339, 226, "marge de phase"},
                     {339, 238, "presque nulle"},
                 },
                 font);

    // The conclusion drawn from the margin.
    const char *conclusion[] = {
        "La boucle fermée est à la limite de l'instabilité.",
        "Une correction proportionnelle ne permettra pas",
        "de solutionner le problème, car elle exige un très",
        "fort gain, ce qui provoquera la saturation du signal",
        "carré en sortie du comparateur de phase.",
    };
    int y = 285;
    for (const char *line : conclusion) {
        sheet.text(20, y, QString::fromUtf8(line), font);
        y += 12;
    }
    return sheet.finish(4);
}

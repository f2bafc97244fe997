// The regulator's Bode asymptotes: its transfer function, the gain and phase asymptotes with the
// corner pulsations, and why the 2 kHz ripple of the phase comparator does not reach the speed.
#include "picture_kit.h"
#include "pictures.h"

#include <QFontMetrics>

#include <iterator>

namespace {

const QColor red(255, 0, 0);
const QColor navy(0, 0, 128);

struct Label { int x, y; const char *text; };

// Text where "_" lowers the next character as a smaller subscript (U_0 for the mean voltage).
void subscripted(kit::Sheet &sheet, int x, int y, const QString &text, int points, QColor colour)
{
    const QFont normal = kit::sans(points);
    const QFont small = kit::sans(points - 2);
    const int drop = QFontMetrics(normal).ascent() - QFontMetrics(small).ascent() + 3;
    int at = x;
    QString run;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 1 < text.size()) {
            at += sheet.text(at, y, run, normal, colour);
            run.clear();
            at += sheet.text(at, y + drop, QString(text[++i]), small, colour);
        } else {
            run += text[i];
        }
    }
    sheet.text(at, y, run, normal, colour);
}

}

QImage drawRegul()
{
    kit::Sheet sheet(624, 412);
    const QFont font = kit::sans(8);
    const int lineHeight = QFontMetrics(font).height();

    // Title and the transfer function.
    sheet.text(8, 22, QStringLiteral("La fonction de transfert du"), font);
    sheet.text(8, 35, QStringLiteral("régulateur :"), font);
    sheet.fraction(270, 465, 42, QStringLiteral("1 + 0,025 p"), QStringLiteral("(1 + 0,0025 p)(1 + 8.10^-4 p)"), 12);
    sheet.text(8, 78, QStringLiteral("Les lieux de Bode asymptotiques :"), font);

    // Why the regulator is there, clear of the formula above and the falling gain below.
    const char *why[] = {"Le régulateur amène un fenêtre", "d'avance de phase entre 40 et",
                         "400 rad/s de façon à augmenter", "la marge de phase de la boucle", "ouverte."};
    for (int i = 0; i < int(std::size(why)); ++i)
        sheet.text(404, 75 + i * lineHeight, QString::fromUtf8(why[i]), font, red);

    // Corner pulsations shared by both diagrams: 40, 400 and 1250 rad/s.
    const int corner[] = {120, 207, 282};
    const int markTop = 174;
    for (int x : corner) {
        sheet.dashed({x, 104}, {x, markTop - 3});
        sheet.dashed({x, markTop + lineHeight + 2}, {x, 292});
    }
    const Label marks[] = {{120, markTop, "40"}, {207, markTop, "400"}, {282, markTop, "1250"}, {345, markTop, "12500"}};
    for (const Label &m : marks)
        sheet.centredText(m.x, m.y, QString::fromUtf8(m.text), font);
    sheet.text(452, markTop, QStringLiteral(": ω (rad/s)"), font);

    // Gain asymptote: 0 dB, +1 up to +20 dB, flat, then -1 past 1250 rad/s.
    const QPoint gain[] = {{12, 169}, {120, 169}, {207, 126}, {282, 126}, {440, 205}};
    for (std::size_t i = 0; i + 1 < std::size(gain); ++i)
        sheet.line(gain[i], gain[i + 1], 2);
    const Label gainLabels[] = {{12, 154, "0dB"}, {131, 138, "(+1)"}, {231, 111, "20dB"}, {372, 150, "(-1)"}};
    for (const Label &l : gainLabels)
        sheet.text(l.x, l.y, QString::fromUtf8(l.text), font);

    // Phase asymptote: 0°, +90° from 40 to 400 rad/s, 0° to 1250 rad/s, then -90°.
    const QPoint phase[] = {{22, 253}, {120, 253}, {120, 220}, {207, 220}, {207, 253},
                            {282, 253}, {282, 280}, {424, 280}};
    for (std::size_t i = 0; i + 1 < std::size(phase); ++i)
        sheet.line(phase[i], phase[i + 1], 2);
    const Label phaseLabels[] = {{4, 246, "0°"}, {150, 205, "+90°"}, {430, 273, "-90°"}};
    for (const Label &l : phaseLabels)
        sheet.text(l.x, l.y, QString::fromUtf8(l.text), font);

    // The ripple, and why the motor ignores it.
    const char *ripple[] = {
        "Pour une consigne de fréquence 1kHz, la sortie du comparateur de phase est un signal carré",
        "de 2kHz (environ 12500 rad/s) de valeur moyenne U_0=2,5V. En sortie du régulateur, la",
        "tension U est proche d'un triangle dont la valeur moyenne U_0 n'est pas modifiée (il ne doit pas",
        "saturer, de façon à conserver U_0). Le moteur présentant une pulsation de coupure à 2rad/s",
        "atténue fortement l'ondulation de la commande (-76dB pour la vitesse).",
    };
    for (int i = 0; i < int(std::size(ripple)); ++i)
        subscripted(sheet, 8, 315 + i * (lineHeight + 2), QString::fromUtf8(ripple[i]), 8, navy);

    return sheet.finish(32);
}

#include "pages/lab/settings_panel.h"

#include "drawing/canvas.h"
#include "drawing/page_text.h"
#include "lab/lab.h"
#include "text/french_number.h"

#include <QStringList>

namespace {
using namespace Colour;

// Where the lab's controls stand, in the drawing area: under the loop's blocks, left of the
// displays, above the status.
const QRect ControlsPlace(2, 128, 209, 216);
constexpr int Left = 8, Top = 134, TitleSize = 10, TextSize = 9, Line = 15;

const char *const ChartNames[] = {"Bode", "Black", "Nyquist", "boucle fermée", "plages"};

QString decimal(double value, int digits) { return QString::fromStdString(French::significant(value, digits)); }

QStringList setpointLines(const LabSettings &s)
{
    const QString setpoint = QStringLiteral("Consigne : %1 Hz").arg(s.setpoint);
    if (s.ramp == 0)
        return {setpoint + QStringLiteral(", en échelon")};
    return {setpoint, QStringLiteral("en rampe de %1 Hz/s").arg(decimal(s.ramp * LabSettings::SlopeUnit, 7))};
}

QStringList regulatorLines(const LabSettings &s)
{
    if (!s.corrector)
        return {QStringLiteral("Correcteur : aucun (gain de 1)")};
    const LabSettings course;
    const bool courses = s.lead == course.lead && s.lag == course.lag && s.filter == course.filter && s.gain == course.gain;
    const auto seconds = [](int units) { return decimal(units * LabSettings::TimeConstantUnit, 4) + QStringLiteral(" s"); };
    return {courses ? QStringLiteral("Correcteur : celui du cours") : QStringLiteral("Correcteur : réglé"),
            QStringLiteral("τ1 avance : %1 ; τ2 : %2").arg(seconds(s.lead), seconds(s.lag)),
            QStringLiteral("τ3 filtre : %1 ; gain : %2").arg(seconds(s.filter), decimal(s.gain * LabSettings::GainUnit, 3))};
}

QString paceLine(const Lab &lab)
{
    const double factor = lab.slowMotion();
    return factor == 1 ? QStringLiteral("Ralenti : ×1")
                       : QStringLiteral("Ralenti : ×1/%1").arg(qRound(1 / factor));
}

QString viewLine(const LabView &view)
{
    if (!view.frequencyResponse)
        return QStringLiteral("Vue : signaux");
    return QStringLiteral("Vue : réponse en fréquence, %1").arg(QLatin1String(ChartNames[int(view.chart)]));
}
}

void drawLabSettings(Canvas &canvas, const Lab &lab, const LabView &view)
{
    const LabSettings &s = lab.settings();
    canvas.setPenAndBrush(BtnFace);
    canvas.Rectangle(ControlsPlace.left(), ControlsPlace.top(), ControlsPlace.right() + 1, ControlsPlace.bottom() + 1);
    canvas.SetBkMode(BkMode::Transparent);
    drawText(canvas, {Left, Top, FontFace::Sans, TitleSize, Navy, QStringLiteral("Réglages du laboratoire")});
    QStringList lines = setpointLines(s);
    lines << QStringLiteral("Couple résistant : %1 V").arg(decimal(s.load * LabSettings::LoadUnit, 3)) << regulatorLines(s)
          << paceLine(lab) << viewLine(view);
    int y = Top + Line + 4;
    for (const QString &line : lines) {
        drawText(canvas, {Left, y, FontFace::Sans, TextSize, Black, line});
        y += Line;
    }
}

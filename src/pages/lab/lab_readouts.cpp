#include "pages/lab/lab_readouts.h"

#include "lab/unlock_cause.h"
#include "text/french_number.h"

namespace {
const QString Unknown = QStringLiteral("—");

QString significant(double value, int digits)
{
    return QString::fromStdString(French::significant(value, digits));
}

// A measure's line: its name, then its value with `decimals` and `unit`, or "—" while unknown.
struct MeasureForm { const char *name; int decimals; const char *unit; };
constexpr MeasureForm Overshoot{"Dépassement", 0, "%"};
constexpr MeasureForm ResponseTime{"Temps de réponse à 5 %", 2, "s"};
constexpr MeasureForm Departure{"Écart maximal", 3, "tr/s"};
constexpr MeasureForm Recovery{"Temps de rétablissement", 3, "s"};
constexpr MeasureForm LockTime{"Temps d'accrochage", 2, "s"};
constexpr double Millisecond = 1e-3;  // s

QString measure(const MeasureForm &form, std::optional<double> value)
{
    const QString shown = value ? frenchDecimal(*value, form.decimals) + QLatin1Char(' ') + QString::fromUtf8(form.unit) : Unknown;
    return QString::fromUtf8(form.name) + QStringLiteral(" : ") + shown;
}

// The lag in speed, which grows with the slope, and in time, which the loop alone sets.
QString rampLag(const StepResponse &r)
{
    const QString shown = r.rampLag() ? QStringLiteral("%1 tr/s (%2 ms)").arg(significant(*r.rampLag(), 2),
                                                                             frenchDecimal(*r.rampDelay() / Millisecond, 2))
                                      : Unknown;
    return QStringLiteral("Retard sur f/100 pendant la rampe : ") + shown;
}

std::array<QString, 2> responseMeasures(const StepResponse &r)
{
    using enum StepResponse::Action;
    switch (r.action()) {
    case StartFromRest: case LockedStart:
        return {measure(LockTime, r.lockTime()), measure(ResponseTime, r.settlingTime())};
    case SetpointStep: return {measure(Overshoot, r.overshootPercent()), measure(ResponseTime, r.settlingTime())};
    case LoadStep: return {measure(Departure, r.largestDeparture()), measure(Recovery, r.settlingTime())};
    case Ramp: return {rampLag(r), {}};
    }
    return {};
}

// Why the loop lets go, in a student's words: %1 the speed it settled at, %2 f/100 (tr/s), %3
// the comparator's mean the setpoint asks, %4 its high level (V), %5 the harmonic, %6 the
// sensor's frequency, %7 the setpoint's (Hz), %8 the mean of a slipping comparator (V).
struct CauseWords { UnlockCause::Kind kind; const char *first, *second; };
constexpr CauseWords Causes[] = {
    {UnlockCause::Kind::Catching, "La vitesse va vers f/100 = %2 tr/s :", "la boucle n'a pas encore accroché."},
    {UnlockCause::Kind::BeyondHold, "Consigne hors de la plage de maintien :", "il faut %3 V au comparateur, il a %4 V."},
    {UnlockCause::Kind::Harmonic, "Faux accrochage : le capteur bat à 1/%5", "de la consigne (%6 Hz pour %7 Hz)."},
    {UnlockCause::Kind::StepTooLarge, "Échelon trop grand : les cycles glissent", "sans fin. Essayez une rampe."},
    {UnlockCause::Kind::RampTooSteep, "Rampe trop raide : les cycles glissent", "sans fin. Essayez une pente plus faible."},
    {UnlockCause::Kind::NoPullIn, "Gain trop faible pour accrocher : le", "moteur plafonne à %1 tr/s pour %2."},
    {UnlockCause::Kind::RunsAway, "Le moteur s'emballe à %1 tr/s pour %2 :", "en glissant, le comparateur donne %8 V."},
    {UnlockCause::Kind::Slipping, "Les cycles glissent : le moteur reste", "à %1 tr/s pour %2 demandés."},
};

QStringList unlockWords(const Lab &lab)
{
    const UnlockCause c = unlockCause(lab);
    const pllmodel::LoopParameters &p = lab.loop().loopParameters();
    const double setpoint = lab.loop().setpointFrequency();
    const double sensor = c.speed * p.sensorSteps;
    const double slippingMean = (p.comparatorHigh + p.comparatorLow) / 2;
    QStringList lines;
    for (const CauseWords &words : Causes)
        if (words.kind == c.kind)
            for (const char *line : {words.first, words.second})
                lines << QString::fromUtf8(line)
                             .replace(QLatin1String("%1"), frenchDecimal(c.speed, 2))
                             .replace(QLatin1String("%2"), significant(c.asked, 3))
                             .replace(QLatin1String("%3"), frenchDecimal(c.needed, 2))
                             .replace(QLatin1String("%4"), frenchDecimal(p.comparatorHigh, 0))
                             .replace(QLatin1String("%5"), QString::number(c.harmonic))
                             .replace(QLatin1String("%6"), frenchDecimal(sensor, 0))
                             .replace(QLatin1String("%7"), frenchDecimal(setpoint, 0))
                             .replace(QLatin1String("%8"), frenchDecimal(slippingMean, 1));
    return lines;
}

// The regulator running, as the run's tab names it.
QString runningRegulator(const LabSettings &s)
{
    if (!s.corrector)
        return QStringLiteral("Régulateur : sans correcteur (gain 1)");
    const LabSettings course;
    const bool courses = s.lead == course.lead && s.lag == course.lag && s.filter == course.filter && s.gain == course.gain;
    if (courses)
        return QStringLiteral("Régulateur : celui du cours");
    // Short enough to stay clear of the motor's speed beside it, whatever the values.
    const auto seconds = [](int units) { return significant(units * LabSettings::TimeConstantUnit, 4); };
    return QStringLiteral("Régulateur : avance %1, retard %2, filtre %3 s, gain %4")
        .arg(seconds(s.lead), seconds(s.lag), seconds(s.filter), significant(s.gain * LabSettings::GainUnit, 3));
}
}

LabReadouts labReadouts(const Lab &lab)
{
    const pllmodel::LoopSimulation &loop = lab.loop();
    const bool locked = lab.isLocked();
    return {
        locked,
        locked ? QStringLiteral("Boucle verrouillée") : QStringLiteral("Boucle décrochée"),
        QStringLiteral("Glissements de cycle : %1").arg(loop.cycleSlips()),
        QStringLiteral("Consigne : %1 Hz").arg(frenchDecimal(loop.setpointFrequency(), 0)),
        QStringLiteral("Vitesse moteur : %1 tr/s").arg(frenchDecimal(loop.speed(), 2)),
        QStringLiteral("Erreur de phase : %1 rad").arg(frenchDecimal(lab.foldedPhaseError(), 2)),
        QStringLiteral("Sortie comparateur (moyenne) : %1 V").arg(frenchDecimal(lab.comparatorMean(), 2)),
        QStringLiteral("Tension moteur : %1 V").arg(frenchDecimal(lab.commandMean(), 2)),
        QStringLiteral("Temps : %1 s").arg(frenchDecimal(loop.time(), 3)),
        responseMeasures(lab.response()),
        locked ? QStringList{} : unlockWords(lab),
        runningRegulator(lab.settings()),
    };
}

QString regulatorLabel(const LabSettings &s)
{
    if (!s.corrector)
        return QStringLiteral("sans correcteur");
    const auto seconds = [](int units) { return significant(units * LabSettings::TimeConstantUnit, 4); };
    return QStringLiteral("avance %1 s, retard %2 s, filtre %3 s, gain %4")
        .arg(seconds(s.lead), seconds(s.lag), seconds(s.filter), significant(s.gain * LabSettings::GainUnit, 3));
}

QString unholdableMessage(int setpoint)
{
    return QStringLiteral("La boucle ne peut pas tenir %1 Hz : départ arrêté.").arg(setpoint);
}

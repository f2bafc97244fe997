#include "pages/lab/lab_readouts.h"

#include "text/french_number.h"

namespace {
const QString Unknown = QStringLiteral("—");

QString significant(double value, int digits)
{
    return QString::fromStdString(French::significant(value, digits));
}
}

LabReadouts labReadouts(const Lab &lab)
{
    const pllmodel::LoopSimulation &loop = lab.loop();
    const bool locked = lab.isLocked();
    const std::optional<double> overshoot = lab.response().overshootPercent(), settling = lab.response().settlingTime();
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
        QStringLiteral("Dépassement : %1").arg(overshoot ? frenchDecimal(*overshoot, 0) + QStringLiteral(" %") : Unknown),
        QStringLiteral("Temps de réponse à 5 % : %1").arg(settling ? frenchDecimal(*settling, 2) + QStringLiteral(" s") : Unknown),
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

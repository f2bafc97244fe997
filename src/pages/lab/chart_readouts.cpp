#include "pages/lab/chart_readouts.h"

#include "text/french_number.h"

using pllmodel::Extremum;

namespace {
const QString None = QStringLiteral("aucune");
const QString Unstable = QStringLiteral("boucle instable");
}

QString resonanceText(const std::optional<Extremum> &peak, bool stable)
{
    const QString name = QStringLiteral("Résonance : ");
    if (!stable)
        return name + Unstable;
    if (!peak)
        return name + None;
    return name + QStringLiteral("%1 dB à %2 rad/s").arg(frenchDecimal(peak->value, 1), frenchDecimal(peak->omega, 0));
}

QString bandwidthText(const std::optional<double> &omega, bool stable)
{
    const QString name = QStringLiteral("Bande passante à −3 dB : ");
    if (!stable)
        return name + Unstable;
    return name + (omega ? frenchDecimal(*omega, 0) + QStringLiteral(" rad/s") : None);
}

QString modulusMarginText(double modulusMargin)
{
    return QStringLiteral("Marge de module : ") + frenchDecimal(modulusMargin, 2);
}

#include "pages/lab/chart_readouts.h"

#include "text/french_number.h"

#include <optional>

using pllmodel::ClosedLoop;
using pllmodel::Extremum;

namespace {
const QString None = QStringLiteral("aucune");
}

QString resonanceText(const ClosedLoop &loop)
{
    const QString name = QStringLiteral("Résonance : ");
    const std::optional<Extremum> peak = loop.resonance();
    if (!peak)
        return name + None;
    return name + QStringLiteral("%1 dB à %2 rad/s").arg(frenchDecimal(peak->value, 1), frenchDecimal(peak->omega, 0));
}

QString bandwidthText(const ClosedLoop &loop)
{
    const QString name = QStringLiteral("Bande passante à −3 dB : ");
    const std::optional<double> omega = loop.bandwidth();
    return name + (omega ? frenchDecimal(*omega, 0) + QStringLiteral(" rad/s") : None);
}

QString modulusMarginText(const ClosedLoop &loop)
{
    return QStringLiteral("Marge de module : ") + frenchDecimal(loop.modulusMargin().value, 2);
}

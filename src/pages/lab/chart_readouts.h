#pragma once
// The closed loop's figures as the frequency view's charts write them: one decimal for dB, whole
// rad/s, two decimals for the modulus margin, "aucune" where a figure does not exist.
#include "model/closed_loop.h"

#include <QString>
#include <optional>

// Each takes the figure ClosedLoop gives, which a chart also draws: it is sought once.
// "Résonance : … dB à … rad/s"; "Résonance : aucune" when the gain never rises above 0 dB;
// "… : boucle instable" for a loop that is not stable.
QString resonanceText(const std::optional<pllmodel::Extremum> &resonance, bool stable);
// "Bande passante à −3 dB : … rad/s"; "… : aucune" when the gain does not fall through -3 dB;
// "… : boucle instable" for a loop that is not stable.
QString bandwidthText(const std::optional<double> &bandwidth, bool stable);
// "Marge de module : …", the least distance from -1 of the open loop's response.
QString modulusMarginText(double modulusMargin);

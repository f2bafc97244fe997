#include "model/loop_dynamics.h"

#include "model/bracketed_root.h"

#include <algorithm>
#include <limits>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace pllmodel {

namespace {
// The weight of the lag 1/(1 + T p) in (1 + lead p) / product of (1 + Tj p) over `lags`, T among
// them: the partial fraction's residue, since every pole is simple.
double lagWeight(double T, double lead, const std::vector<double> &lags)
{
    double weight = 1 - lead / T;
    for (double other : lags)
        if (other != T)
            weight /= 1 - other / T;
    return weight;
}

// 1 - exp(-x), keeping its digits for small x.
double risen(double x) { return -std::expm1(-x); }
}

LoopDynamics::LoopDynamics(const LoopParameters &p)
    : edgesPerTurn(p.edgesPerTurn())
{
    std::vector<double> regulatorLags, lags{p.motorTimeConstant};
    if (p.phaseAdvance)
        regulatorLags = {p.regulatorLag, p.regulatorFilter};
    if (!std::all_of(regulatorLags.begin(), regulatorLags.end(), [](double T) { return std::isfinite(T); })
        || !(p.motorTimeConstant > 0) || !std::isfinite(p.motorTimeConstant))
        throw std::invalid_argument("Constantes de temps de la boucle invalides : des durées finies sont attendues.");
    // Equal lags make a double pole, which has no modal form: a lag meeting another is moved
    // off it by two parts in a thousand, which no picture or measure of the loop shows, and the
    // modes' weights, which grow as the lags meet, keep their digits.
    for (double &T : regulatorLags) {
        while (std::any_of(lags.begin(), lags.end(), [T](double other) { return std::abs(T - other) <= LagSeparation * other; }))
            T *= 1 + 2 * LagSeparation;
        lags.push_back(T);
    }
    std::sort(lags.begin(), lags.end(), std::greater<>());
    if (lags.back() <= 0)
        throw std::invalid_argument(
            "Constantes de temps de la boucle invalides : elles doivent être positives.");
    if (!std::isfinite(p.motorLoad))
        throw std::invalid_argument("Charge du moteur invalide : un nombre fini de volts est attendu.");
    regulatorGain = p.phaseAdvance ? p.regulatorGain : 1;
    if (!(regulatorGain > 0) || !std::isfinite(regulatorGain))
        throw std::invalid_argument("Gain du régulateur invalide : un nombre fini, positif, est attendu.");
    modes = static_cast<int>(lags.size());
    // A plain gain of 1 has no lead: the motor's lag then carries the whole speed. A lead on the
    // motor's lag would cancel it, leaving the motor's state unseen in the speed: it is moved
    // off it like a lag.
    double lead = p.phaseAdvance ? p.regulatorLead : 0;
    if (std::abs(lead - p.motorTimeConstant) <= LagSeparation * p.motorTimeConstant)
        lead = p.motorTimeConstant * (1 + 2 * LagSeparation);
    const double command = p.amplifierGain * regulatorGain;
    const double gain = command * p.motorGain;
    for (int i = 0; i < modes; ++i) {
        const double T = lags[i];
        rate[i] = 1 / T;
        speedWeight[i] = gain * lagWeight(T, lead, lags);
        const bool inRegulator = T != p.motorTimeConstant;
        commandWeight[i] = inRegulator ? command * lagWeight(T, lead, regulatorLags) : 0;
        if (!inRegulator)
            motorMode = i;
        if (!regulatorLags.empty() && T == regulatorLags.front())
            lagMode = i;
    }
    commandDirect = p.phaseAdvance ? 0 : p.amplifierGain;
    // The motor's state is read back from the speed through this weight, and the load acts on it.
    if (!(std::abs(speedWeight[motorMode]) > 0) || !std::isfinite(speedWeight[motorMode]))
        throw std::invalid_argument("Paramètres de la boucle invalides : la tension du moteur n'agit pas sur sa "
                                    "vitesse (gain nul, ou avance du régulateur égale à la constante du moteur).");
    motorShift = p.motorLoad * p.motorGain / speedWeight[motorMode];
}

double LoopDynamics::speed(const ModalState &state) const
{
    double sum = 0;
    for (int i = 0; i < modes; ++i)
        sum += speedWeight[i] * state[i];
    return sum;
}

double LoopDynamics::command(const ModalState &state, double comparator) const
{
    if (commandDirect != 0)
        return commandDirect * comparator;
    double sum = 0;
    for (int i = 0; i < modes; ++i)
        sum += commandWeight[i] * state[i];
    return sum;
}

double LoopDynamics::holdingComparator(const ModalState &state) const
{
    return state[motorMode] + motorShift;
}

ModalState LoopDynamics::rest(double comparator) const
{
    ModalState state{};
    for (int i = 0; i < modes; ++i)
        state[i] = comparator;
    state[motorMode] = comparator - motorShift;
    return state;
}

ModalState LoopDynamics::withSpeed(double speed, double regulatorInput) const
{
    ModalState state{};
    double others = 0;
    for (int i = 0; i < modes; ++i)
        if (i != motorMode) {
            state[i] = regulatorInput;
            others += speedWeight[i] * regulatorInput;
        }
    state[motorMode] = (speed - others) / speedWeight[motorMode];
    return state;
}

LoopDynamics::RegulatorHeld LoopDynamics::regulatorHeld(const ModalState &state) const
{
    // Each mode is the comparator through its own lag: the lag stage's is K times its mode.
    return {lagMode < 0 ? 0 : regulatorGain * state[std::size_t(lagMode)], command(state, 0)};
}

ModalState LoopDynamics::withRegulatorHeld(double speed, const RegulatorHeld &held) const
{
    if (lagMode < 0)
        return withSpeed(speed, held.command);
    ModalState state{};
    const auto lag = std::size_t(lagMode);
    state[lag] = held.lagStage / regulatorGain;
    // The filter's mode gives U with the lag's; a lead on the filter leaves U to the lag alone.
    std::size_t filter = lag;
    for (int i = 0; i < modes; ++i)
        if (i != motorMode && i != lagMode)
            filter = std::size_t(i);
    const double filterWeight = commandWeight[filter];
    const bool filterCounts = std::abs(filterWeight) > LagSeparation * std::abs(commandWeight[lag]);
    state[filter] = filterCounts ? (held.command - commandWeight[lag] * state[lag]) / filterWeight : state[lag];
    double others = 0;
    for (int i = 0; i < modes; ++i)
        if (i != motorMode)
            others += speedWeight[i] * state[i];
    state[motorMode] = (speed - others) / speedWeight[motorMode];
    return state;
}

Motion LoopDynamics::motion(const ModalState &state, double comparator) const
{
    return Motion(*this, state, comparator);
}

namespace {
ModalState offsetsFrom(const ModalState &state, const ModalState &target, int modes)
{
    ModalState offset{};
    for (int i = 0; i < modes; ++i)
        offset[i] = state[i] - target[i];
    return offset;
}
}

Motion::Motion(const LoopDynamics &d, const ModalState &state, double u)
    : dynamics(d), comparator(u), target(d.rest(u)), offset(offsetsFrom(state, target, d.modes)),
      finalSpeed(d.speed(target)), startSpeed(d.speed(state)),
      speedShape(finalSpeed, speedCoefficients(), d.rate, d.modes)
{
}

ExpSum::Terms Motion::speedCoefficients() const
{
    ExpSum::Terms c{};
    for (int i = 0; i < dynamics.modes; ++i)
        c[i] = dynamics.speedWeight[i] * offset[i];
    return c;
}

double Motion::speed(double t) const { return speedShape(t); }

double Motion::edgeRate(double t) const { return dynamics.edgesPerTurn * speedShape(t); }

double Motion::edges(double t) const
{
    double turns = 0;
    for (int i = 0; i < dynamics.modes; ++i) {
        const double w = dynamics.speedWeight[i], r = dynamics.rate[i];
        turns += w * (target[i] * t + offset[i] * risen(r * t) / r);
    }
    return dynamics.edgesPerTurn * turns;
}

double Motion::command(double t) const
{
    if (dynamics.commandDirect != 0)
        return dynamics.commandDirect * comparator;
    double sum = 0;
    for (int i = 0; i < dynamics.modes; ++i)
        sum += dynamics.commandWeight[i] * (target[i] + offset[i] * std::exp(-dynamics.rate[i] * t));
    return sum;
}

double Motion::commandIntegral(double t) const
{
    if (dynamics.commandDirect != 0)
        return dynamics.commandDirect * comparator * t;
    double sum = 0;
    for (int i = 0; i < dynamics.modes; ++i) {
        const double r = dynamics.rate[i];
        sum += dynamics.commandWeight[i] * (target[i] * t + offset[i] * risen(r * t) / r);
    }
    return sum;
}

CommandCurve Motion::commandCurve() const
{
    CommandCurve curve;
    if (dynamics.commandDirect != 0) {
        curve.direct = dynamics.commandDirect * comparator;
        return curve;
    }
    curve.modes = dynamics.modes;
    for (int i = 0; i < dynamics.modes; ++i) {
        curve.level[i] = dynamics.commandWeight[i] * target[i];
        curve.decay[i] = dynamics.commandWeight[i] * offset[i];
        curve.rate[i] = dynamics.rate[i];
    }
    return curve;
}

double CommandCurve::integral(double t) const
{
    if (modes == 0)
        return direct * t;
    double sum = 0;
    for (int i = 0; i < modes; ++i)
        sum += level[i] * t + decay[i] * risen(rate[i] * t) / rate[i];
    return sum;
}

ModalState Motion::state(double t) const
{
    ModalState s{};
    for (int i = 0; i < dynamics.modes; ++i)
        s[i] = target[i] + offset[i] * std::exp(-dynamics.rate[i] * t);
    return s;
}

std::optional<Crossing> Motion::crossingAtStart(double behind, double ahead) const
{
    double direction = speedShape(0);
    if (startSpeed == 0)
        direction = wayFromStandstill();
    else if (direction == 0)
        direction = speedShape.slope(0);
    if (ahead == 0 && direction > 0)
        return Crossing{0, true};
    if (behind == 0 && direction < 0)
        return Crossing{0, false};
    return std::nullopt;
}

// The speed's first derivative at the start that is more than the rounding of its terms: a
// shaft standing still goes the way it says. (From the shape, the final speed and the terms' sum
// may leave a rounding remainder where the state says the shaft stands still, and with the
// regulator the slope at a switching is such a remainder.)
double Motion::wayFromStandstill() const
{
    constexpr double Rounding = 64 * std::numeric_limits<double>::epsilon();
    const ExpSum::Terms c = speedCoefficients();
    double power[Modes];
    std::fill(power, power + Modes, 1.0);
    for (int order = 1; order <= dynamics.modes; ++order) {
        double sum = 0, size = 0;
        for (int i = 0; i < dynamics.modes; ++i) {
            power[i] *= -dynamics.rate[i];
            sum += c[i] * power[i];
            size += std::abs(c[i] * power[i]);
        }
        if (std::abs(sum) > Rounding * size)
            return sum;
    }
    return 0;
}

// On a stretch where the shaft turns one way only.
std::optional<Crossing> Motion::crossingWithin(double start, double end, double behind, double ahead) const
{
    const double atStart = edges(start), atEnd = edges(end);
    const bool forwards = atStart < ahead && atEnd >= ahead;
    if (!forwards && !(atStart > behind && atEnd <= behind))
        return std::nullopt;
    const double level = forwards ? ahead : behind;
    const double t = bracketedRoot([&](double x) { return std::pair(edges(x) - level, edgeRate(x)); }, start, end,
                                   atStart - level, atEnd - level);
    return Crossing{t, forwards};
}

std::optional<Crossing> Motion::firstCrossing(double length, double behind, double ahead) const
{
    if (auto now = crossingAtStart(behind, ahead))
        return now;
    // Bounds on the speed over the whole stretch: one sign means one way, one crossing at most.
    double lowest = finalSpeed, highest = finalSpeed;
    const ExpSum::Terms c = speedCoefficients();
    for (int i = 0; i < dynamics.modes; ++i) {
        const double late = c[i] * std::exp(-dynamics.rate[i] * length);
        lowest += std::min(c[i], late);
        highest += std::max(c[i], late);
    }
    if (lowest > 0 || highest < 0)
        return crossingWithin(0, length, behind, ahead);
    ExpSum::Terms turns{};
    const int turnCount = speedShape.signChanges(length, turns);
    double start = 0;
    for (int piece = 0; piece <= turnCount; ++piece) {
        const double end = piece < turnCount ? turns[piece] : length;
        if (auto crossing = crossingWithin(start, end, behind, ahead))
            return crossing;
        start = end;
    }
    return std::nullopt;
}

}

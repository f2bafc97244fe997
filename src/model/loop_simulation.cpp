#include "model/loop_simulation.h"

#include "model/operating_point.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace pllmodel {

namespace {
bool odd(long long n) { return (n & 1) != 0; }
}

LoopSimulation::LoopSimulation(SetpointProfile profile, const LoopParameters &p)
    : LoopSimulation(std::move(profile), p, ModalState{}, 0)
{
}

LoopSimulation::LoopSimulation(SetpointProfile profile, const LoopParameters &p, const ModalState &start,
                               double feedbackEdges)
    : parameters(p), dynamics(p), setpoint(std::move(profile)), state(start),
      feedbackEdge(static_cast<long long>(std::floor(feedbackEdges))),
      pastEdge(feedbackEdges - std::floor(feedbackEdges)),
      nextSetpointEdge(setpoint.timeOfCycles(0.5))
{
    restartLeadWatch();
}

LoopSimulation LoopSimulation::locked(SetpointProfile profile, const LoopParameters &p)
{
    const double frequency = profile.frequency(0);
    const FrequencyRange range = lockRange(p);
    if (!(frequency >= range.lowest && frequency <= range.highest))
        throw std::invalid_argument(
            "Pas de point de fonctionnement : la consigne sort de la plage de verrouillage.");
    const OperatingPoint op = operatingPoint(frequency, p);
    // Phase pi per feedback edge: the shaft starts that far behind the setpoint's first edge.
    return LoopSimulation(std::move(profile), p, steadyState(op.comparatorMean), -op.phaseError / std::numbers::pi);
}

double LoopSimulation::speed() const { return dynamics.speed(state); }
double LoopSimulation::radarSpeed() const { return speed() * parameters.reducerRatio; }
double LoopSimulation::command() const { return dynamics.command(state); }
double LoopSimulation::setpointFrequency() const { return setpoint.frequency(now); }

double LoopSimulation::comparatorOutput() const
{
    return odd(setpointEdges) != odd(feedbackEdge) ? parameters.comparatorHigh : parameters.comparatorLow;
}

double LoopSimulation::shaftTurns() const
{
    return (static_cast<double>(feedbackEdge) + pastEdge) / parameters.edgesPerTurn();
}

double LoopSimulation::phaseError() const
{
    const double setpointPhase = 2 * std::numbers::pi * setpoint.cycles(now);
    return setpointPhase - std::numbers::pi * (static_cast<double>(feedbackEdge) + pastEdge);
}

void LoopSimulation::restartLeadWatch()
{
    leadLowest = leadHighest = edgeLead();
}

void LoopSimulation::watchLead()
{
    leadLowest = std::min(leadLowest, edgeLead());
    leadHighest = std::max(leadHighest, edgeLead());
}

void LoopSimulation::follow(const Motion &motion, double length)
{
    comparatorSum += comparatorOutput() * length;
    commandSum += motion.commandIntegral(length);
    // Rounding may leave the shaft a hair past an edge it was not found to reach; it is then
    // found at the very start of the next stretch.
    pastEdge = std::clamp(pastEdge + motion.edges(length), 0.0, 1.0);
    state = motion.state(length);
}

void LoopSimulation::passFeedbackEdge(bool forwards)
{
    feedbackEdge += forwards ? 1 : -1;
    pastEdge = forwards ? 0 : 1;
    watchLead();
}

void LoopSimulation::passSetpointEdge()
{
    ++setpointEdges;
    nextSetpointEdge = setpoint.timeOfCycles(0.5 * static_cast<double>(setpointEdges + 1));
    watchLead();
}

void LoopSimulation::advanceTo(double t)
{
    if (!(t >= now) || !std::isfinite(t))
        throw std::invalid_argument("Instant de simulation invalide : un instant fini, à venir, est attendu.");
    while (now < t) {
        const bool setpointEdgeFirst = nextSetpointEdge <= t;
        const double horizon = setpointEdgeFirst ? nextSetpointEdge : t;
        const double length = std::max(0.0, horizon - now);
        const Motion motion = dynamics.motion(state, comparatorOutput());
        const auto crossing = motion.firstCrossing(length, -pastEdge, 1 - pastEdge);
        if (crossing && crossing->time < length) {
            follow(motion, crossing->time);
            now = std::min(now + crossing->time, horizon);
            passFeedbackEdge(crossing->forwards);
            continue;
        }
        follow(motion, length);
        now = horizon;
        if (crossing)
            passFeedbackEdge(crossing->forwards);
        if (setpointEdgeFirst)
            passSetpointEdge();
    }
}

}

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
    : parameters(p), dynamics(p), setpoint(std::move(profile)), started(setpoint.start()), now(started),
      anchorTime(started), state(start), feedbackEdge(static_cast<long long>(std::floor(feedbackEdges))),
      pastEdge(feedbackEdges - std::floor(feedbackEdges)), nextSetpointEdge(setpoint.timeOfCycles(0.5)),
      lastEdgeTime(started)
{
    restartLeadWatch();
    startMotion();
}

LoopSimulation LoopSimulation::locked(SetpointProfile profile, const LoopParameters &p)
{
    const double frequency = profile.frequency(profile.start());
    const FrequencyRange range = lockRange(p);
    if (!(frequency >= range.lowest && frequency <= range.highest))
        throw std::invalid_argument(
            "Pas de point de fonctionnement : la consigne sort de la plage de verrouillage.");
    const OperatingPoint op = operatingPoint(frequency, p);
    // Phase pi per feedback edge: the shaft starts that far behind the setpoint's first edge.
    return LoopSimulation(std::move(profile), p, LoopDynamics(p).rest(op.comparatorMean),
                          -op.phaseError / std::numbers::pi);
}

ModalState LoopSimulation::stateNow() const
{
    return now == anchorTime ? state : motion->state(now - anchorTime);
}

double LoopSimulation::pastEdgeNow() const
{
    // Rounding may leave the shaft a hair past an edge it was not found to reach; it is then
    // found at the very start of the next stretch.
    if (now == anchorTime || chattering)
        return pastEdge;
    return std::clamp(pastEdge + motion->edges(now - anchorTime), 0.0, 1.0);
}

double LoopSimulation::speed() const { return dynamics.speed(stateNow()); }
double LoopSimulation::radarSpeed() const { return speed() * parameters.reducerRatio; }
double LoopSimulation::command() const { return dynamics.command(stateNow(), comparatorOutput()); }
double LoopSimulation::comparatorIntegral() const { return comparatorSum + level * (now - anchorTime); }
double LoopSimulation::commandIntegral() const
{
    return now == anchorTime ? commandSum : commandSum + motion->commandIntegral(now - anchorTime);
}
double LoopSimulation::setpointFrequency() const { return setpoint.frequency(now); }
double LoopSimulation::sensorFrequency() const { return speed() * parameters.sensorSteps; }
bool LoopSimulation::setpointHigh() const { return odd(setpointEdges); }
bool LoopSimulation::feedbackHigh() const { return odd(feedbackEdge); }

double LoopSimulation::comparatorOutput() const
{
    return setpointHigh() != feedbackHigh() ? parameters.comparatorHigh : parameters.comparatorLow;
}

double LoopSimulation::shaftTurns() const
{
    return (static_cast<double>(feedbackEdge) + pastEdgeNow()) / parameters.edgesPerTurn();
}

double LoopSimulation::phaseError() const
{
    const double setpointPhase = 2 * std::numbers::pi * setpoint.cycles(now);
    return setpointPhase - std::numbers::pi * (static_cast<double>(feedbackEdge) + pastEdgeNow());
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

void LoopSimulation::follow(double t)
{
    const double length = t - anchorTime;
    if (length > 0) {
        comparatorSum += level * length;
        commandSum += motion->commandIntegral(length);
        // Held on its edge, the shaft stays there.
        if (!chattering)
            pastEdge = std::clamp(pastEdge + motion->edges(length), 0.0, 1.0);
        state = motion->state(length);
    }
    anchorTime = t;
}

void LoopSimulation::startMotion()
{
    // Chattering, the comparator holds the motor still on average: it turns as under that voltage.
    level = chattering ? std::clamp(dynamics.holdingComparator(state), parameters.comparatorLow, parameters.comparatorHigh)
                       : comparatorOutput();
    motion = dynamics.motion(state, level);
    upcoming.reset();
    markCommand();
}

void LoopSimulation::anchorNow()
{
    follow(now);
    chattering = false;
    crossingsNow = 0;
}

void LoopSimulation::passFeedbackEdge(bool forwards)
{
    feedbackEdge += forwards ? 1 : -1;
    pastEdge = forwards ? 0 : 1;
    watchLead();
    edgePassed(false);
}

void LoopSimulation::passSetpointEdge()
{
    ++setpointEdges;
    nextSetpointEdge = setpoint.timeOfCycles(0.5 * static_cast<double>(setpointEdges + 1));
    watchLead();
    edgePassed(true);
}

void LoopSimulation::edgePassed(bool setpointEdge)
{
    lastEdgeTime = now;
    watchSlips();
    if (keptSpan <= 0)
        return;
    kept.push_back({now, setpointEdge, setpointEdge ? setpointHigh() : feedbackHigh(), comparatorSum});
    dropOldEdges();
}

// The phase error moves by pi at most between two edges, so looking at each one misses no turn.
void LoopSimulation::watchSlips()
{
    constexpr double Turn = 2 * std::numbers::pi;
    const double phase = phaseError();
    while (phase >= Turn * static_cast<double>(homeCycle + 1)) {
        ++homeCycle;
        ++slips;
        lastSlip = now;
    }
    while (phase <= Turn * static_cast<double>(homeCycle) - std::numbers::pi) {
        --homeCycle;
        ++slips;
        lastSlip = now;
    }
}

void LoopSimulation::dropOldEdges()
{
    while (kept.size() > MaxKeptEdges || (kept.size() > 1 && kept[1].time <= now - keptSpan))
        kept.pop_front();
}

void LoopSimulation::markCommand()
{
    // Many edges at one instant (a chattering shaft) leave one mark, the last.
    if (!commandMarks.empty() && commandMarks.back().time == anchorTime)
        commandMarks.pop_back();
    commandMarks.push_back({anchorTime, commandSum, motion->commandCurve()});
    while (commandMarks.size() > MaxKeptCurves || (commandMarks.size() > 1 && commandMarks[1].time <= now - keptSpan))
        commandMarks.pop_front();
}

void LoopSimulation::keepEdges(double seconds)
{
    if (!(seconds >= 0) || !std::isfinite(seconds))
        throw std::invalid_argument("Durée d'enregistrement invalide : un nombre fini, positif ou nul, est attendu.");
    keptSpan = seconds;
    if (keptSpan == 0)
        kept.clear();
    dropOldEdges();
}

double LoopSimulation::comparatorIntegralAt(double t) const
{
    // The comparator holds still between edges: its integral is linear from one kept edge to
    // the next, and from the last one on at the present output.
    const auto after = std::upper_bound(kept.begin(), kept.end(), t,
                                        [](double time, const EdgeRecord &edge) { return time < edge.time; });
    if (after == kept.end() || after == kept.begin())
        return comparatorIntegral() - level * (now - t);
    const EdgeRecord &before = *(after - 1);
    const double level = (after->comparatorIntegral - before.comparatorIntegral) / (after->time - before.time);
    return before.comparatorIntegral + level * (t - before.time);
}

namespace {
void checkSpan(double span)
{
    if (!(span >= 0))
        throw std::invalid_argument("Durée de moyenne invalide : un nombre positif ou nul est attendu.");
}
}

double LoopSimulation::knownSince() const
{
    return std::max(kept.empty() ? lastEdgeTime : kept.front().time, commandMarks.front().time);
}

double LoopSimulation::comparatorMean(double span) const
{
    checkSpan(span);
    const double from = std::max(now - span, knownSince());
    if (!(now > from))
        return comparatorOutput();
    return (comparatorIntegral() - comparatorIntegralAt(from)) / (now - from);
}

double LoopSimulation::commandMean(double span) const
{
    checkSpan(span);
    const double from = std::max(now - span, knownSince());
    if (!(now > from))
        return command();
    // The last mark at or before `from`: U follows its curve from there to `from`.
    const auto after = std::upper_bound(commandMarks.begin(), commandMarks.end(), from,
                                        [](double t, const CommandMark &mark) { return t < mark.time; });
    const CommandMark &mark = *(after - 1);
    return (commandIntegral() - (mark.integral + mark.curve.integral(from - mark.time))) / (now - from);
}

void LoopSimulation::changeSetpoint(std::vector<SetpointProfile::Point> points)
{
    SetpointProfile changed = SetpointProfile::resumed(now, setpoint.cycles(now), std::move(points));
    anchorNow();
    setpoint = std::move(changed);
    nextSetpointEdge = setpoint.timeOfCycles(0.5 * static_cast<double>(setpointEdges + 1));
    startMotion();
}

void LoopSimulation::stepSetpoint(double frequency)
{
    changeSetpoint({{now, frequency}});
}

void LoopSimulation::rampSetpoint(double frequency, double rate)
{
    if (!(rate > 0) || !std::isfinite(rate))
        throw std::invalid_argument("Vitesse de rampe invalide : un nombre fini, positif, de Hz/s est attendu.");
    if (!std::isfinite(frequency))  // checked again by the profile, but the end's instant needs it sound
        throw std::invalid_argument("Fréquence de consigne invalide : un nombre fini, positif ou nul, est attendu.");
    const double from = setpoint.frequency(now), end = now + std::abs(frequency - from) / rate;
    // A change too small to take any time at this instant's precision is a step.
    if (end > now)
        changeSetpoint({{now, from}, {end, frequency}});
    else
        changeSetpoint({{now, frequency}});
}

void LoopSimulation::setLoad(double volts)
{
    LoopParameters changed = parameters;
    changed.motorLoad = volts;
    LoopDynamics changedDynamics(changed);
    // The load moves only where the motor's lag heads: the state, speed and U carry on as they are.
    anchorNow();
    dynamics = changedDynamics;
    parameters = changed;
    startMotion();
}

void LoopSimulation::setPhaseAdvance(bool on)
{
    if (on == parameters.phaseAdvance)
        return;
    LoopParameters next = parameters;
    next.phaseAdvance = on;
    // Switched out, the regulator leaves no state behind.
    switchRegulator(next);
}

void LoopSimulation::setRegulator(double lead, double lag, double filter, double gain)
{
    if (!(lead >= 0 && lag > 0 && filter > 0 && gain > 0) || !std::isfinite(lead) || !std::isfinite(lag)
        || !std::isfinite(filter) || !std::isfinite(gain))
        throw std::invalid_argument("Régulateur invalide : des constantes de temps et un gain finis, positifs, "
                                    "sont attendus.");
    LoopParameters next = parameters;
    next.regulatorLead = lead;
    next.regulatorLag = lag;
    next.regulatorFilter = filter;
    next.regulatorGain = gain;
    if (!parameters.phaseAdvance) {
        // Out of the loop, it is only kept for when it is switched in.
        parameters = next;
        return;
    }
    // Retuned, the circuit keeps what it holds: U, the speed and the regulator's transient
    // carry on, so a loop retuned again and again runs as a loop with such a regulator.
    const LoopDynamics retuned(next);
    anchorNow();
    const LoopDynamics::RegulatorHeld held = dynamics.regulatorHeld(state);
    state = retuned.withRegulatorHeld(speed(), held);
    dynamics = retuned;
    parameters = next;
    startMotion();
}

void LoopSimulation::switchRegulator(const LoopParameters &changed)
{
    const LoopDynamics changedDynamics(changed);
    anchorNow();
    // Switched in, the regulator starts settled where it gives the U of now: U and the speed
    // carry on.
    state = changedDynamics.withSpeed(speed(), command() / changed.settledCommandGain());
    dynamics = changedDynamics;
    parameters = changed;
    startMotion();
}

const LoopSimulation::Event &LoopSimulation::nextEvent() const
{
    if (upcoming)
        return *upcoming;
    const double horizon = std::min(nextSetpointEdge, anchorTime + LongestStretch);
    const bool setpointEdge = nextSetpointEdge <= anchorTime + LongestStretch;
    const double length = std::max(0.0, horizon - anchorTime);
    Event event{horizon, false, false, setpointEdge};
    if (!chattering) {
        const auto crossing = motion->firstCrossing(length, -pastEdge, 1 - pastEdge);
        if (crossing && crossing->time < length)
            event = {std::min(anchorTime + crossing->time, horizon), true, crossing->forwards, false};
        else if (crossing)
            event.feedback = true, event.forwards = crossing->forwards;
    }
    upcoming = event;
    return *upcoming;
}

void LoopSimulation::reach(Event event)
{
    const bool timeGoesOn = event.time > anchorTime;
    now = event.time;
    follow(event.time);
    crossingsNow = event.feedback && !timeGoesOn ? crossingsNow + 1 : 0;
    // Held on its edge until the setpoint's next one changes what the comparator says.
    chattering = crossingsNow > ChatterCrossings;
    if (chattering)
        crossingsNow = 0;
    if (event.feedback)
        passFeedbackEdge(event.forwards);
    if (event.setpointEdge)
        passSetpointEdge();
    startMotion();
}

void LoopSimulation::advanceTo(double t)
{
    if (!(t >= now) || !std::isfinite(t))
        throw std::invalid_argument("Instant de simulation invalide : un instant fini, à venir, est attendu.");
    while (nextEvent().time <= t)
        reach(nextEvent());
    now = t;
    dropOldEdges();
}

}

#pragma once
// The whole loop simulated in time, one comparator switching to the next. Between switchings the
// comparator output holds still and the rest of the loop follows its closed form (Motion). The
// switchings are the setpoint's edges, known in advance, and the feedback's, found where the
// shaft crosses a multiple of 1/200 turn. Nothing is sampled and no time step is chosen.
#include "model/loop_dynamics.h"
#include "model/setpoint_profile.h"

#include <cstddef>
#include <deque>
#include <limits>
#include <vector>

namespace pllmodel {

// One edge of either square, as an oscilloscope draws it.
struct EdgeRecord
{
    double time;                // s
    bool setpoint;              // the setpoint's square, or else the feedback's
    bool high;                  // that square's level just after the edge
    double comparatorIntegral;  // V s, since time 0, at the edge
};

class LoopSimulation
{
public:
    // The loop at rest at the setpoint's start (time 0 unless the setpoint starts later): motor
    // stopped, both squares low. Its integrals and slips are counted from then.
    explicit LoopSimulation(SetpointProfile setpoint, const LoopParameters &parameters = Radar);
    // Locked at the setpoint's start on its frequency then: every signal at its operating-point
    // mean, the feedback behind by the operating point's phase error. Throws
    // std::invalid_argument if that frequency lies outside lockRange().
    static LoopSimulation locked(SetpointProfile setpoint, const LoopParameters &parameters = Radar);

    // Runs on to instant t, finite and not before time(); throws std::invalid_argument otherwise.
    void advanceTo(double t);

    // Changes from now on, for a loop run live. The setpoint's square keeps its phase through
    // each: no edge is lost or added at a change. Anything invalid throws std::invalid_argument
    // and changes nothing.
    // The setpoint jumps to `frequency` Hz (finite, 0 or more; at 0 the square stops switching).
    void stepSetpoint(double frequency);
    // The setpoint runs linearly from its present frequency to `frequency` Hz at `rate` Hz per
    // second (finite, above 0), then holds.
    void rampSetpoint(double frequency, double rate);
    // A resisting torque of `volts` (finite; below 0 it drives the motor on).
    void setLoad(double volts);
    // The phase-advance regulator in or out. The speed carries on; switched in, the regulator
    // starts settled on the comparator output, so U carries on too; switched out, U becomes the
    // amplified comparator output at once.
    void setPhaseAdvance(bool on);
    // The regulator's lead, lag and filter time constants (s) and static gain: lead 0 or more,
    // the others above 0, all finite. In the loop, it starts settled where it gives the U of now,
    // so U and the speed carry on; out of it, it is kept for when it is switched in.
    void setRegulator(double lead, double lag, double filter, double gain);
    const LoopParameters &loopParameters() const { return parameters; }

    double time() const { return now; }
    double startTime() const { return started; }
    double speed() const;             // motor shaft, turns per second
    double radarSpeed() const;        // after the reducer, turns per second
    double command() const;           // motor voltage U
    double comparatorOutput() const;  // V
    double setpointFrequency() const;
    // The feedback square's frequency now, Hz: below 0 while the shaft turns backwards.
    double sensorFrequency() const;
    bool setpointHigh() const;
    bool feedbackHigh() const;
    double shaftTurns() const;
    double radarTurns() const { return shaftTurns() * parameters.reducerRatio; }
    // Setpoint phase less feedback phase, in radians, counted on from time 0 without wrapping:
    // a slipped cycle adds 2 pi.
    double phaseError() const;
    // Integrals since the start, for exact means over any stretch.
    double comparatorIntegral() const { return comparatorSum; }  // V s
    double commandIntegral() const { return commandSum; }        // V s

    // Setpoint edges less feedback edges since time 0. A locked loop keeps it on two neighbouring
    // values (one edge of each per half period); a slipped cycle moves it on by two.
    long long edgeLead() const { return setpointEdges - feedbackEdge; }
    // The spread of edgeLead() since the last restartLeadWatch(): 1 or less while locked.
    long long leadSpread() const { return leadHighest - leadLowest; }
    void restartLeadWatch();

    // Cycles slipped since time 0, either way, and when the last one was (-infinity if none).
    // A slip is counted once the phase error leaves its home turn by a whole turn forwards or
    // half a turn backwards, then the home turn follows it: a lock near 0 or pi never counts.
    long long cycleSlips() const { return slips; }
    double lastSlipTime() const { return lastSlip; }

    // Keeps the edges of the last `seconds` of loop time (finite, 0 or more; 0, the default,
    // keeps none), with the newest before them, which gives the levels at the window's start;
    // never more than MaxKeptEdges, the oldest dropped first. A fast shaft under a slow
    // setpoint makes many feedback edges: the cap bounds the memory whatever the window. The
    // motor voltage's course is kept over the same window, never more than MaxKeptCurves.
    void keepEdges(double seconds);
    static constexpr std::size_t MaxKeptEdges = 8192;
    static constexpr std::size_t MaxKeptCurves = 4096;
    const std::deque<EdgeRecord> &recentEdges() const { return kept; }
    // The comparator output's exact mean over the last `span` seconds (0 or more, else
    // std::invalid_argument), cut down to what is known: since the start, since the oldest kept
    // edge (the last edge if none is kept) and U's oldest kept mark. With nothing left to average,
    // the output now.
    double comparatorMean(double span) const;
    // The motor voltage's exact mean over the last `span` seconds, cut down as comparatorMean's;
    // the two always cover the same stretch.
    double commandMean(double span) const;

private:
    LoopSimulation(SetpointProfile setpoint, const LoopParameters &parameters, const ModalState &state,
                   double feedbackEdges);
    void follow(const Motion &motion, double length);
    void passFeedbackEdge(bool forwards);
    void passSetpointEdge();
    void watchLead();
    void edgePassed(bool setpointEdge);
    void watchSlips();
    void dropOldEdges();
    // From now on U follows this motion's curve, until the next edge or change.
    void markCommand(const Motion &motion);
    void changeSetpoint(std::vector<SetpointProfile::Point> points);
    void changeRegulator(const LoopParameters &next);
    double comparatorIntegralAt(double t) const;
    // Where the means can look back to: the oldest kept edge (the last edge if none is kept),
    // and the oldest mark of U's course.
    double knownSince() const;

    LoopParameters parameters;
    LoopDynamics dynamics;
    SetpointProfile setpoint;
    double started = 0;
    double now = 0;
    ModalState state{};
    long long feedbackEdge = 0;   // the last feedback edge the shaft has passed
    double pastEdge = 0;          // how far past it, in edges: 0 to 1
    long long setpointEdges = 0;
    double nextSetpointEdge;
    double comparatorSum = 0, commandSum = 0;
    long long leadLowest = 0, leadHighest = 0;
    long long homeCycle = 0, slips = 0;
    double lastSlip = -std::numeric_limits<double>::infinity();
    double keptSpan = 0;
    std::deque<EdgeRecord> kept;
    double lastEdgeTime = 0;
    // U's course since each edge or change, the newest last: always at least the latest.
    struct CommandMark { double time, integral; CommandCurve curve; };
    std::deque<CommandMark> commandMarks;
    bool commandMarkDue = true;  // an edge or a change since the last mark
};

}

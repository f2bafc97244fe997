#pragma once
// The whole loop simulated in time, one comparator switching to the next. Between switchings the
// comparator output holds still and the rest of the loop follows its closed form (Motion). The
// switchings are the setpoint's edges, known in advance, and the feedback's, found where the
// shaft crosses a multiple of 1/200 turn. Nothing is sampled and no time step is chosen.
//
// The loop's course is worked out from one switching or change to the next, never from where it
// was last looked at: a run is the same, to the last bit, whatever instants it is looked at, so
// a run played again at another pace, or written out as a table, is the very run first seen.
// Slipping, the loop is sensitive enough that a difference in the last bit would show.
#include "model/loop_dynamics.h"
#include "model/setpoint_profile.h"

#include <cstddef>
#include <deque>
#include <limits>
#include <optional>
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
    // the others above 0, all finite. In the loop, its circuit keeps what it holds (its lag
    // stage and U: LoopDynamics::RegulatorHeld), so U, the speed and the regulator's transient
    // carry on; out of it, it is kept for when it is switched in.
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
    double comparatorIntegral() const;  // V s
    double commandIntegral() const;     // V s

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
    void passFeedbackEdge(bool forwards);
    void passSetpointEdge();
    void watchLead();
    void edgePassed(bool setpointEdge);
    void watchSlips();
    void dropOldEdges();
    // From the anchor on U follows the motion's curve, until the next edge or change.
    void markCommand();
    void changeSetpoint(std::vector<SetpointProfile::Point> points);
    void switchRegulator(const LoopParameters &next);
    double comparatorIntegralAt(double t) const;
    // Past so many feedback edges at one instant the shaft is chattering on one.
    static constexpr int ChatterCrossings = 4;
    // The longest stretch followed in one piece when nothing switches (a setpoint of 0 Hz).
    static constexpr double LongestStretch = 0.05;  // s
    // What next changes the loop's course: a feedback edge, the setpoint's edge, both, or the
    // end of the longest stretch.
    struct Event { double time; bool feedback, forwards, setpointEdge; };
    const Event &nextEvent() const;
    void reach(Event event);
    // The loop's course from here is another: the anchor moves to now.
    void anchorNow();
    // Moves the anchor along its motion to `t`.
    void follow(double t);
    // The motion from the anchor on; U's curve marked there.
    void startMotion();
    ModalState stateNow() const;
    double pastEdgeNow() const;
    // Where the means can look back to: the oldest kept edge (the last edge if none is kept),
    // and the oldest mark of U's course.
    double knownSince() const;

    LoopParameters parameters;
    LoopDynamics dynamics;
    SetpointProfile setpoint;
    double started = 0;
    double now = 0;
    // The anchor: the last switching or change, from which the loop's course has a closed form.
    // What the loop was then; looking at it later leaves it as it is.
    double anchorTime = 0;
    ModalState state{};
    long long feedbackEdge = 0;   // the last feedback edge the shaft has passed
    double pastEdge = 0;          // how far past it, in edges: 0 to 1
    double comparatorSum = 0, commandSum = 0;
    double level = 0;             // the comparator voltage the motion holds
    std::optional<Motion> motion;
    mutable std::optional<Event> upcoming;
    int crossingsNow = 0;         // feedback edges passed back and forth without time going on
    bool chattering = false;      // the shaft held on an edge until the setpoint's next one
    long long setpointEdges = 0;
    double nextSetpointEdge;
    long long leadLowest = 0, leadHighest = 0;
    long long homeCycle = 0, slips = 0;
    double lastSlip = -std::numeric_limits<double>::infinity();
    double keptSpan = 0;
    std::deque<EdgeRecord> kept;
    double lastEdgeTime = 0;
    // U's course since each anchor, the newest last: always at least the latest.
    struct CommandMark { double time, integral; CommandCurve curve; };
    std::deque<CommandMark> commandMarks;
};

}

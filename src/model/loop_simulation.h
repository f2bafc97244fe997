#pragma once
// The whole loop simulated in time, one comparator switching to the next. Between switchings the
// comparator output holds still and the rest of the loop follows its closed form (Motion). The
// switchings are the setpoint's edges, known in advance, and the feedback's, found where the
// shaft crosses a multiple of 1/200 turn. Nothing is sampled and no time step is chosen.
#include "model/loop_dynamics.h"
#include "model/setpoint_profile.h"

namespace pllmodel {

class LoopSimulation
{
public:
    // The loop at rest at time 0: motor stopped, both squares low.
    explicit LoopSimulation(SetpointProfile setpoint, const LoopParameters &parameters = Radar);
    // Locked at time 0 on the setpoint's frequency then: every signal at its operating-point
    // mean, the feedback behind by the operating point's phase error. Throws
    // std::invalid_argument if that frequency lies outside lockRange().
    static LoopSimulation locked(SetpointProfile setpoint, const LoopParameters &parameters = Radar);

    // Runs on to instant t, finite and not before time(); throws std::invalid_argument otherwise.
    void advanceTo(double t);

    double time() const { return now; }
    double speed() const;             // motor shaft, turns per second
    double radarSpeed() const;        // after the reducer, turns per second
    double command() const;           // motor voltage U
    double comparatorOutput() const;  // V
    double setpointFrequency() const;
    double shaftTurns() const;
    // Setpoint phase less feedback phase, in radians, counted on from time 0 without wrapping:
    // a slipped cycle adds 2 pi.
    double phaseError() const;
    // Integrals since time 0, for exact means over any stretch.
    double comparatorIntegral() const { return comparatorSum; }  // V s
    double commandIntegral() const { return commandSum; }        // V s

    // Setpoint edges less feedback edges since time 0. A locked loop keeps it on two neighbouring
    // values (one edge of each per half period); a slipped cycle moves it on by two.
    long long edgeLead() const { return setpointEdges - feedbackEdge; }
    // The spread of edgeLead() since the last restartLeadWatch(): 1 or less while locked.
    long long leadSpread() const { return leadHighest - leadLowest; }
    void restartLeadWatch();

private:
    LoopSimulation(SetpointProfile setpoint, const LoopParameters &parameters, const ModalState &state,
                   double feedbackEdges);
    void follow(const Motion &motion, double length);
    void passFeedbackEdge(bool forwards);
    void passSetpointEdge();
    void watchLead();

    LoopParameters parameters;
    LoopDynamics dynamics;
    SetpointProfile setpoint;
    double now = 0;
    ModalState state{};
    long long feedbackEdge = 0;   // the last feedback edge the shaft has passed
    double pastEdge = 0;          // how far past it, in edges: 0 to 1
    long long setpointEdges = 0;
    double nextSetpointEdge;
    double comparatorSum = 0, commandSum = 0;
    long long leadLowest = 0, leadHighest = 0;
};

}

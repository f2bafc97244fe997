#pragma once
// The loop's linear part after the comparator (regulator, amplifier, motor, and the shaft angle
// the sensor reads) in modal form: first-order lags of the comparator output with real, known
// rates, three with the phase-advance regulator, the motor's alone without it. While the
// comparator output holds still every signal has a closed form, Motion.
#include "model/exp_sum.h"
#include "model/loop_parameters.h"

#include <array>
#include <optional>

namespace pllmodel {

constexpr int Modes = ExpSum::MaxTerms;
// Each lag's output, in volts; those past LoopDynamics::modeCount() stay 0.
using ModalState = std::array<double, Modes>;

// Every lag at v: the loop has long had v at its input.
inline ModalState steadyState(double v)
{
    ModalState state;
    state.fill(v);
    return state;
}

// Where the shaft next crosses a feedback edge: after `time`, forwards or backwards.
struct Crossing { double time; bool forwards; };

class Motion;

// The motor voltage U from an instant on, while the comparator holds still, kept small: its
// integral in closed form, for a mean over a stretch that began in the past.
struct CommandCurve
{
    double direct = 0;  // V: U itself, without the regulator (it follows the comparator at once)
    ExpSum::Terms level{}, decay{}, rate{};  // each lag's part: V, V, 1/s
    int modes = 0;

    double integral(double t) const;  // V s, from the curve's start
};

class LoopDynamics
{
public:
    // Throws std::invalid_argument unless the time constants in use are positive, the gains and
    // the load finite and the motor's lag weighs on the speed. Lags closer than LagSeparation
    // (relative) are moved apart, as is a lead on the motor's lag.
    static constexpr double LagSeparation = 1e-3;
    explicit LoopDynamics(const LoopParameters &parameters);

    int modeCount() const { return modes; }
    double speed(const ModalState &state) const;  // motor shaft, turns per second
    // Motor voltage U, the comparator output at `comparator` volts: without the regulator U
    // follows it at once.
    double command(const ModalState &state, double comparator) const;
    // Every lag settled with the comparator long held at `comparator` volts, under the load.
    ModalState rest(double comparator) const;
    // The regulator settled with `regulatorInput` volts long at its input, the motor turning at
    // `speed` turns per second: how the loop stands when the regulator is switched in.
    ModalState withSpeed(double speed, double regulatorInput) const;
    // What the regulator's circuit holds, as a lead-lag stage K (1 + lead p) / (1 + lag p) and a
    // filter 1 / (1 + filter p) in series hold it: the comparator through K / (1 + lag p), and U,
    // the filter's output. Retuned, a circuit keeps these, so U carries on and the regulator's
    // transient with it; only with the regulator in the loop.
    struct RegulatorHeld { double lagStage, command; };
    RegulatorHeld regulatorHeld(const ModalState &state) const;
    // The loop with the regulator's circuit holding `held` and the motor turning at `speed`.
    ModalState withRegulatorHeld(double speed, const RegulatorHeld &held) const;
    // The comparator voltage that holds the motor's lag where it is. Without the regulator a
    // shaft at rest on a feedback edge can chatter there, the comparator switching ever faster
    // (the speed's slope then follows the comparator at once); the motor then turns as under this
    // steady voltage. With the regulator the slope does not jump at a switching: no chatter.
    double holdingComparator(const ModalState &state) const;
    // From `state` on, with the comparator output held at `comparator` volts.
    Motion motion(const ModalState &state, double comparator) const;

private:
    friend class Motion;

// The motor voltage U from an instant on, while the comparator holds still, kept small: its
// integral in closed form, for a mean over a stretch that began in the past.
struct CommandCurve
{
    double direct = 0;  // V: U itself, without the regulator (it follows the comparator at once)
    ExpSum::Terms level{}, decay{}, rate{};  // each lag's part: V, V, 1/s
    int modes = 0;

    double integral(double t) const;  // V s, from the curve's start
};
    int modes;
    int motorMode;                 // the motor's lag among the modes
    int lagMode = -1;              // the regulator's lag stage among them, with the regulator
    double regulatorGain = 1;
    ExpSum::Terms rate{};          // 1/s, ascending: motor, regulator lag, regulator filter
    ExpSum::Terms speedWeight{};   // turns per second per volt of each lag
    ExpSum::Terms commandWeight{}; // volts of U per volt of each lag
    double commandDirect;          // volts of U per comparator volt, without the regulator
    // The load moves the motor lag's input down by this much (V): the speed then settles
    // motorGain x load lower.
    double motorShift;
    double edgesPerTurn;
};

class Motion
{
public:
    Motion(const LoopDynamics &dynamics, const ModalState &state, double comparator);

    double speed(double t) const;
    double command(double t) const;
    // Feedback edges turned through since the start (two per encoder step), signed.
    double edges(double t) const;
    double commandIntegral(double t) const;  // V s
    CommandCurve commandCurve() const;
    ModalState state(double t) const;

    // The first instant in [0, length] at which `edges` reaches `ahead` (>= 0) or `behind` (<= 0);
    // at 0 only when the shaft is there and moving on past it. Exact to the last bits.
    std::optional<Crossing> firstCrossing(double length, double behind, double ahead) const;

private:
    double edgeRate(double t) const;  // d edges / dt
    std::optional<Crossing> crossingAtStart(double behind, double ahead) const;
    double wayFromStandstill() const;
    std::optional<Crossing> crossingWithin(double start, double end, double behind, double ahead) const;

    ExpSum::Terms speedCoefficients() const;

    LoopDynamics dynamics;  // a copy: a Motion may outlive the loop it came from
    double comparator;
    ModalState target;  // each lag's final value: the comparator output, the motor's less the load
    ModalState offset;  // each lag's distance from its final value
    double finalSpeed;
    double startSpeed;
    ExpSum speedShape;  // speed(t): the final speed plus decaying terms
};

}

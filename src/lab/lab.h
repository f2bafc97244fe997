#pragma once
// The lab: the loop's own simulation run live under the student's settings, and what the
// page's displays keep of the run (the recorder's window, the operating point's trail). A
// value: the playback keeps copies of it to go back a frame.
#include "model/loop_simulation.h"
#include "pages/lab/lab_command.h"
#include "pages/lab/recorder.h"
#include "pages/lab/step_response.h"

#include <QPointF>
#include <QString>
#include <array>
#include <deque>
#include <cstdint>
#include <memory>
#include <vector>

struct LabSettings
{
    int setpoint = 1000;  // Hz
    bool ramp = false;    // a new setpoint as a ramp, not a step
    int slope = 157;      // Hz/s, the speed-change topic's rate
    bool corrector = true;
    int loadTenths = 0;   // tenths of a volt taken from the motor's input
    int slowMotion = 0;   // index in SlowMotionFactors
    int tickMs = 20;      // the timer's period, as the scroll bar sets it
    // The regulator, in tenths of a millisecond and hundredths: the course's values.
    int lead = 250, lag = 25, filter = 8;
    int gain = 100;
    bool frequencyView = false;  // the displays show the open loop's frequency response

    bool operator==(const LabSettings &) const = default;
};

// A number as French writes it, with a decimal comma; one that rounds to nothing loses its sign.
QString frenchDecimal(double value, int places);

// Loop time per second of the clock, by "Ralenti" choice.
inline constexpr std::array<double, 4> SlowMotionFactors{1, 0.1, 0.01, 0.001};

// What the page writes and the screen reader reads, as shown.
struct LabReadouts
{
    bool locked;
    QString lock, slips, setpoint, speed, phase, comparator, command, time;
    QString overshoot, settling;
};

// A student's action at an instant of loop time.
struct TimedCommand
{
    double time;
    LabCommand command;
};

// A run since a start, as the student made it: the settings at the start, how it started, and
// the actions after it. Run again, it gives the same loop.
struct LabScenario
{
    LabSettings settings;
    bool locked = false;
    std::vector<TimedCommand> commands;
};

// A response the student kept, drawn in grey under the next ones.
struct KeptResponse
{
    std::vector<float> curve;  // the speed, tr/s, evenly spaced
    double offset, spacing;    // the first point's time after its action, the spacing (s)
    QString label;             // the settings it was measured under
};

class Lab
{
public:
    // Limits of the settings, as the controls offer them.
    static constexpr int MaxSetpoint = 3000, SetpointStep = 10;
    static constexpr int MinSlope = 1, MaxSlope = 10000;
    static constexpr int MaxLoadTenths = 20;
    static constexpr int MinTickMs = 1, MaxTickMs = 100;
    // Locked: no cycle slipped over this much loop time.
    static constexpr double LockWatch = 0.5;  // s
    // The recorder's window at real time, shrunk by the slow-motion factor.
    static constexpr double RecorderSpan = 5;  // s
    // The oscilloscope shows two setpoint periods, never more than this.
    static constexpr double LongestScope = 0.2;  // s
    static constexpr int TrailLength = 12;
    // The regulator's settings: time constants in tenths of a millisecond, gain in hundredths.
    static constexpr double TimeConstantUnit = 1e-4;  // s
    static constexpr int MinTimeConstant = 1, MaxTimeConstant = 10000;
    static constexpr double GainUnit = 0.01;
    static constexpr int MinGain = 10, MaxGain = 1000;
    static constexpr int MaxKeptResponses = 3;
    // The response's measures look at the speed this often, in loop time.
    static constexpr double MeasureSpacing = 1e-3;  // s

    Lab();

    // "Démarrer Animation": the settings at start, the loop at rest.
    void reset();
    // A run with these settings, from rest or locked, as a start button gives it.
    void startWith(const LabSettings &settings, bool locked);
    // A student's action, its value brought into the control's range.
    void apply(const LabCommand &command);
    // One tick: loop time moves on by the tick's period times the slow-motion factor.
    void advance();

    // The loop alone on to loop time t, nothing kept for the displays: for a run with none.
    void runLoopTo(double t);

    const LabSettings &settings() const { return m_settings; }
    // The loop's parameters under the settings.
    pllmodel::LoopParameters parameters() const;
    // The run since the last start, to run again.
    LabScenario scenario() const;
    const StepResponse &response() const { return m_response; }
    const std::vector<KeptResponse> &keptResponses() const { return m_kept; }
    const pllmodel::LoopSimulation &loop() const { return m_loop; }
    const Recorder &recorder() const { return m_recorder; }
    // The comparator's operating point (phase error folded into a turn, mean output), newest last.
    const std::array<QPointF, TrailLength> &trail() const { return m_trail; }
    int trailSize() const { return m_trailSize; }
    // Why the last "Départ verrouillé" started from rest; empty otherwise.
    const QString &message() const { return m_message; }

    double slowMotion() const { return SlowMotionFactors[std::size_t(m_settings.slowMotion)]; }
    // Loop time one tick covers.
    double tickSpan() const { return m_settings.tickMs * 1e-3 * slowMotion(); }
    // The oscilloscope's window: two setpoint periods.
    double scopeSpan() const;
    bool isLocked() const;
    // Phase error folded into [0, 2 pi): the slips are counted apart.
    double foldedPhaseError() const;
    // The comparator's output averaged over the last setpoint period.
    double comparatorMean() const;
    // The motor voltage averaged over the last setpoint period: exactly that while a tick covers
    // a period, over up to a tick more in slow motion.
    double commandMean() const;
    LabReadouts readouts() const;

private:
    void start(bool locked);
    void changeSetpoint();
    void changeRegulator();
    // A new response to measure from now, the speed heading for `target`.
    void beginResponse(double target);
    void log(const LabCommand &command);
    void keepResponse();
    QString regulatorLabel() const;
    // Runs the loop on to t, measuring the response on the way.
    void advanceMeasuring(double t);
    void sample();
    void remember();
    // Runs the loop on to t and notes the motor voltage's integral there.
    void advanceAndMark(double t);
    // What the means are taken over: a setpoint period.
    double meanSpan() const;

    LabSettings m_settings;
    pllmodel::LoopSimulation m_loop;
    bool m_startedLocked = false;
    QString m_message;
    Recorder m_recorder;
    std::array<QPointF, TrailLength> m_trail{};
    int m_trailSize = 0;
    struct CommandMark { double time, integral; };
    static constexpr std::size_t MaxMarks = 4096;
    std::deque<CommandMark> m_commandMarks;
    StepResponse m_response;
    double m_nextMeasure = 0;
    std::vector<KeptResponse> m_kept;
    // The run's actions: shared by the copies the playback keeps, each reading its own first
    // m_logSize; one that acts after going back writes a copy of its own.
    bool m_startLocked = false;
    LabSettings m_startSettings;
    std::shared_ptr<std::vector<TimedCommand>> m_log;
    std::size_t m_logSize = 0;
};

#pragma once
// The lab: the loop's own simulation run live under the student's settings, and what the
// page's displays keep of the run (the recorder's window, the operating point's trail). A
// value: the playback keeps copies of it to go back a frame.
#include "model/loop_simulation.h"
#include "pages/lab/lab_command.h"
#include "pages/lab/recorder.h"

#include <QPointF>
#include <QString>
#include <array>
#include <deque>
#include <cstdint>

struct LabSettings
{
    int setpoint = 1000;  // Hz
    bool ramp = false;    // a new setpoint as a ramp, not a step
    int slope = 157;      // Hz/s, the speed-change topic's rate
    bool corrector = true;
    int loadTenths = 0;   // tenths of a volt taken from the motor's input
    int slowMotion = 0;   // index in SlowMotionFactors
    int tickMs = 20;      // the timer's period, as the scroll bar sets it

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

    Lab();

    // "Démarrer Animation": the settings at start, the loop at rest.
    void reset();
    // A student's action, its value brought into the control's range.
    void apply(const LabCommand &command);
    // One tick: loop time moves on by the tick's period times the slow-motion factor.
    void advance();

    const LabSettings &settings() const { return m_settings; }
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
    pllmodel::LoopParameters parameters() const;
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
};

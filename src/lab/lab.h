#pragma once
// The lab's engine: the loop's own simulation playing a run (its actions when loop time reaches
// them, the student's as they come), and what the displays keep of it: the recorder's paper,
// the operating point's trail, the response to the last action and the responses kept. A value:
// the playback keeps copies of it to go back a frame. No widget, no drawing, no text.
#include "lab/experiment.h"
#include "lab/lab_run.h"
#include "lab/recorder.h"
#include "lab/step_response.h"
#include "model/loop_simulation.h"

#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

// Loop time per second of the clock, by "Ralenti" choice.
inline constexpr std::array<double, 4> SlowMotionFactors{1, 0.1, 0.01, 0.001};

// How fast the lab's loop time goes by: the timer's period, as the scroll bar sets it, and the
// slow-motion factor's index. Not the loop's: a run is the same loop at any pace.
// The recorder's time bases (s of the clock: slowed down, the paper spans as much less loop
// time), by "Base de temps" choice; the shorter ones are swept from the student's action on.
inline constexpr std::array<double, 4> RecorderBases{0.05, 0.2, 1, 5};
inline constexpr int SweptBases = 2;

struct LabPace
{
    static constexpr int MinTickMs = 1, MaxTickMs = 100;
    int tickMs = 20;
    int slowMotion = 0;
    int timeBase = int(RecorderBases.size()) - 1;
    bool operator==(const LabPace &) const = default;
};

// A response the student kept, drawn in grey under the next ones.
struct KeptResponse
{
    std::vector<float> curve;  // the speed, tr/s, evenly spaced
    double offset, spacing;    // the first point's time after its action, the spacing (s)
    LabSettings settings;      // what it was measured under
};

// The comparator's operating point: the phase error folded into a turn, the mean output.
struct TrailPoint { double phase, volts; };

// The motor's mean speed over the last two stretches of SpeedTrend::Stretch since the last
// action, the newer last (tr/s): whether it still heads somewhere.
struct SpeedTrend
{
    static constexpr double Stretch = 0.25;  // s
    double before, now;
};

// A locked start the loop could not make, so it started from rest: when, and the setpoint.
struct LockRefusal { double at; int setpoint; };

class Lab
{
public:
    // Locked: no cycle slipped over this much loop time.
    static constexpr double LockWatch = 0.5;  // s
    // The recorder's window at real time, shrunk by the slow-motion factor.
    // The oscilloscope shows two setpoint periods, never more than this.
    static constexpr double LongestScope = 0.2;  // s
    static constexpr int TrailLength = 12;
    static constexpr int MaxKeptResponses = 3;
    // The response's measures look at the speed this often, in loop time.
    static constexpr double MeasureSpacing = 1e-3;  // s
    static constexpr std::size_t AllDue = std::numeric_limits<std::size_t>::max();

    Lab();

    // "Démarrer Animation": the course's settings, the loop at rest, nothing kept.
    void reset();
    // An experiment from its start: its run's actions come as loop time reaches them, and the
    // loop stops at its end, if it has one.
    void open(const Experiment &experiment);
    // A student's action now: kept in the run after what the run held for now, applied at once,
    // each value brought into its control's range.
    void act(const LabChange &change);
    // The student's actions after this instant belong to a history a new one replaces.
    void forgetActionsAhead();
    void setPace(const LabPace &pace);
    // The next tick covers so many of the timer's periods, not one: the clock found it late.
    void coverPeriods(int periods);
    // The response since the last action kept in grey (the oldest giving way), or all let go.
    void keepResponse();
    void clearResponses();

    // One tick: loop time moves on by the tick's span, or to the run's end if it comes first.
    void advance();
    // The run alone on to loop time t, its actions up to t made on the way (those at t too),
    // nothing kept for the displays: for a measures table.
    void runTo(double t);

    // For the playback: the run's actions played so far, those due now played until so many
    // are, and the actions ahead of a later copy taken back to go forward again.
    std::size_t actionsPlayed() const { return m_givenPlayed + m_livePlayed; }
    void playDue(std::size_t upTo);
    void takeActionsAhead(const Lab &later);
    // The student made actions ahead of now, in a history gone back over.
    bool hasActionsAhead() const { return m_liveSize != m_livePlayed; }

    // The run so far: its start, its actions (ahead of now too, after going back) and its
    // title and text, with loop time now as its end.
    Experiment experiment() const;
    // The run to save: the actions due now made first, so that opened again and played to its
    // end it shows what is seen now.
    Experiment saved();
    const std::string &title() const { return m_title; }
    // The words shown over the displays, as a teacher rewrote them.
    void setStatement(std::string title, std::string text);
    const std::string &text() const { return m_text; }
    // At the end of an opened experiment (its "until"), where the loop waits a tick: it shows
    // what was seen when it was saved, the actions made at that instant included.
    bool atEnd() const { return m_waitedAtEnd && m_loop.time() == *m_until; }

    const LabSettings &settings() const { return m_settings; }
    const LabPace &pace() const { return m_pace; }
    const StepResponse &response() const { return m_response; }
    const std::vector<KeptResponse> &keptResponses() const { return m_kept; }
    const pllmodel::LoopSimulation &loop() const { return m_loop; }
    const Recorder &recorder() const { return m_recorder; }
    // The operating points of the last ticks, newest last.
    const std::array<TrailPoint, TrailLength> &trail() const { return m_trail; }
    int trailSize() const { return m_trailSize; }
    // The locked starts the run had to make from rest, and the setpoint of the latest start if
    // it was one of them.
    const std::vector<LockRefusal> &lockRefusals() const { return m_lockRefusals; }
    const std::optional<int> &unholdable() const { return m_unholdable; }
    // Once two stretches have passed since the last action.
    std::optional<SpeedTrend> speedTrend() const;
    // Whether the loop was locked when the last action came.
    bool lockedAtAction() const { return m_lockedAtAction; }

    double slowMotion() const { return SlowMotionFactors[std::size_t(m_pace.slowMotion)]; }
    // The loop time the recorder's paper spans.
    double recorderSpan() const { return RecorderBases[std::size_t(m_pace.timeBase)] * slowMotion(); }
    // Loop time one tick covers.
    double tickSpan() const { return m_pace.tickMs * 1e-3 * slowMotion(); }
    // The oscilloscope's window: two setpoint periods.
    double scopeSpan() const;
    bool isLocked() const;
    // Phase error folded into [0, 2 pi): the slips are counted apart.
    double foldedPhaseError() const;
    // The comparator's output and the motor voltage, averaged over the last setpoint period.
    double comparatorMean() const;
    double commandMean() const;

private:
    const LabAction *nextAction() const;
    // Plays the next action of the run.
    void playNext();
    // Plays the actions the run was given (opened from a file) that are due now.
    void playGivenDue();
    void apply(const LabChange &change);
    void start(LabStart how, double at);
    void changeSetpoint();
    void changeRegulator();
    // A fresh recorder paper from loop time `at`, at the pace's time base.
    void newPaper(double at);
    // A new response to `action` to measure from now, the speed heading from `from` to `target`.
    void beginResponse(StepResponse::Action action, double from, double target);
    double setpointSpeed(double frequency) const;
    // Runs the loop on to t, measuring the response on the way.
    void advanceMeasuring(double t);
    void sample();
    // The mean speed since the last measure, `turns` the shaft's now.
    double measuredSpeed(double turns) const;
    void watchTrend(double turns);
    void remember();
    // What the means are taken over: a setpoint period.
    double meanSpan() const;

    LabSettings m_settings;
    LabPace m_pace;
    int m_periods = 1;  // the timer's periods the next tick covers
    pllmodel::LoopSimulation m_loop;
    bool m_startedLocked = false;
    std::optional<int> m_unholdable;
    std::vector<LockRefusal> m_lockRefusals;
    Recorder m_recorder;
    std::array<TrailPoint, TrailLength> m_trail{};
    int m_trailSize = 0;
    StepResponse m_response;
    double m_nextMeasure = 0;
    // Where the shaft was at the last measure, for the mean speed since; none before a start's.
    std::optional<double> m_measuredAt;
    double m_measuredTurns = 0;
    // The stretch under way (its start, the shaft's turns then) and the stretches' mean speeds.
    double m_stretchStart = 0, m_stretchTurns = 0, m_stretchSetpoint = 0;
    int m_stretches = 0;
    bool m_lockedAtAction = false;
    SpeedTrend m_trend{};
    std::vector<KeptResponse> m_kept;

    // The run: how it started, its title and text, its end, and its actions. Those it was given
    // (a file's, the command line's) are shared by every copy; the student's since are shared
    // by the copies the playback keeps, each seeing its own first m_liveSize. One that acts
    // after going back writes a list of its own.
    LabStart m_runStart = LabStart::Rest;
    LabSettings m_runSettings;
    std::string m_title, m_text;
    std::optional<double> m_until;
    bool m_waitedAtEnd = false;
    std::shared_ptr<const std::vector<LabAction>> m_given;
    std::size_t m_givenPlayed = 0;
    std::shared_ptr<std::vector<LabAction>> m_live;
    std::size_t m_liveSize = 0, m_livePlayed = 0;
    // The first of the student's actions made once the loop waited at the end: though at the
    // end's instant, they come after the tick that reached it, also when it is played again.
    static constexpr std::size_t NoneAfterEnd = std::numeric_limits<std::size_t>::max();
    std::size_t m_firstLiveAfterEnd = NoneAfterEnd;
};

#pragma once
// Playback a teacher controls: pause, one frame forward, one frame back, over the frames drawn
// since the last command. A frame is what a tick draws when it moves the page state on (and the
// first tick after a command); the ticks of a page held still add none. Going back puts the
// stage and the page state back as a kept frame left them and replays the ticks from there with
// the pages' own tick, so the picture is exactly the one drawn then.
//
// The lab never ends: only its last frames are kept, enough to go back at least MinFramesBack.
// A student's action on the lab does not start a new history: going forward over the frame it
// came after plays it again. One that changes the loop is an action of the lab's run, which
// plays it when its loop time comes again; the others (the pace, the view, the kept responses)
// are kept here with that frame. An action after going back replaces what came after it. An
// opened experiment pauses at its end, the loop time it was saved at.
//
// Running, the lab keeps up with the clock given: a tick that comes late covers the timer periods
// gone by (tick_pacer.h), kept as a tick period action with its frame, so that going back and
// forward again plays the very same ticks. Going forward over a history kept ahead plays its
// periods as they were.
#include "pages/lab/lab_command.h"
#include "pages/page_state.h"
#include "pages/stage.h"
#include "playback/tick_pacer.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

class Playback
{
public:
    explicit Playback(Stage &stage) : m_stage(stage) { commandDone(); }

    // A command has just run: what it left is where going back stops. While paused, its page's
    // first frame is drawn at once, so the picture shows what the command chose.
    void commandDone();
    // A student's action on the lab: applied now and kept; while paused, the frame it leads to
    // is drawn at once, as after a command.
    void labAction(const LabCommand &command);
    // The same, without drawing a frame: a setting that only matters from the next tick on.
    void labSetting(const LabCommand &command);
    // The lab's tick period for the next tick: its own, or the one a kept action sets there when
    // going forward again over a frame.
    int labTickPeriodAhead() const;
    // Before the timer's tick, or a step forward: the lab's next tick at the scroll bar's period,
    // or, running at the head of its history, at as many of them as the clock says are due.
    void takeLabTickPeriod(int periodMs);
    // A steady clock in nanoseconds; without one, every tick covers one period.
    void setClock(std::function<std::int64_t()> nowNs) { m_clock = std::move(nowNs); }
    // The timer's tick: the next frame, unless paused.
    void tick();

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);
    // Draws the frame the timer would have drawn next.
    void stepForward() { runTick(); }
    // Back to the frame before this one; false, changing nothing, at the first frame kept.
    bool stepBack();
    bool canStepBack() const { return m_frames.size() > 1; }

    // One kept frame in so many bounds the replay of a step back.
    static constexpr std::size_t KeepEvery = 16;
    // The frames kept at most: every classic animation whole, the lab's latest.
    static constexpr std::size_t MaxKept = 24;
    static constexpr std::size_t MinFramesBack = (MaxKept - 1) * KeepEvery;

private:
    struct Kept
    {
        std::int64_t tick;
        std::int64_t frames;  // drawn since the command
        PageState state;
        Controls controls;
        Canvas::Snapshot canvas;
        Lab lab;
        LabView labView;
    };
    struct KeptAction
    {
        std::int64_t tick;         // applied after the tick that drew this frame
        std::size_t runActions;    // the lab's run actions played before it
        LabCommand command;
    };
    void runTick();
    void keep();
    // The actions kept after the current frame belong to a history the new one replaces.
    void record(const LabCommand &command);
    // Going forward now plays actions kept after going back, which a new one would replace.
    bool replaysAhead() const;

    Stage &m_stage;
    bool m_paused = false;
    std::int64_t m_ticks = 0;          // ticks since the command
    std::int64_t m_frameCount = 0;     // frames since the command
    std::deque<std::int64_t> m_frames; // the tick that drew each frame still reachable
    std::deque<Kept> m_kept;           // what the command left, then every KeepEvery-th frame
    std::vector<KeptAction> m_actions; // the lab's actions since the command kept here, in order
    std::size_t m_nextAction = 0;      // the first not yet played in this history
    std::function<std::int64_t()> m_clock;
    TickPacer m_pacer;
};

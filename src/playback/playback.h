#pragma once
// Playback a teacher controls: pause, one frame forward, one frame back, over the frames drawn
// since the last command. A frame is what a tick draws when it moves the page state on (and the
// first tick after a command); the ticks of a page held still add none. Going back puts the
// stage and the page state back as a kept frame left them and replays the ticks from there with
// the pages' own tick, so the picture is exactly the one drawn then.
#include "pages/page_state.h"
#include "pages/stage.h"

#include <cstdint>
#include <vector>

class Playback
{
public:
    explicit Playback(Stage &stage) : m_stage(stage) { commandDone(); }

    // A command has just run: what it left is where going back stops. While paused, its page's
    // first frame is drawn at once, so the picture shows what the command chose.
    void commandDone();
    // The timer's tick: the next frame, unless paused.
    void tick();

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }
    // Draws the frame the timer would have drawn next.
    void stepForward() { runTick(); }
    // Back to the frame before this one; false, changing nothing, at the first frame after the
    // command.
    bool stepBack();
    bool canStepBack() const { return m_frames.size() > 1; }

private:
    struct Kept
    {
        std::int64_t tick;
        PageState state;
        Controls controls;
        Canvas::Snapshot canvas;
    };
    void runTick();
    void keep();

    // One kept frame in so many bounds the replay of a step back; a frame at 1x is 1.4 MB.
    static constexpr std::size_t KeepEvery = 16;

    Stage &m_stage;
    bool m_paused = false;
    std::int64_t m_ticks = 0;          // ticks since the command
    std::vector<std::int64_t> m_frames; // the tick that drew each frame since the command
    std::vector<Kept> m_kept;          // what the command left, then every KeepEvery-th frame
};

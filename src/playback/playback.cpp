#include "playback/playback.h"

#include "pages/page_tick.h"

#include <algorithm>

void Playback::commandDone()
{
    m_ticks = 0;
    m_frames.clear();
    m_kept.clear();
    keep();
    if (m_paused)
        runTick();
}

void Playback::tick()
{
    if (!m_paused)
        runTick();
}

void Playback::runTick()
{
    const PageState before = PageState::current();
    PageTick(m_stage);
    ++m_ticks;
    if (m_ticks == 1 || PageState::current() != before) {
        m_frames.push_back(m_ticks);
        if (m_frames.size() % KeepEvery == 0)
            keep();
    }
}

void Playback::keep()
{
    m_kept.push_back({m_ticks, PageState::current(), m_stage.controls, m_stage.canvas.snapshot()});
}

bool Playback::stepBack()
{
    if (!canStepBack())
        return false;
    const std::int64_t target = m_frames[m_frames.size() - 2];
    // The last kept frame at or before the target; what the command left is always there.
    auto kept = std::find_if(m_kept.rbegin(), m_kept.rend(), [&](const Kept &k) { return k.tick <= target; });
    m_kept.erase(kept.base(), m_kept.end());
    const Kept &from = m_kept.back();
    from.state.restore();
    m_stage.controls = from.controls;
    m_stage.canvas.restore(from.canvas);
    m_ticks = from.tick;
    std::erase_if(m_frames, [&](std::int64_t t) { return t > from.tick; });
    while (m_ticks < target)
        runTick();
    return true;
}

#include "playback/playback.h"

#include "pages/page_tick.h"

#include <algorithm>

void Playback::commandDone()
{
    m_ticks = 0;
    m_frameCount = 0;
    m_frames.clear();
    m_kept.clear();
    m_actions.clear();
    m_nextAction = 0;
    m_pacer.restart();
    keep();
    if (m_paused)
        runTick();
}

void Playback::record(const LabCommand &command)
{
    m_actions.resize(m_nextAction);
    Lab &lab = m_stage.lab;
    if (const std::optional<LabChange> change = runChange(command)) {
        lab.act(*change);
        return;
    }
    lab.forgetActionsAhead();
    m_actions.push_back({m_ticks, lab.actionsPlayed(), command});
    m_nextAction = m_actions.size();
    applyView(m_stage, command);
}

void Playback::labSetting(const LabCommand &command)
{
    record(command);
}

int Playback::labTickPeriodAhead() const
{
    int period = m_stage.lab.pace().tickMs;
    for (std::size_t i = m_nextAction; i < m_actions.size() && m_actions[i].tick == m_ticks; ++i)
        if (m_actions[i].command.kind == LabCommand::Kind::TickPeriod)
            period = m_actions[i].command.value;
    return period;
}

void Playback::takeLabTickPeriod(int periodMs)
{
    if (!labShowing()) {
        m_pacer.restart();
        return;
    }
    // Compared with what the next tick will use: going forward over a frame after which the
    // scroll bar was moved plays that move again, unless the scroll bar says otherwise now.
    if (labTickPeriodAhead() != periodMs)
        labSetting({LabCommand::Kind::TickPeriod, periodMs});
    if (m_paused || !m_clock || replaysAhead()) {
        m_pacer.restart();
        return;
    }
    if (const int periods = m_pacer.periodsDue(m_clock(), periodMs, LabPace::MaxTickMs / periodMs); periods > 1)
        labSetting({LabCommand::Kind::LateTick, periods});
}

bool Playback::replaysAhead() const
{
    return m_nextAction < m_actions.size() || m_stage.lab.hasActionsAhead();
}

void Playback::setPaused(bool paused)
{
    m_paused = paused;
    m_pacer.restart();
}

void Playback::labAction(const LabCommand &command)
{
    record(command);
    if (m_paused)
        runTick();
}

void Playback::tick()
{
    if (m_paused)
        m_pacer.restart();
    else
        runTick();
}

void Playback::runTick()
{
    // Going forward again over a frame after which the student acted plays the action again,
    // after the run's actions the student made before it.
    for (; m_nextAction < m_actions.size() && m_actions[m_nextAction].tick == m_ticks; ++m_nextAction) {
        m_stage.lab.playDue(m_actions[m_nextAction].runActions);
        applyView(m_stage, m_actions[m_nextAction].command);
    }
    const PageState before = PageState::current();
    PageTick(m_stage);
    ++m_ticks;
    // An experiment played to where it was saved waits there, showing what was seen then.
    if (labShowing() && m_stage.lab.atEnd())
        m_paused = true;
    if (m_ticks == 1 || PageState::current() != before) {
        m_frames.push_back(m_ticks);
        if (++m_frameCount % KeepEvery == 0)
            keep();
    }
}

void Playback::keep()
{
    m_kept.push_back({m_ticks, m_frameCount, PageState::current(), m_stage.controls, m_stage.canvas.snapshot(), m_stage.lab,
                      m_stage.labView});
    if (m_kept.size() <= MaxKept)
        return;
    // The oldest kept frame goes, and the frames only it could bring back.
    m_kept.pop_front();
    const std::int64_t first = m_kept.front().tick;
    while (!m_frames.empty() && m_frames.front() < first)
        m_frames.pop_front();
    const auto played = m_actions.begin() + std::ptrdiff_t(m_nextAction);
    const auto stale = std::find_if(m_actions.begin(), played, [&](const KeptAction &a) { return a.tick >= first; });
    m_nextAction -= std::size_t(stale - m_actions.begin());
    m_actions.erase(m_actions.begin(), stale);
}

bool Playback::stepBack()
{
    if (!canStepBack())
        return false;
    const std::int64_t target = m_frames[m_frames.size() - 2];
    m_pacer.restart();
    // The last kept frame at or before the target; the oldest reachable frame is always kept.
    auto kept = std::find_if(m_kept.rbegin(), m_kept.rend(), [&](const Kept &k) { return k.tick <= target; });
    m_kept.erase(kept.base(), m_kept.end());
    const Kept &from = m_kept.back();
    from.state.restore();
    m_stage.controls = from.controls;
    m_stage.canvas.restore(from.canvas);
    // The run's actions after that frame are played again on the way forward.
    Lab earlier = from.lab;
    earlier.takeActionsAhead(m_stage.lab);
    m_stage.lab = std::move(earlier);
    m_stage.labView = from.labView;
    m_ticks = from.tick;
    m_frameCount = from.frames;
    while (!m_frames.empty() && m_frames.back() > from.tick)
        m_frames.pop_back();
    m_nextAction = std::size_t(std::find_if(m_actions.begin(), m_actions.end(),
                                            [&](const KeptAction &a) { return a.tick >= from.tick; })
                               - m_actions.begin());
    while (m_ticks < target)
        runTick();
    return true;
}

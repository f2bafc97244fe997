#include "lab/lab.h"

#include "model/operating_point.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {
constexpr double Turn = 2 * std::numbers::pi;
}

Lab::Lab()
    : m_loop(pllmodel::SetpointProfile::constant(LabSettings{}.setpoint))
{
    reset();
}

void Lab::reset()
{
    m_kept.clear();
    open({});
}

void Lab::open(const Experiment &experiment)
{
    m_title = experiment.title;
    m_text = experiment.text;
    m_until = experiment.until;
    m_waitedAtEnd = false;
    m_runStart = experiment.run.start;
    m_runSettings = experiment.run.settings;
    m_given = std::make_shared<const std::vector<LabAction>>(experiment.run.actions);
    m_givenPlayed = 0;
    m_live = std::make_shared<std::vector<LabAction>>();
    m_liveSize = m_livePlayed = 0;
    m_firstLiveAfterEnd = NoneAfterEnd;
    m_lockRefusals.clear();
    m_settings = experiment.run.settings;
    start(experiment.run.start, 0);
}

void Lab::start(LabStart how, double at)
{
    const auto setpoint = pllmodel::SetpointProfile::constant(m_settings.setpoint, at);
    m_startedLocked = false;
    m_unholdable.reset();
    if (how == LabStart::Locked) {
        try {
            m_loop = pllmodel::LoopSimulation::locked(setpoint, m_settings.parameters());
            m_startedLocked = true;
        } catch (const std::invalid_argument &) {
            m_unholdable = m_settings.setpoint;
            m_lockRefusals.push_back({at, m_settings.setpoint});
        }
    }
    if (!m_startedLocked)
        m_loop = pllmodel::LoopSimulation(setpoint, m_settings.parameters());
    // The oscilloscope looks back up to a period before its window.
    m_loop.keepEdges(1.5 * LongestScope);
    newPaper(at);
    m_trailSize = 0;
    m_measuredAt.reset();
    const double target = setpointSpeed(m_settings.setpoint);
    using enum StepResponse::Action;
    beginResponse(m_startedLocked ? LockedStart : StartFromRest, m_loop.speed(), target);
}

double Lab::setpointSpeed(double frequency) const
{
    return pllmodel::operatingPoint(frequency, m_settings.parameters()).speed;
}

void Lab::newPaper(double at)
{
    m_recorder.restart(recorderSpan(), at, m_pace.timeBase < SweptBases);
}

void Lab::beginResponse(StepResponse::Action action, double from, double target)
{
    m_recorder.trigger(m_loop.time());
    m_lockedAtAction = isLocked();
    m_response.begin(action, m_loop.time(), from, target);
    m_nextMeasure = m_stretchStart = m_loop.time();
    m_stretchTurns = m_loop.shaftTurns();
    m_stretchSetpoint = m_loop.setpointFrequency();
    m_stretches = 0;
}

void Lab::changeSetpoint()
{
    if (m_settings.ramp > 0)
        m_loop.rampSetpoint(m_settings.setpoint, m_settings.ramp * LabSettings::SlopeUnit);
    else
        m_loop.stepSetpoint(m_settings.setpoint);
}

void Lab::changeRegulator()
{
    const pllmodel::LoopParameters p = m_settings.parameters();
    m_loop.setRegulator(p.regulatorLead, p.regulatorLag, p.regulatorFilter, p.regulatorGain);
}

void Lab::apply(const LabChange &change)
{
    const LabChange c = change.inRange();
    LabSettings &s = m_settings;
    if (c.ramp) {
        s.ramp = *c.ramp;
        // A ramp under way takes the new slope.
        if (s.ramp > 0 && !c.setpoint && m_loop.setpointFrequency() != s.setpoint)
            changeSetpoint();
    }
    if (c.corrector) {
        s.corrector = *c.corrector;
        m_loop.setPhaseAdvance(s.corrector);
    }
    if (c.lead || c.lag || c.filter || c.gain) {
        s.lead = c.lead.value_or(s.lead);
        s.lag = c.lag.value_or(s.lag);
        s.filter = c.filter.value_or(s.filter);
        s.gain = c.gain.value_or(s.gain);
        changeRegulator();
    }
    if (c.load) {
        const int before = s.load;
        s.load = *c.load;
        m_loop.setLoad(s.load * LabSettings::LoadUnit);
        // The speed asked for stays: the response is a disturbance's.
        if (s.load != before) {
            const double asked = setpointSpeed(m_loop.setpointFrequency());
            beginResponse(StepResponse::Action::LoadStep, asked, asked);
        }
    }
    if (c.setpoint) {
        // Measured from the speed asked for before: a step of nothing has no figure.
        const double from = setpointSpeed(m_loop.setpointFrequency());
        s.setpoint = *c.setpoint;
        changeSetpoint();
        using enum StepResponse::Action;
        beginResponse(s.ramp > 0 ? Ramp : SetpointStep, from, setpointSpeed(s.setpoint));
    }
    if (c.restart)
        start(*c.restart, m_loop.time());
}

const LabAction *Lab::nextAction() const
{
    const LabAction *given = m_givenPlayed < m_given->size() ? &(*m_given)[m_givenPlayed] : nullptr;
    const bool liveWaitsForTheEnd = m_livePlayed >= m_firstLiveAfterEnd && !m_waitedAtEnd;
    const LabAction *live = m_livePlayed < m_liveSize && !liveWaitsForTheEnd ? &(*m_live)[m_livePlayed] : nullptr;
    // At one instant the given action comes first: the student acted once it was played.
    if (given && live)
        return live->at < given->at ? live : given;
    return given ? given : live;
}

void Lab::playNext()
{
    const LabAction *next = nextAction();
    if (!next)
        return;
    if (m_givenPlayed < m_given->size() && next == &(*m_given)[m_givenPlayed])
        ++m_givenPlayed;
    else
        ++m_livePlayed;
    apply(next->change);
}

void Lab::playGivenDue()
{
    for (; m_givenPlayed < m_given->size() && (*m_given)[m_givenPlayed].at <= m_loop.time(); ++m_givenPlayed)
        apply((*m_given)[m_givenPlayed].change);
}

void Lab::playDue(std::size_t upTo)
{
    while (actionsPlayed() < upTo) {
        const LabAction *next = nextAction();
        if (!next || next->at > m_loop.time())
            return;
        playNext();
    }
}

void Lab::forgetActionsAhead()
{
    if (m_live->size() != m_livePlayed) {
        if (m_live.use_count() > 1)
            m_live = std::make_shared<std::vector<LabAction>>(m_live->begin(), m_live->begin() + std::ptrdiff_t(m_livePlayed));
        else
            m_live->resize(m_livePlayed);
    }
    m_liveSize = m_livePlayed;
    if (m_firstLiveAfterEnd >= m_liveSize)
        m_firstLiveAfterEnd = NoneAfterEnd;
}

void Lab::act(const LabChange &change)
{
    // The student's own actions from now on belong to the history this one replaces; what
    // else the run holds for now comes first, as it would when played again.
    forgetActionsAhead();
    playDue(AllDue);
    // Kept as taken: a file holds only what the controls offer.
    if (atEnd() && m_firstLiveAfterEnd == NoneAfterEnd)
        m_firstLiveAfterEnd = m_live->size();
    m_live->push_back({m_loop.time(), change.inRange()});
    m_liveSize = m_live->size();
    ++m_livePlayed;
    apply(m_live->back().change);
}

void Lab::takeActionsAhead(const Lab &later)
{
    m_live = later.m_live;
    m_liveSize = later.m_liveSize;
    m_firstLiveAfterEnd = later.m_firstLiveAfterEnd;
}

Experiment Lab::experiment() const
{
    Experiment e{m_title, m_text, {m_runStart, m_runSettings, {}}, m_loop.time()};
    std::vector<LabAction> &actions = e.run.actions;
    actions.reserve(m_given->size() + m_liveSize);
    // In the order they are played: by instant, the given ones first at one instant.
    std::merge(m_given->begin(), m_given->end(), m_live->begin(), m_live->begin() + std::ptrdiff_t(m_liveSize),
               std::back_inserter(actions), [](const LabAction &live, const LabAction &given) { return live.at < given.at; });
    return e;
}

Experiment Lab::saved()
{
    playDue(AllDue);
    return experiment();
}

void Lab::setPace(const LabPace &pace)
{
    const int slowMotion = std::clamp(pace.slowMotion, 0, int(SlowMotionFactors.size()) - 1);
    const int timeBase = std::clamp(pace.timeBase, 0, int(RecorderBases.size()) - 1);
    const bool paperChanges = slowMotion != m_pace.slowMotion || timeBase != m_pace.timeBase;
    m_pace = {std::clamp(pace.tickMs, LabPace::MinTickMs, LabPace::MaxTickMs), slowMotion, timeBase};
    // The recorder's window changes size: a new paper.
    if (paperChanges)
        newPaper(m_loop.time());
}

void Lab::coverPeriods(int periods)
{
    // A tick covers at most the scroll bar's longest period.
    m_periods = std::clamp(periods, 1, std::max(1, LabPace::MaxTickMs / m_pace.tickMs));
}

void Lab::keepResponse()
{
    if (m_response.curve().empty())
        return;
    if (int(m_kept.size()) == MaxKeptResponses)
        m_kept.erase(m_kept.begin());
    m_kept.push_back({m_response.curve(), m_response.curveOffset(), m_recorder.span() / Recorder::Columns, m_settings});
}

void Lab::clearResponses()
{
    m_kept.clear();
}

void Lab::advance()
{
    playDue(AllDue);
    double end = m_loop.time() + tickSpan() * m_periods;
    m_periods = 1;
    // A tick stops at the experiment's end, and the one after it goes on.
    const bool toTheEnd = m_until && !m_waitedAtEnd && m_loop.time() <= *m_until && end >= *m_until;
    if (toTheEnd)
        end = *m_until;
    // The recorder's samples and the run's actions before the tick's end, in time order; an
    // action at its very end waits for the next tick, as one the student makes then.
    for (;;) {
        const LabAction *action = nextAction();
        const bool actionDue = action && action->at < end;
        const double sampleAt = m_recorder.nextSampleTime();
        if (sampleAt <= end && (!actionDue || sampleAt <= action->at)) {
            advanceMeasuring(std::max(m_loop.time(), sampleAt));
            sample();
        } else if (actionDue) {
            advanceMeasuring(std::max(m_loop.time(), action->at));
            playNext();
        } else {
            break;
        }
    }
    advanceMeasuring(end);
    if (toTheEnd) {
        // Saved after them, the end shows the run's actions made at its instant. One the student
        // makes there came after this tick, and going forward again plays it after it too.
        playGivenDue();
        m_waitedAtEnd = true;
    }
    remember();
}

void Lab::runTo(double t)
{
    for (const LabAction *next = nextAction(); next && next->at <= t; next = nextAction()) {
        m_loop.advanceTo(std::max(m_loop.time(), next->at));
        playNext();
    }
    m_loop.advanceTo(std::max(m_loop.time(), t));
}

void Lab::advanceMeasuring(double t)
{
    for (; m_nextMeasure <= t; m_nextMeasure += MeasureSpacing) {
        m_loop.advanceTo(std::max(m_loop.time(), m_nextMeasure));
        const double now = m_loop.time(), turns = m_loop.shaftTurns();
        const double speed = measuredSpeed(turns);
        watchTrend(turns);
        m_measuredAt = now;
        m_measuredTurns = turns;
        m_response.add(now, speed, m_loop.cycleSlips());
    }
    m_loop.advanceTo(std::max(m_loop.time(), t));
}

double Lab::measuredSpeed(double turns) const
{
    const double now = m_loop.time();
    return m_measuredAt && now > *m_measuredAt ? (turns - m_measuredTurns) / (now - *m_measuredAt) : m_loop.speed();
}

void Lab::watchTrend(double turns)
{
    const double span = m_loop.time() - m_stretchStart;
    // The measures come a spacing apart, rounded: a stretch may end a hair before its length.
    if (span < SpeedTrend::Stretch - MeasureSpacing / 2)
        return;
    m_trend = {m_trend.now, (turns - m_stretchTurns) / span};
    ++m_stretches;
    // Ramping all along, the setpoint's mean over the stretch is its mid-point's.
    const double setpoint = m_loop.setpointFrequency();
    const bool ramped = m_settings.ramp > 0 && setpoint != m_settings.setpoint && m_stretchSetpoint != setpoint;
    if (ramped && m_response.action() == StepResponse::Action::Ramp)
        m_response.addRampStretch(m_trend.now, setpointSpeed((m_stretchSetpoint + setpoint) / 2),
                                  (setpointSpeed(setpoint) - setpointSpeed(m_stretchSetpoint)) / span);
    m_stretchStart = m_loop.time();
    m_stretchTurns = turns;
    m_stretchSetpoint = setpoint;
}

std::optional<SpeedTrend> Lab::speedTrend() const
{
    if (m_stretches < 2)
        return std::nullopt;
    return m_trend;
}

double Lab::meanSpan() const
{
    return scopeSpan() / 2;
}

double Lab::comparatorMean() const
{
    return m_loop.comparatorMean(meanSpan());
}

double Lab::commandMean() const
{
    return m_loop.commandMean(meanSpan());
}

void Lab::sample()
{
    m_recorder.add({m_loop.speed(), setpointSpeed(m_loop.setpointFrequency()), foldedPhaseError()});
    m_response.addCurvePoint(m_loop.time(), m_loop.speed());
}

void Lab::remember()
{
    if (m_trailSize == TrailLength)
        std::rotate(m_trail.begin(), m_trail.begin() + 1, m_trail.end());
    else
        ++m_trailSize;
    m_trail[std::size_t(m_trailSize - 1)] = {foldedPhaseError(), comparatorMean()};
}

double Lab::scopeSpan() const
{
    const double f = m_loop.setpointFrequency();
    return f > 0 ? std::min(2 / f, LongestScope) : LongestScope;
}

bool Lab::isLocked() const
{
    // From rest the loop has yet to show it holds; locked at the start it holds until it slips.
    const double lastSlip = m_loop.lastSlipTime();
    const double since = m_startedLocked ? lastSlip : std::max(m_loop.startTime(), lastSlip);
    return m_loop.time() - since >= LockWatch;
}

double Lab::foldedPhaseError() const
{
    const double folded = std::fmod(m_loop.phaseError(), Turn);
    const double positive = folded < 0 ? folded + Turn : folded;
    return positive < Turn ? positive : 0;
}

void Lab::setStatement(std::string title, std::string text)
{
    m_title = std::move(title);
    m_text = std::move(text);
}

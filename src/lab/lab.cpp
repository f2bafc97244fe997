#include "pages/lab/lab.h"

#include "model/operating_point.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {
constexpr double Turn = 2 * std::numbers::pi;
constexpr double VoltsPerTenth = 0.1;
const QString Unknown = QStringLiteral("—");

// Actions that change the loop, which a run again must make too.
bool changesTheLoop(LabCommand::Kind kind)
{
    using enum LabCommand::Kind;
    switch (kind) {
    case Setpoint: case Ramp: case Slope: case Corrector: case Load:
    case Lead: case Lag: case Filter: case Gain: case CourseValues:
        return true;
    default:
        return false;
    }
}
}

QString frenchDecimal(double value, int places)
{
    if (std::round(value * std::pow(10.0, places)) == 0)
        value = 0;
    return QString::number(value, 'f', places).replace(QLatin1Char('.'), QLatin1Char(','));
}

Lab::Lab()
    : m_loop(pllmodel::SetpointProfile::constant(LabSettings{}.setpoint))
{
    reset();
}

void Lab::reset()
{
    m_kept.clear();
    startWith({}, false);
}

void Lab::startWith(const LabSettings &settings, bool locked)
{
    m_settings = settings;
    start(locked);
}

void Lab::runLoopTo(double t)
{
    m_loop.advanceTo(std::max(m_loop.time(), t));
}

pllmodel::LoopParameters Lab::parameters() const
{
    pllmodel::LoopParameters p = pllmodel::Radar;
    p.phaseAdvance = m_settings.corrector;
    p.motorLoad = m_settings.loadTenths * VoltsPerTenth;
    p.regulatorLead = m_settings.lead * TimeConstantUnit;
    p.regulatorLag = m_settings.lag * TimeConstantUnit;
    p.regulatorFilter = m_settings.filter * TimeConstantUnit;
    p.regulatorGain = m_settings.gain * GainUnit;
    return p;
}

void Lab::start(bool locked)
{
    const auto setpoint = pllmodel::SetpointProfile::constant(m_settings.setpoint);
    m_message.clear();
    m_startedLocked = false;
    if (locked) {
        try {
            m_loop = pllmodel::LoopSimulation::locked(setpoint, parameters());
            m_startedLocked = true;
        } catch (const std::invalid_argument &) {
            m_message = QStringLiteral("La boucle ne peut pas tenir %1 Hz : départ arrêté.").arg(m_settings.setpoint);
        }
    }
    if (!m_startedLocked)
        m_loop = pllmodel::LoopSimulation(setpoint, parameters());
    // The oscilloscope looks back up to a period before its window.
    m_loop.keepEdges(1.5 * LongestScope);
    m_recorder.restart(RecorderSpan * slowMotion(), 0);
    m_trailSize = 0;
    m_commandMarks = {{0, 0}};
    m_startLocked = locked;
    m_startSettings = m_settings;
    m_log = std::make_shared<std::vector<TimedCommand>>();
    m_logSize = 0;
    m_nextMeasure = 0;
    beginResponse(pllmodel::operatingPoint(m_settings.setpoint, parameters()).speed);
}

void Lab::beginResponse(double target)
{
    m_response.begin(m_loop.time(), m_loop.speed(), target);
    m_nextMeasure = m_loop.time();
}

void Lab::changeRegulator()
{
    const pllmodel::LoopParameters p = parameters();
    m_loop.setRegulator(p.regulatorLead, p.regulatorLag, p.regulatorFilter, p.regulatorGain);
}

void Lab::log(const LabCommand &command)
{
    // Another copy wrote past this one's actions: this one goes on with its own.
    if (m_log.use_count() > 1 && m_log->size() != m_logSize)
        m_log = std::make_shared<std::vector<TimedCommand>>(m_log->begin(), m_log->begin() + std::ptrdiff_t(m_logSize));
    m_log->push_back({m_loop.time(), command});
    m_logSize = m_log->size();
}

LabScenario Lab::scenario() const
{
    return {m_startSettings, m_startLocked, {m_log->begin(), m_log->begin() + std::ptrdiff_t(m_logSize)}};
}

void Lab::changeSetpoint()
{
    if (m_settings.ramp)
        m_loop.rampSetpoint(m_settings.setpoint, m_settings.slope);
    else
        m_loop.stepSetpoint(m_settings.setpoint);
}

void Lab::apply(const LabCommand &command)
{
    using enum LabCommand::Kind;
    LabSettings &s = m_settings;
    const int v = command.value;
    const auto timeConstant = [v] { return std::clamp(v, MinTimeConstant, MaxTimeConstant); };
    switch (command.kind) {
    case Setpoint: {
        const int before = s.setpoint;
        s.setpoint = std::clamp((v + SetpointStep / 2) / SetpointStep * SetpointStep, 0, MaxSetpoint);
        changeSetpoint();
        if (s.setpoint != before)
            beginResponse(pllmodel::operatingPoint(s.setpoint, parameters()).speed);
        break;
    }
    case Ramp:
        s.ramp = v != 0;
        break;
    case Slope:
        s.slope = std::clamp(v, MinSlope, MaxSlope);
        // A ramp under way takes the new slope.
        if (s.ramp && m_loop.setpointFrequency() != s.setpoint)
            changeSetpoint();
        break;
    case Corrector:
        s.corrector = v != 0;
        m_loop.setPhaseAdvance(s.corrector);
        break;
    case Load: {
        const int before = s.loadTenths;
        s.loadTenths = std::clamp(v, 0, MaxLoadTenths);
        m_loop.setLoad(s.loadTenths * VoltsPerTenth);
        // The speed asked for stays: the response is a disturbance's.
        if (s.loadTenths != before)
            beginResponse(pllmodel::operatingPoint(m_loop.setpointFrequency(), parameters()).speed);
        break;
    }
    case Lead:
        s.lead = timeConstant();
        changeRegulator();
        break;
    case Lag:
        s.lag = timeConstant();
        changeRegulator();
        break;
    case Filter:
        s.filter = timeConstant();
        changeRegulator();
        break;
    case Gain:
        s.gain = std::clamp(v, MinGain, MaxGain);
        changeRegulator();
        break;
    case CourseValues: {
        const LabSettings course;
        s.lead = course.lead, s.lag = course.lag, s.filter = course.filter, s.gain = course.gain;
        changeRegulator();
        break;
    }
    case FrequencyView:
        s.frequencyView = v != 0;
        break;
    case KeepResponse:
        keepResponse();
        break;
    case ClearResponses:
        m_kept.clear();
        break;
    case StartAtRest:
        start(false);
        return;
    case StartLocked:
        start(true);
        return;
    case SlowMotion: {
        const int index = std::clamp(v, 0, int(SlowMotionFactors.size()) - 1);
        if (index != s.slowMotion) {
            s.slowMotion = index;
            // The window changes size: a new paper.
            m_recorder.restart(RecorderSpan * slowMotion(), m_loop.time());
        }
        break;
    }
    case TickPeriod:
        s.tickMs = std::clamp(v, MinTickMs, MaxTickMs);
        break;
    }
    if (changesTheLoop(command.kind))
        log(command);
}

void Lab::keepResponse()
{
    if (m_response.curve().empty())
        return;
    if (int(m_kept.size()) == MaxKeptResponses)
        m_kept.erase(m_kept.begin());
    m_kept.push_back({m_response.curve(), m_response.curveOffset(), m_recorder.span() / Recorder::Columns,
                      regulatorLabel()});
}

QString Lab::regulatorLabel() const
{
    const LabSettings &s = m_settings;
    if (!s.corrector)
        return QStringLiteral("sans correcteur");
    const auto seconds = [](int units) { return QString::number(units * TimeConstantUnit, 'g', 4).replace(QLatin1Char('.'), QLatin1Char(',')); };
    return QStringLiteral("avance %1 s, retard %2 s, filtre %3 s, gain %4")
        .arg(seconds(s.lead), seconds(s.lag), seconds(s.filter), QString::number(s.gain * GainUnit, 'g', 3).replace(QLatin1Char('.'), QLatin1Char(',')));
}

void Lab::advance()
{
    const double end = m_loop.time() + tickSpan();
    const double periodBefore = end - meanSpan();
    bool marked = periodBefore <= m_loop.time();
    while (m_recorder.nextSampleTime() <= end) {
        const double next = std::max(m_loop.time(), m_recorder.nextSampleTime());
        if (!marked && periodBefore <= next) {
            advanceAndMark(periodBefore);
            marked = true;
        }
        advanceMeasuring(next);
        sample();
    }
    if (!marked)
        advanceAndMark(periodBefore);
    advanceAndMark(end);
    remember();
}

void Lab::advanceMeasuring(double t)
{
    for (; m_nextMeasure <= t; m_nextMeasure += MeasureSpacing) {
        m_loop.advanceTo(std::max(m_loop.time(), m_nextMeasure));
        m_response.add(m_loop.time(), m_loop.speed(), m_loop.cycleSlips());
    }
    m_loop.advanceTo(std::max(m_loop.time(), t));
}

void Lab::advanceAndMark(double t)
{
    advanceMeasuring(t);
    m_commandMarks.push_back({m_loop.time(), m_loop.commandIntegral()});
    // Enough to reach a period back, and never more than MaxMarks.
    const double oldestNeeded = m_loop.time() - meanSpan();
    while (m_commandMarks.size() > MaxMarks || (m_commandMarks.size() > 1 && m_commandMarks[1].time <= oldestNeeded))
        m_commandMarks.pop_front();
}

double Lab::meanSpan() const
{
    return scopeSpan() / 2;
}

double Lab::commandMean() const
{
    const CommandMark &from = m_commandMarks.front();
    const double span = m_loop.time() - from.time;
    return span > 0 ? (m_loop.commandIntegral() - from.integral) / span : m_loop.command();
}

void Lab::sample()
{
    const double setpointSpeed = pllmodel::operatingPoint(m_loop.setpointFrequency(), parameters()).speed;
    m_recorder.add({m_loop.speed(), setpointSpeed, foldedPhaseError()});
    m_response.addCurvePoint(m_loop.time(), m_loop.speed());
}

void Lab::remember()
{
    if (m_trailSize == TrailLength)
        std::rotate(m_trail.begin(), m_trail.begin() + 1, m_trail.end());
    else
        ++m_trailSize;
    m_trail[std::size_t(m_trailSize - 1)] = QPointF(foldedPhaseError(), comparatorMean());
}

double Lab::scopeSpan() const
{
    const double f = m_loop.setpointFrequency();
    return f > 0 ? std::min(2 / f, LongestScope) : LongestScope;
}

bool Lab::isLocked() const
{
    // From rest the loop has yet to show it holds; locked at the start it holds until it slips.
    const double lastSlip = m_startedLocked ? m_loop.lastSlipTime() : std::max(0.0, m_loop.lastSlipTime());
    return m_loop.time() - lastSlip >= LockWatch;
}

double Lab::foldedPhaseError() const
{
    const double folded = std::fmod(m_loop.phaseError(), Turn);
    const double positive = folded < 0 ? folded + Turn : folded;
    return positive < Turn ? positive : 0;
}

double Lab::comparatorMean() const
{
    return m_loop.comparatorMean(meanSpan());
}

LabReadouts Lab::readouts() const
{
    const bool locked = isLocked();
    const std::optional<double> overshoot = m_response.overshootPercent(), settling = m_response.settlingTime();
    return {
        locked,
        locked ? QStringLiteral("Boucle verrouillée") : QStringLiteral("Boucle décrochée"),
        QStringLiteral("Glissements de cycle : %1").arg(m_loop.cycleSlips()),
        QStringLiteral("Consigne : %1 Hz").arg(frenchDecimal(m_loop.setpointFrequency(), 0)),
        QStringLiteral("Vitesse moteur : %1 tr/s").arg(frenchDecimal(m_loop.speed(), 2)),
        QStringLiteral("Erreur de phase : %1 rad").arg(frenchDecimal(foldedPhaseError(), 2)),
        QStringLiteral("Sortie comparateur (moyenne) : %1 V").arg(frenchDecimal(comparatorMean(), 2)),
        QStringLiteral("Tension moteur : %1 V").arg(frenchDecimal(commandMean(), 2)),
        QStringLiteral("Temps : %1 s").arg(frenchDecimal(m_loop.time(), 3)),
        QStringLiteral("Dépassement : %1").arg(overshoot ? frenchDecimal(*overshoot, 0) + QStringLiteral(" %") : Unknown),
        QStringLiteral("Temps de réponse à 5 % : %1").arg(settling ? frenchDecimal(*settling, 2) + QStringLiteral(" s") : Unknown),
    };
}

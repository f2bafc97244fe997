#include "pages/lab/lab.h"

#include "model/operating_point.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {
constexpr double Turn = 2 * std::numbers::pi;
constexpr double VoltsPerTenth = 0.1;
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
    m_settings = {};
    start(false);
}

pllmodel::LoopParameters Lab::parameters() const
{
    pllmodel::LoopParameters p = pllmodel::Radar;
    p.phaseAdvance = m_settings.corrector;
    p.motorLoad = m_settings.loadTenths * VoltsPerTenth;
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
    switch (command.kind) {
    case Setpoint:
        s.setpoint = std::clamp((v + SetpointStep / 2) / SetpointStep * SetpointStep, 0, MaxSetpoint);
        changeSetpoint();
        break;
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
    case Load:
        s.loadTenths = std::clamp(v, 0, MaxLoadTenths);
        m_loop.setLoad(s.loadTenths * VoltsPerTenth);
        break;
    case StartAtRest:
        start(false);
        break;
    case StartLocked:
        start(true);
        break;
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
        m_loop.advanceTo(next);
        sample();
    }
    if (!marked)
        advanceAndMark(periodBefore);
    advanceAndMark(end);
    remember();
}

void Lab::advanceAndMark(double t)
{
    m_loop.advanceTo(std::max(m_loop.time(), t));
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
    };
}

#include "pages/lab/lab_command.h"

#include "pages/stage.h"

#include <algorithm>

std::optional<LabChange> runChange(const LabCommand &command)
{
    using enum LabCommand::Kind;
    const int v = command.value;
    LabChange change;
    switch (command.kind) {
    case Setpoint: change.setpoint = v; break;
    case Ramp: change.ramp = v; break;
    case Corrector: change.corrector = v != 0; break;
    case Load: change.load = v; break;
    case Lead: change.lead = v; break;
    case Lag: change.lag = v; break;
    case Filter: change.filter = v; break;
    case Gain: change.gain = v; break;
    case StartAtRest: change.restart = LabStart::Rest; break;
    case StartLocked: change.restart = LabStart::Locked; break;
    case CourseValues: {
        // The course's regulator whole: its corrector is part of it.
        const LabSettings course;
        change.corrector = course.corrector;
        change.lead = course.lead, change.lag = course.lag, change.filter = course.filter, change.gain = course.gain;
        break;
    }
    case SlowMotion: case TickPeriod: case FrequencyView: case KeepResponse: case ClearResponses: case Statement:
    case FrequencyChart: case StatementPage: case TimeBase: case LateTick:
        return std::nullopt;
    }
    return change;
}

void applyView(Stage &stage, const LabCommand &command)
{
    using enum LabCommand::Kind;
    Lab &lab = stage.lab;
    switch (command.kind) {
    case SlowMotion: case TickPeriod: case TimeBase: {
        LabPace pace = lab.pace();
        (command.kind == SlowMotion ? pace.slowMotion : command.kind == TickPeriod ? pace.tickMs : pace.timeBase) = command.value;
        lab.setPace(pace);
        break;
    }
    case LateTick: lab.coverPeriods(command.value); break;
    case FrequencyView: stage.labView.frequencyResponse = command.value != 0; break;
    case Statement: stage.labView.statement = command.value != 0; break;
    case FrequencyChart:
        if (command.value >= 0 && command.value < FrequencyChartCount)
            stage.labView.chart = static_cast<::FrequencyChart>(command.value);
        break;
    case StatementPage: stage.labView.statementPage = std::max(0, command.value); break;
    case KeepResponse: lab.keepResponse(); break;
    case ClearResponses: lab.clearResponses(); break;
    default: break;
    }
}

void applyLabCommand(Stage &stage, const LabCommand &command)
{
    if (const std::optional<LabChange> change = runChange(command))
        stage.lab.act(*change);
    else
        applyView(stage, command);
}

#include "app/lab_controls.h"

#include "app/window_layout.h"
#include "pages/lab/lab_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QAbstractItemView>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <cmath>
#include <iterator>

namespace {
using Kind = LabCommand::Kind;

// Window coordinates of the classic layout. The left of the drawing area, under the loop's
// blocks: two tabs, the run's controls and the regulator's.
const QRect TabsPlace(12, 144, 208, 22);
const char *const GroupNames[] = {"Conduite", "Correcteur"};
const QRect SetpointLabelPlace(14, 170, 120, 14);
const QRect SetpointPlace(14, 186, 62, 22);
const QRect SliderPlace(82, 188, 136, 20);
const QRect StepPlace(14, 212, 80, 18);
const QRect RampPlace(96, 212, 80, 18);
const QRect SlopeLabelPlace(14, 236, 120, 14);
const QRect SlopePlace(140, 232, 78, 22);
const QRect LoadLabelPlace(14, 260, 124, 14);
const QRect LoadPlace(140, 256, 78, 22);
const QRect StartAtRestPlace(14, 282, 100, 25);
const QRect StartLockedPlace(118, 282, 100, 25);
const QRect SlowMotionLabelPlace(14, 316, 120, 14);
const QRect SlowMotionPlace(140, 312, 78, 22);

const QRect CorrectorPlace(14, 172, 204, 18);
const QRect LeadLabelPlace(14, 200, 120, 14);
const QRect LeadPlace(140, 196, 78, 22);
const QRect LagLabelPlace(14, 226, 120, 14);
const QRect LagPlace(140, 222, 78, 22);
const QRect FilterLabelPlace(14, 252, 120, 14);
const QRect FilterPlace(140, 248, 78, 22);
const QRect GainLabelPlace(14, 278, 120, 14);
const QRect GainPlace(140, 274, 78, 22);
const QRect CourseValuesPlace(14, 304, 204, 25);

// Under the tabs, the view's switch; over the displays, at the right of the recorder's title,
// the responses' buttons.
const QRect ViewPlace(14, 338, 204, 22);
const QRect ViewBesideStatementPlace(14, 338, 130, 22);
const QRect StatementPlace(146, 338, 72, 22);
// At the bottom right of the text's panel, beside the line that says which page shows.
const QRect NextPagePlace = labStatementPageTurner().translated(WindowLayout::DrawingOrigin);
const QRect CourseExperimentsPlace(4, 4, 150, 22);
// In the corner the frequency view leaves empty at its top right: which chart it shows.
const QRect ChartPlace(679, 146, 103, 22);
const char *const ChartChoices[] = {"Bode", "Black", "Nyquist", "Boucle fermée", "Plages"};
static_assert(std::size(ChartChoices) == FrequencyChartCount);
const QRect KeepPlace(572, 321, 98, 18);
const QRect ClearPlace(672, 321, 110, 18);

constexpr int TimeConstantDecimals = 4;
constexpr int GainDecimals = 2;
constexpr int SlopeDecimals = 1;
// Before the student sets one: the speed-change topic's rate.
constexpr double CourseSlope = 157;  // Hz/s

const char *const SlowMotionChoices[] = {"×1", "×1/10", "×1/100", "×1/1000"};
// In the order of RecorderBases.
const char *const TimeBaseChoices[] = {"50 ms", "200 ms", "1 s", "5 s"};
// On the recorder's foot, over its left time mark.
const QRect TimeBasePlace(270, 459, 62, 19);
static_assert(std::size(TimeBaseChoices) == RecorderBases.size());
constexpr int LoadDecimals = 1;

int inUnits(double value, double unit) { return int(std::lround(value / unit)); }

QDoubleSpinBox *decimalBox(QWidget &window, double unit, int low, int high, int decimals)
{
    auto *box = new QDoubleSpinBox(&window);
    box->setLocale(QLocale(QLocale::French, QLocale::France));
    box->setDecimals(decimals);
    box->setRange(low * unit, high * unit);
    // A typed value applies on Enter; the arrows at once.
    box->setKeyboardTracking(false);
    return box;
}
}

LabControls::LabControls(QWidget &window, Act act, std::function<void()> chooseExperiment)
    : QObject(&window)
    , m_window(window)
{
    // A value the lab brings into its steps (999 Hz to 1000) may leave its settings as they were:
    // the control acted on must still be set back to them.
    act = [this, acted = std::move(act)](const LabCommand &c) {
        m_shown.reset();
        acted(c);
    };
    Tabs = new QTabBar(&window);
    for (const char *name : GroupNames)
        Tabs->addTab(QString::fromUtf8(name));
    Tabs->setAccessibleName(QStringLiteral("Réglages du laboratoire"));
    Tabs->setDrawBase(false);
    add(Tabs, TabsPlace, "LabTabs", Always);
    makeRunTab();
    makeRegulatorTab();
    makeViewButtons();
    connectRunTab(act);
    connectRegulatorTab(act);
    connectViewButtons(act);
    makeCourseButton(std::move(chooseExperiment));
    connect(Tabs, &QTabBar::currentChanged, this, [this] { showGroups(); });
    showSettings({}, {});
}

void LabControls::add(QWidget *widget, const QRect &place, const char *name, Group group)
{
    widget->setObjectName(QLatin1String(name));
    // Its label, added just before it, is named after it ("LabSetpointLabel").
    if (!m_widgets.isEmpty())
        if (auto *label = qobject_cast<QLabel *>(m_widgets.last()); label && label->buddy() == widget)
            label->setObjectName(QLatin1String(name) + QLatin1String("Label"));
    widget->setVisible(false);
    m_widgets << widget;
    m_places << place;
    m_groups << group;
    if (widget->focusPolicy() != Qt::NoFocus)
        m_tabOrder << widget;
}

void LabControls::addLabel(const char *text, const QRect &place, QWidget *control, Group group)
{
    auto *label = new QLabel(QString::fromUtf8(text), &m_window);
    label->setBuddy(control);
    control->setAccessibleName(label->text());
    add(label, place, "", group);
}

void LabControls::makeRunTab()
{
    Setpoint = new QSpinBox(&m_window);
    Setpoint->setRange(0, LabSettings::MaxSetpoint);
    Setpoint->setSingleStep(LabSettings::SetpointStep);
    // A typed value applies on Enter; the arrows at once.
    Setpoint->setKeyboardTracking(false);
    SetpointSlider = new QSlider(Qt::Horizontal, &m_window);
    SetpointSlider->setRange(0, LabSettings::MaxSetpoint / LabSettings::SetpointStep);
    SetpointSlider->setPageStep(10);
    addLabel("Consigne (Hz)", SetpointLabelPlace, Setpoint, Run);
    add(Setpoint, SetpointPlace, "LabSetpoint", Run);
    SetpointSlider->setAccessibleName(QStringLiteral("Consigne (Hz), curseur"));
    add(SetpointSlider, SliderPlace, "LabSetpointSlider", Run);

    Step = new QRadioButton(QStringLiteral("Échelon"), &m_window);
    Ramp = new QRadioButton(QStringLiteral("Rampe"), &m_window);
    add(Step, StepPlace, "LabStep", Run);
    add(Ramp, RampPlace, "LabRamp", Run);

    Slope = decimalBox(m_window, LabSettings::SlopeUnit, LabSettings::MinSlope, LabSettings::MaxSlope, SlopeDecimals);
    Slope->setValue(CourseSlope);
    addLabel("Pente (Hz/s)", SlopeLabelPlace, Slope, Run);
    add(Slope, SlopePlace, "LabSlope", Run);

    Load = decimalBox(m_window, LabSettings::LoadUnit, 0, LabSettings::MaxLoad, LoadDecimals);
    Load->setSingleStep(LabSettings::LoadUnit);
    addLabel("Couple résistant (V)", LoadLabelPlace, Load, Run);
    add(Load, LoadPlace, "LabLoad", Run);

    StartAtRest = new QPushButton(QStringLiteral("Départ arrêté"), &m_window);
    StartLocked = new QPushButton(QStringLiteral("Départ verrouillé"), &m_window);
    add(StartAtRest, StartAtRestPlace, "LabStartAtRest", Run);
    add(StartLocked, StartLockedPlace, "LabStartLocked", Run);

    SlowMotion = new QComboBox(&m_window);
    for (const char *choice : SlowMotionChoices)
        SlowMotion->addItem(QString::fromUtf8(choice));
    addLabel("Ralenti", SlowMotionLabelPlace, SlowMotion, Run);
    // Its drop-down list, which a screen reader meets on its own.
    SlowMotion->view()->setAccessibleName(SlowMotion->accessibleName());
    add(SlowMotion, SlowMotionPlace, "LabSlowMotion", Run);
}

void LabControls::makeRegulatorTab()
{
    Corrector = new QCheckBox(QStringLiteral("Correcteur à avance de phase"), &m_window);
    add(Corrector, CorrectorPlace, "LabCorrector", Regulator);
    const auto timeConstant = [&](const char *text, const QRect &labelPlace, const QRect &place, const char *name) {
        auto *box = decimalBox(m_window, LabSettings::TimeConstantUnit, LabSettings::MinTimeConstant,
                               LabSettings::MaxTimeConstant, TimeConstantDecimals);
        box->setSingleStep(LabSettings::TimeConstantUnit);
        addLabel(text, labelPlace, box, Regulator);
        add(box, place, name, Regulator);
        return box;
    };
    Lead = timeConstant("τ1 avance (s)", LeadLabelPlace, LeadPlace, "LabLead");
    Lag = timeConstant("τ2 (s)", LagLabelPlace, LagPlace, "LabLag");
    Filter = timeConstant("τ3 filtre (s)", FilterLabelPlace, FilterPlace, "LabFilter");
    Gain = decimalBox(m_window, LabSettings::GainUnit, LabSettings::MinGain, LabSettings::MaxGain, GainDecimals);
    Gain->setSingleStep(0.1);
    addLabel("Gain du correcteur", GainLabelPlace, Gain, Regulator);
    add(Gain, GainPlace, "LabGain", Regulator);
    CourseValues = new QPushButton(QStringLiteral("Valeurs du cours"), &m_window);
    add(CourseValues, CourseValuesPlace, "LabCourseValues", Regulator);
}

void LabControls::makeViewButtons()
{
    View = new QPushButton(&m_window);
    showViewName(false);
    add(View, ViewPlace, "LabView", Always);
    Statement = new QPushButton(QStringLiteral("Énoncé"), &m_window);
    Statement->setCheckable(true);
    Statement->setAccessibleName(QStringLiteral("Énoncé de l'expérience"));
    add(Statement, StatementPlace, "LabStatement", Always);
    Chart = new QComboBox(&m_window);
    for (const char *choice : ChartChoices)
        Chart->addItem(QString::fromUtf8(choice));
    Chart->setAccessibleName(QStringLiteral("Diagramme"));
    Chart->view()->setAccessibleName(Chart->accessibleName());
    add(Chart, ChartPlace, "LabChart", Always);
    NextPage = new QPushButton(QStringLiteral("Page suivante"), &m_window);
    NextPage->setAccessibleName(QStringLiteral("Page suivante de l'énoncé"));
    add(NextPage, NextPagePlace, "LabStatementNextPage", Always);
    Keep = new QPushButton(QStringLiteral("Garder la réponse"), &m_window);
    add(Keep, KeepPlace, "LabKeep", Always);
    Clear = new QPushButton(QStringLiteral("Effacer les réponses"), &m_window);
    add(Clear, ClearPlace, "LabClear", Always);
    TimeBase = new QComboBox(&m_window);
    for (const char *choice : TimeBaseChoices)
        TimeBase->addItem(QString::fromUtf8(choice));
    TimeBase->setAccessibleName(QStringLiteral("Base de temps de l'enregistreur"));
    TimeBase->view()->setAccessibleName(TimeBase->accessibleName());
    TimeBase->setToolTip(QStringLiteral("Base de temps : à 50 et 200 ms, l'enregistreur se déclenche à chaque action"));
    add(TimeBase, TimeBasePlace, "LabTimeBase", Always);
}

void LabControls::makeCourseButton(std::function<void()> chooseExperiment)
{
    CourseExperiments = new QPushButton(QStringLiteral("Expériences du cours…"), &m_window);
    add(CourseExperiments, CourseExperimentsPlace, "LabCourseExperiments", Always);
    connect(CourseExperiments, &QPushButton::clicked, this, std::move(chooseExperiment));
}

void LabControls::connectRunTab(const Act &act)
{
    connect(Setpoint, &QSpinBox::valueChanged, this, [act](int hz) { act({Kind::Setpoint, hz}); });
    connect(SetpointSlider, &QSlider::valueChanged, this,
            [act](int notch) { act({Kind::Setpoint, notch * LabSettings::SetpointStep}); });
    const auto slope = [this] { return inUnits(Slope->value(), LabSettings::SlopeUnit); };
    connect(Step, &QRadioButton::toggled, this, [act](bool on) { if (on) act({Kind::Ramp, 0}); });
    connect(Ramp, &QRadioButton::toggled, this, [act, slope](bool on) { if (on) act({Kind::Ramp, slope()}); });
    // Between steps the slope waits on its box for the next ramp.
    connect(Slope, &QDoubleSpinBox::valueChanged, this, [this, act, slope] {
        if (Ramp->isChecked())
            act({Kind::Ramp, slope()});
    });
    connect(Load, &QDoubleSpinBox::valueChanged, this,
            [act](double volts) { act({Kind::Load, inUnits(volts, LabSettings::LoadUnit)}); });
    connect(StartAtRest, &QPushButton::clicked, this, [act] { act({Kind::StartAtRest}); });
    connect(StartLocked, &QPushButton::clicked, this, [act] { act({Kind::StartLocked}); });
    connect(SlowMotion, &QComboBox::currentIndexChanged, this, [act](int index) { act({Kind::SlowMotion, index}); });
}

void LabControls::connectRegulatorTab(const Act &act)
{
    connect(Corrector, &QCheckBox::toggled, this, [act](bool on) { act({Kind::Corrector, on}); });
    const double second = LabSettings::TimeConstantUnit;
    connect(Lead, &QDoubleSpinBox::valueChanged, this, [=](double s) { act({Kind::Lead, inUnits(s, second)}); });
    connect(Lag, &QDoubleSpinBox::valueChanged, this, [=](double s) { act({Kind::Lag, inUnits(s, second)}); });
    connect(Filter, &QDoubleSpinBox::valueChanged, this, [=](double s) { act({Kind::Filter, inUnits(s, second)}); });
    connect(Gain, &QDoubleSpinBox::valueChanged, this, [=](double k) { act({Kind::Gain, inUnits(k, LabSettings::GainUnit)}); });
    connect(CourseValues, &QPushButton::clicked, this, [act] { act({Kind::CourseValues}); });
}

void LabControls::connectViewButtons(const Act &act)
{
    connect(View, &QPushButton::clicked, this,
            [this, act] { act({Kind::FrequencyView, m_shown ? !m_shown->view.frequencyResponse : 1}); });
    connect(Statement, &QPushButton::clicked, this, [act](bool on) { act({Kind::Statement, on}); });
    connect(NextPage, &QPushButton::clicked, this, [this, act] {
        if (m_shown && m_shown->statementPages > 1)
            act({Kind::StatementPage, (m_shown->view.statementPage + 1) % m_shown->statementPages});
    });
    connect(Chart, &QComboBox::currentIndexChanged, this, [act](int index) { act({Kind::FrequencyChart, index}); });
    connect(Keep, &QPushButton::clicked, this, [act] { act({Kind::KeepResponse}); });
    connect(Clear, &QPushButton::clicked, this, [act] { act({Kind::ClearResponses}); });
    connect(TimeBase, &QComboBox::currentIndexChanged, this, [act](int index) { act({Kind::TimeBase, index}); });
}

void LabControls::place(const WindowLayout &layout)
{
    m_layout = &layout;
    for (qsizetype i = 0; i < m_widgets.size(); ++i)
        m_widgets[i]->setGeometry(layout.place(m_places[i]));
    placeViewSwitches();
}

void LabControls::placeViewSwitches()
{
    if (m_layout)
        View->setGeometry(m_layout->place(m_shown && m_shown->hasStatement ? ViewBesideStatementPlace : ViewPlace));
}

void LabControls::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    showGroups();
}

void LabControls::showGroups()
{
    const bool statement = m_shown && m_shown->hasStatement;
    const bool paged = statement && m_shown->view.statement && m_shown->statementPages > 1;
    const bool chart = m_shown && m_shown->chartShown();
    for (qsizetype i = 0; i < m_widgets.size(); ++i)
        m_widgets[i]->setVisible(m_visible && (m_groups[i] == Always || m_groups[i] == Tabs->currentIndex())
                                 && (m_widgets[i] != Statement || statement) && (m_widgets[i] != NextPage || paged)
                                 && (m_widgets[i] != Chart || chart));
}

void LabControls::show(const Lab &lab, const LabView &view)
{
    const bool hasStatement = !lab.title().empty() || !lab.text().empty();
    const Shown now{lab.settings(), lab.pace(), view, hasStatement, hasStatement ? labStatementPages(lab) : 0};
    if (m_shown && *m_shown == now)
        return;
    const bool statementChanged = !m_shown || m_shown->hasStatement != now.hasStatement
                                  || m_shown->view.statement != now.view.statement
                                  || m_shown->statementPages != now.statementPages;
    const bool chartChanged = !m_shown || m_shown->chartShown() != now.chartShown();
    m_shown = now;
    showSettings(now.settings, now.pace);
    showViewName(view.frequencyResponse);
    const QSignalBlocker quiet(Statement), quietChart(Chart);
    Statement->setChecked(view.statement);
    Chart->setCurrentIndex(int(view.chart));
    if (statementChanged)
        placeViewSwitches();
    if (statementChanged || chartChanged)
        showGroups();
}

void LabControls::showViewName(bool frequencyResponse)
{
    // The switch names the view it leads to.
    const QString name = frequencyResponse ? QStringLiteral("Signaux") : QStringLiteral("Réponse en fréquence");
    View->setText(name);
    View->setAccessibleName(name);
}

void LabControls::showSettings(const LabSettings &s, const LabPace &pace)
{
    // Only a control whose value differs is set: a value being typed stays as it is.
    const auto set = [](auto *widget, auto value, auto getter, auto setter) {
        if ((widget->*getter)() == value)
            return;
        const QSignalBlocker quiet(widget);
        (widget->*setter)(value);
    };
    set(Setpoint, s.setpoint, &QSpinBox::value, &QSpinBox::setValue);
    set(SetpointSlider, s.setpoint / LabSettings::SetpointStep, &QSlider::value, &QSlider::setValue);
    set(Step, s.ramp == 0, &QRadioButton::isChecked, &QRadioButton::setChecked);
    set(Ramp, s.ramp > 0, &QRadioButton::isChecked, &QRadioButton::setChecked);
    if (s.ramp > 0)
        set(Slope, s.ramp * LabSettings::SlopeUnit, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
    set(Corrector, s.corrector, &QCheckBox::isChecked, &QCheckBox::setChecked);
    set(Load, s.load * LabSettings::LoadUnit, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
    set(SlowMotion, pace.slowMotion, &QComboBox::currentIndex, &QComboBox::setCurrentIndex);
    set(TimeBase, pace.timeBase, &QComboBox::currentIndex, &QComboBox::setCurrentIndex);
    const double second = LabSettings::TimeConstantUnit;
    set(Lead, s.lead * second, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
    set(Lag, s.lag * second, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
    set(Filter, s.filter * second, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
    set(Gain, s.gain * LabSettings::GainUnit, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
}

#include "app/lab_controls.h"

#include "app/window_layout.h"

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

namespace {
using Kind = LabCommand::Kind;

// Window coordinates of the classic layout: the left of the drawing area, under the loop's blocks.
const QRect SetpointLabelPlace(14, 146, 120, 14);
const QRect SetpointPlace(14, 162, 62, 22);
const QRect SliderPlace(82, 164, 136, 20);
const QRect StepPlace(14, 188, 80, 18);
const QRect RampPlace(96, 188, 80, 18);
const QRect SlopeLabelPlace(14, 212, 120, 14);
const QRect SlopePlace(140, 208, 78, 22);
const QRect CorrectorPlace(14, 234, 204, 18);
const QRect LoadLabelPlace(14, 260, 124, 14);
const QRect LoadPlace(140, 256, 78, 22);
const QRect StartAtRestPlace(14, 284, 100, 25);
const QRect StartLockedPlace(118, 284, 100, 25);
const QRect SlowMotionLabelPlace(14, 320, 120, 14);
const QRect SlowMotionPlace(140, 316, 78, 22);

const char *const SlowMotionChoices[] = {"×1", "×1/10", "×1/100", "×1/1000"};
constexpr double VoltsPerTenth = 0.1;
constexpr int LoadDecimals = 1;
}

LabControls::LabControls(QWidget &window, Act act)
    : QObject(&window)
{
    // A value the lab brings into its steps (999 Hz to 1000) may leave its settings as they were:
    // the control acted on must still be set back to them.
    act = [this, acted = std::move(act)](const LabCommand &c) {
        m_shown.reset();
        acted(c);
    };
    const auto add = [&](QWidget *widget, const QRect &place, const char *name) {
        widget->setObjectName(QLatin1String(name));
        widget->setVisible(false);
        m_widgets << widget;
        m_places << place;
        if (widget->focusPolicy() != Qt::NoFocus)
            m_tabOrder << widget;
    };
    // A label names the control after it for the screen reader.
    const auto label = [&](const char *text, const QRect &place, QWidget *control) {
        auto *l = new QLabel(QString::fromUtf8(text), &window);
        l->setBuddy(control);
        control->setAccessibleName(l->text());
        add(l, place, "LabLabel");
        m_labels << l;
    };

    Setpoint = new QSpinBox(&window);
    Setpoint->setRange(0, Lab::MaxSetpoint);
    Setpoint->setSingleStep(Lab::SetpointStep);
    // A typed value applies on Enter; the arrows at once.
    Setpoint->setKeyboardTracking(false);
    SetpointSlider = new QSlider(Qt::Horizontal, &window);
    SetpointSlider->setRange(0, Lab::MaxSetpoint / Lab::SetpointStep);
    SetpointSlider->setPageStep(10);
    label("Consigne (Hz)", SetpointLabelPlace, Setpoint);
    add(Setpoint, SetpointPlace, "LabSetpoint");
    SetpointSlider->setAccessibleName(QStringLiteral("Consigne (Hz), curseur"));
    add(SetpointSlider, SliderPlace, "LabSetpointSlider");

    Step = new QRadioButton(QStringLiteral("Échelon"), &window);
    Ramp = new QRadioButton(QStringLiteral("Rampe"), &window);
    add(Step, StepPlace, "LabStep");
    add(Ramp, RampPlace, "LabRamp");

    Slope = new QSpinBox(&window);
    Slope->setRange(Lab::MinSlope, Lab::MaxSlope);
    Slope->setKeyboardTracking(false);
    label("Pente (Hz/s)", SlopeLabelPlace, Slope);
    add(Slope, SlopePlace, "LabSlope");

    Corrector = new QCheckBox(QStringLiteral("Correcteur à avance de phase"), &window);
    add(Corrector, CorrectorPlace, "LabCorrector");

    Load = new QDoubleSpinBox(&window);
    Load->setLocale(QLocale(QLocale::French, QLocale::France));
    Load->setRange(0, Lab::MaxLoadTenths * VoltsPerTenth);
    Load->setSingleStep(VoltsPerTenth);
    Load->setDecimals(LoadDecimals);
    Load->setKeyboardTracking(false);
    label("Couple résistant (V)", LoadLabelPlace, Load);
    add(Load, LoadPlace, "LabLoad");

    StartAtRest = new QPushButton(QStringLiteral("Départ arrêté"), &window);
    StartLocked = new QPushButton(QStringLiteral("Départ verrouillé"), &window);
    add(StartAtRest, StartAtRestPlace, "LabStartAtRest");
    add(StartLocked, StartLockedPlace, "LabStartLocked");

    SlowMotion = new QComboBox(&window);
    for (const char *choice : SlowMotionChoices)
        SlowMotion->addItem(QString::fromUtf8(choice));
    label("Ralenti", SlowMotionLabelPlace, SlowMotion);
    // Its drop-down list, which a screen reader meets on its own.
    SlowMotion->view()->setAccessibleName(SlowMotion->accessibleName());
    add(SlowMotion, SlowMotionPlace, "LabSlowMotion");

    connect(Setpoint, &QSpinBox::valueChanged, this, [act](int hz) { act({Kind::Setpoint, hz}); });
    connect(SetpointSlider, &QSlider::valueChanged, this,
            [act](int notch) { act({Kind::Setpoint, notch * Lab::SetpointStep}); });
    connect(Step, &QRadioButton::toggled, this, [act](bool on) { if (on) act({Kind::Ramp, 0}); });
    connect(Ramp, &QRadioButton::toggled, this, [act](bool on) { if (on) act({Kind::Ramp, 1}); });
    connect(Slope, &QSpinBox::valueChanged, this, [act](int rate) { act({Kind::Slope, rate}); });
    connect(Corrector, &QCheckBox::toggled, this, [act](bool on) { act({Kind::Corrector, on}); });
    connect(Load, &QDoubleSpinBox::valueChanged, this,
            [act](double volts) { act({Kind::Load, int(std::lround(volts / VoltsPerTenth))}); });
    connect(StartAtRest, &QPushButton::clicked, this, [act] { act({Kind::StartAtRest}); });
    connect(StartLocked, &QPushButton::clicked, this, [act] { act({Kind::StartLocked}); });
    connect(SlowMotion, &QComboBox::currentIndexChanged, this, [act](int index) { act({Kind::SlowMotion, index}); });
    show(LabSettings{});
}

void LabControls::place(const WindowLayout &layout)
{
    for (qsizetype i = 0; i < m_widgets.size(); ++i)
        m_widgets[i]->setGeometry(layout.place(m_places[i]));
}

void LabControls::setVisible(bool visible)
{
    if (m_widgets.first()->isVisible() == visible)
        return;
    for (QWidget *widget : m_widgets)
        widget->setVisible(visible);
}

void LabControls::show(const LabSettings &s)
{
    if (m_shown && *m_shown == s)
        return;
    m_shown = s;
    // Only a control whose value differs is set: a value being typed stays as it is.
    const auto set = [](auto *widget, auto value, auto getter, auto setter) {
        if ((widget->*getter)() == value)
            return;
        const QSignalBlocker quiet(widget);
        (widget->*setter)(value);
    };
    set(Setpoint, s.setpoint, &QSpinBox::value, &QSpinBox::setValue);
    set(SetpointSlider, s.setpoint / Lab::SetpointStep, &QSlider::value, &QSlider::setValue);
    set(Step, !s.ramp, &QRadioButton::isChecked, &QRadioButton::setChecked);
    set(Ramp, s.ramp, &QRadioButton::isChecked, &QRadioButton::setChecked);
    set(Slope, s.slope, &QSpinBox::value, &QSpinBox::setValue);
    set(Corrector, s.corrector, &QCheckBox::isChecked, &QCheckBox::setChecked);
    set(Load, s.loadTenths * VoltsPerTenth, &QDoubleSpinBox::value, &QDoubleSpinBox::setValue);
    set(SlowMotion, s.slowMotion, &QComboBox::currentIndex, &QComboBox::setCurrentIndex);
}

#pragma once
// The lab's controls: real widgets over the drawing area, children of the window like its page
// buttons, shown while the lab's page is. Each change is a student's action on the lab (a
// LabCommand); the lab's settings are shown back on them after every tick and command, so going
// back a frame shows the settings of that frame.
#include "pages/lab/lab.h"

#include <QList>
#include <QObject>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabBar;
class QWidget;
class WindowLayout;

class LabControls : public QObject
{
public:
    using Act = std::function<void(const LabCommand &)>;
    LabControls(QWidget &window, Act act);

    // The controls in screen order, the order Tab takes them in.
    const QList<QWidget *> &tabOrder() const { return m_tabOrder; }
    void place(const WindowLayout &layout);
    void setVisible(bool visible);
    // The settings on the controls, without acting on them.
    void show(const LabSettings &settings);

    QSpinBox *Setpoint;
    QSlider *SetpointSlider;
    QRadioButton *Step, *Ramp;
    QSpinBox *Slope;
    QCheckBox *Corrector;
    QDoubleSpinBox *Load;
    QPushButton *StartAtRest, *StartLocked;
    QComboBox *SlowMotion;
    // The regulator's tab.
    QDoubleSpinBox *Lead, *Lag, *Filter, *Gain;
    QPushButton *CourseValues;
    // Over the displays.
    QPushButton *View, *Keep, *Clear;
    // Which of the two groups of settings shows: the run's or the regulator's.
    QTabBar *Tabs;

private:
    void showGroups();

    QList<QWidget *> m_widgets;  // every widget, labels included
    QList<int> m_groups;         // the tab each belongs to, or -1 for none
    QList<QWidget *> m_tabOrder;
    QList<QRect> m_places;       // in the classic layout, one per widget
    QList<QLabel *> m_labels;
    std::optional<LabSettings> m_shown;
    bool m_visible = false;
};

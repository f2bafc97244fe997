#pragma once
// The lab's controls: real widgets over the drawing area, children of the window like its page
// buttons, shown while the lab's page is. Each change is a student's action on the lab (a
// LabCommand); the lab's settings are shown back on them after every tick and command, so going
// back a frame shows the settings of that frame.
#include "lab/lab.h"
#include "pages/lab/lab_command.h"
#include "pages/lab/lab_view.h"

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
    // `chooseExperiment` answers the button that lists the course's experiments.
    LabControls(QWidget &window, Act act, std::function<void()> chooseExperiment);

    // The controls in screen order, the order Tab takes them in.
    const QList<QWidget *> &tabOrder() const { return m_tabOrder; }
    void place(const WindowLayout &layout);
    void setVisible(bool visible);
    // The lab's settings, pace and view on the controls, without acting on them.
    void show(const Lab &lab, const LabView &view);

private:
    // What the controls show: set again only when it changes, so a value being typed stays.
    struct Shown
    {
        LabSettings settings;
        LabPace pace;
        LabView view;
        bool hasStatement;
        int statementPages;
        bool operator==(const Shown &) const = default;
        // The frequency view's chart, not covered by the experiment's words.
        bool chartShown() const { return view.frequencyResponse && !(view.statement && hasStatement); }
    };
    // Which of the two groups of settings a control belongs to, under its tab; or to none.
    enum Group { Always = -1, Run, Regulator };

    void add(QWidget *widget, const QRect &place, const char *name, Group group);
    // A label that names `control` for the screen reader.
    void addLabel(const char *text, const QRect &place, QWidget *control, Group group);
    void makeRunTab();
    void makeRegulatorTab();
    void makeViewButtons();
    void connectRunTab(const Act &act);
    void connectRegulatorTab(const Act &act);
    void connectViewButtons(const Act &act);
    void makeCourseButton(std::function<void()> chooseExperiment);
    void showGroups();
    void showSettings(const LabSettings &settings, const LabPace &pace);
    void showViewName(bool frequencyResponse);
    // The view's switch takes the statement's room beside it while that one shows.
    void placeViewSwitches();

    QWidget &m_window;
    QSpinBox *Setpoint;
    QSlider *SetpointSlider;
    QRadioButton *Step, *Ramp;
    QDoubleSpinBox *Slope;
    QCheckBox *Corrector;
    QDoubleSpinBox *Load;
    QPushButton *StartAtRest, *StartLocked;
    QComboBox *SlowMotion;
    // The regulator's tab.
    QDoubleSpinBox *Lead, *Lag, *Filter, *Gain;
    QPushButton *CourseValues;
    // Over the displays; the statement's switch only while an experiment has a title or text.
    QPushButton *View, *Statement, *NextPage, *Keep, *Clear;
    // On the recorder: its time base.
    QComboBox *TimeBase;
    // In the frequency view's corner, while it shows: its chart.
    QComboBox *Chart;
    // In the page's free top left corner: the course's experiments.
    QPushButton *CourseExperiments;
    // Which of the two groups of settings shows: the run's or the regulator's.
    QTabBar *Tabs;

    QList<QWidget *> m_widgets;  // every widget, labels included
    QList<int> m_groups;         // the tab each belongs to, or -1 for none
    QList<QWidget *> m_tabOrder;
    QList<QRect> m_places;       // in the classic layout, one per widget
    std::optional<Shown> m_shown;
    bool m_visible = false;
    const WindowLayout *m_layout = nullptr;
};

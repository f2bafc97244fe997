#pragma once
// The program's one window: the drawing area FOND, the topic list, the start and print
// buttons, the speed scroll bar, and the small buttons the pages show and hide. The pages draw
// on its stage; after each command and tick the window puts the stage's control set on its
// buttons and the picture on screen. Playback (pause, a frame forward or back) is its keys'
// and the drawing area's menu. The whole layout can be enlarged up to four times and shown full
// screen, the drawing area drawn again at that size (tpll_display.cpp), and its picture copied or
// saved; the lab's files are opened and saved (lab_files.cpp). Its widgets are its own: what it
// shows is read through control() and the like, and it is used by its actions, keys and
// controls, as a user uses it (window_readings.cpp).
#include "app/key_table.h"
#include "app/window_layout.h"
#include "pages/commands.h"
#include "pages/stage.h"
#include "playback/playback.h"

#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <vector>
#include <optional>

class LabControls;
class RangesMeasure;
class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QTimer;

// The drawing area: shows the canvas every page draws on, whose pixels are the area's own times
// the screen's pixel ratio.
class DrawingArea : public QWidget
{
public:
    DrawingArea(Canvas &canvas, QWidget *parent);
    // Puts what changed since the last call on screen, and tells the change listener, if any.
    void showDrawing();
    void setChangeListener(std::function<void()> listener) { m_changeListener = std::move(listener); }
    // While set, the area paints the picture drawn again at this scale (for printing).
    void paintAtScale(qreal scale) { m_paintScale = scale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Canvas pixels per pixel of the area.
    qreal canvasRatio() const;

    Canvas &m_canvas;
    std::function<void()> m_changeListener;
    qreal m_paintScale = 0;
};

// What the layout lies on, the speed marks painted on it. A layout larger than the window
// scrolls there; in full screen it fills the screen, the layout centred on it.
class LayoutSurface : public QWidget
{
public:
    LayoutSurface(const WindowLayout &layout, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const WindowLayout &m_layout;
};

// One control of the window as a user and a screen reader find it, read without reaching it.
struct ControlState
{
    QString accessibleName, text, hint;
    QRect place;  // in the window
    QSize needs;  // the size it asks for to show all it holds
    bool shown = false, enabled = false, checked = false, focused = false;
    // A scroll bar's, slider's, spin box's or combo box's value; the list's chosen row (-1: none).
    double value = 0;
};

class TPLL : public QWidget
{
public:
    explicit TPLL(QWidget *parent = nullptr);

    Stage &stage() { return m_stage; }
    Canvas &canvas() { return m_stage.canvas; }
    Playback &playback() { return m_playback; }

    // A click on the list: the command for the entry then selected.
    void Choix();
    void BitBtn1Click();
    void Timer1Timer();
    // Runs a button's command on the stage, then shows what it did.
    void command(Command command);
    // A student's action on the lab, kept by the playback; shows what it did.
    void labAction(const LabCommand &command);

    void togglePause();
    void stepForward();
    void stepBack();
    // The print button's work, when it can be done (one page at a time).
    void print();

    // The layout's enlargement, 1 to WindowLayout::MaxFactor, whole or not.
    qreal zoom() const { return m_layout.factor; }
    void setZoom(qreal factor);
    // The zoom keys: the next of WindowLayout::Steps up or down.
    void zoomIn();
    void zoomOut();
    void toggleFullScreen();
    // The drawing area's picture as it stands alone: on the lab, its settings written where its
    // controls stand on screen.
    Canvas::Snapshot standAlonePicture();
    // That picture onto the clipboard.
    void copyPicture();
    // Asks for a file and saves the picture there.
    void savePicture();
    // On the lab: asks for a file and saves there the measures of its run.
    void exportMeasures();
    // Asks for an experiment file and opens the lab on it.
    void openExperiment();
    // "Expériences du cours…": one of the experiments installed with the program, chosen from a list.
    void openCourseExperiment();
    // Opens the lab on the experiment at `path`; one that cannot be read is said in a dialog
    // and the window goes on as it was.
    void openExperimentFile(const QString &path);
    // The same without a dialog: what went wrong, or nothing.
    QString loadExperiment(const QString &path);
    // On the lab: asks for a file and saves the run there as an experiment.
    void saveExperiment();
    // The classic layout's area (controls and drawing), drawn at `scale` times its size: the
    // controls by Qt, the drawing area drawn again. What the print button prints.
    QImage layoutPicture(int scale);

    // The stage's control set on the buttons, the picture on screen, the playback state.
    void showStage();
    // The timer stopped: the ticks come from Timer1Timer() alone (tests, benchmarks).
    void stopTicking();

    // What the window shows, read: the control named `name` ("Button1", "ListBox1", "FOND",
    // "LabSetpoint"…), or nothing if there is none; the controls in the order Tab takes them;
    // whether an action can be used and is on; the timer's period (ms); the line under the
    // start button; a control as painted now.
    std::optional<ControlState> control(const QString &name) const;
    QStringList tabOrder() const;
    bool isEnabled(Keys::Action action) const;
    bool isChecked(Keys::Action action) const;
    int tickPeriod() const;
    QString status() const;
    QImage picture(const QString &name) const;
    // The drawing area's menu, in order, separators included.
    QList<QAction *> menuActions() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    // An experiment file dropped on the window opens.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The window's own parts, in files of their own: its keys, its accessibility, its help.
    friend void addWindowKeys(TPLL &window);
    friend void makeAccessible(TPLL &window);
    friend class PageAnnouncer;

    void makeButtons();
    void makeListAndLabels();
    void setTabOrders();
    QAction *action(Keys::Action action) const;
    // The actions checked and greyed out as the playback and the page call for.
    void showActionStates();
    // Every control, and the drawing area, where the layout puts them.
    void placeControls();
    // The lab's ranges measure moved on: its chart drawn again.
    void showRanges();
    // On the lab, a new scroll-bar position sets the loop time of the ticks from the next on.
    void takeLabTickPeriod();
    // The canvas drawn at the layout's factor times the screen's pixel ratio.
    void matchCanvasScale();
    // Where the controls and the speed marks lie, shown or not, on the layout's surface.
    QRect controlsExtent() const;
    // The surface as large as they take, or as the scroll area's view if that is larger.
    void fitSurface();
    // The least size that shows every control when the window is restored.
    QSize leastSize() const;
    // The largest factor the window may take: the screen's, in full screen.
    qreal largestZoom() const;
    // The most a window may take of its screen, its frame aside.
    QSize roomOnScreen() const;

    // The layout's surface, in a scroll area as large as the window: every control is the
    // surface's.
    QScrollArea *m_scroll;
    LayoutSurface *m_surface;
    DrawingArea *FOND;
    // The buttons the pages show and hide, by the control they stand for (Button1, ButtonA…).
    std::array<QPushButton *, ControlCount> m_buttons{};
    QPushButton *button(Control control) const { return m_buttons[std::size_t(control)]; }
    QPushButton *BitBtn1;
    QScrollBar *ScrollBar1;
    QListWidget *ListBox1;
    // The title and the course's name and version, over the drawing area (Label4, Label2, Label3).
    std::vector<QLabel *> m_titles;
    QTimer *Timer1;
    // The lab's controls, over the drawing area while the lab's page shows.
    LabControls *LabPanel;
    // "Mesurer les plages" and its measure, over the lab's "Plages" chart.
    RangesMeasure *Ranges;
    // "Pause — image 120 / 250 — « , » « . » : image par image" while paused, empty while running.
    QLabel *StatusLine;
    // The window's actions, by what they do (key_table.h).
    std::map<Keys::Action, QAction *> m_actions;

    WindowLayout m_layout;
    // What to go back to when leaving full screen.
    qreal m_windowedZoom = 1;
    bool m_maximisedBeforeFullScreen = false;
    // The experiment file last opened or saved: where the next save is offered.
    QString m_experimentPath;
    // An export of the measures under way: one at a time.
    bool m_exporting = false;
    Stage m_stage;
    Playback m_playback{m_stage};
};

// The one window.
extern TPLL *PLL;

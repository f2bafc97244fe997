#pragma once
// The program's one window: the drawing area FOND, the topic list, the start and print
// buttons, the speed scroll bar, and the small buttons the pages show and hide. The pages draw
// on its stage; after each command and tick the window puts the stage's control set on its
// buttons and the picture on screen. Playback (pause, a frame forward or back) is its keys'
// and the drawing area's menu. The whole layout can be enlarged two to four times and shown full
// screen, the drawing area drawn again at that size (tpll_display.cpp), and its picture copied or
// saved.
#include "app/window_layout.h"
#include "pages/commands.h"
#include "pages/stage.h"
#include "playback/playback.h"

#include <QWidget>

class LabControls;
class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTimer;

// The drawing area: shows the canvas every page draws on, whose pixels are the area's own times
// the screen's pixel ratio.
class DrawingArea : public QWidget
{
public:
    DrawingArea(Canvas &canvas, QWidget *parent);
    // Puts what changed since the last call on screen.
    void showDrawing();
    // While set, the area paints the picture drawn again at this scale (for printing).
    void paintAtScale(int scale) { m_paintScale = scale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Canvas pixels per pixel of the area.
    qreal canvasRatio() const;

    Canvas &m_canvas;
    int m_paintScale = 0;
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

    // The layout's enlargement, 1 to WindowLayout::MaxFactor.
    int zoom() const { return m_layout.factor; }
    void setZoom(int factor);
    void toggleFullScreen();
    // The picture onto the clipboard, as shown.
    void copyPicture();
    // Asks for a file and saves the picture there.
    void savePicture();
    // On the lab: asks for a file and saves there the measures of the run since its last start.
    void exportMeasures();
    // Asks for an experiment file and opens the lab on it.
    void openExperiment();
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

    DrawingArea *FOND;
    QPushButton *Button1, *ButtonA, *ButtonB, *ButtonC, *Button2, *ButtonPD, *ButtonD, *ButtonE,
        *ButtonF, *ButtonG, *Button3, *ButtonMod, *ButtonBOnc, *ButtonBOc, *ButtonPP, *Buttonregul,
        *BitBtn1;
    QScrollBar *ScrollBar1;
    QListWidget *ListBox1;
    QLabel *Label4, *Label2, *Label3;
    QTimer *Timer1;
    // The lab's controls, over the drawing area while the lab's page shows.
    LabControls *LabPanel;
    // "Pause — image 120 / 250" while paused, empty while running.
    QLabel *StatusLine;
    QAction *PauseAction, *StepForwardAction, *StepBackAction;
    QAction *CopyAction, *SaveAction, *SaveExperimentAction = nullptr, *ExportAction = nullptr, *ZoomInAction, *ZoomOutAction, *ZoomResetAction, *FullScreenAction,
        *LeaveFullScreenAction;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // An experiment file dropped on the window opens.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Every control, and the drawing area, where the layout puts them.
    void placeControls();
    // On the lab, a new scroll-bar position sets the loop time of the ticks from the next on.
    void takeLabTickPeriod();
    // The canvas drawn at the layout's factor times the screen's pixel ratio.
    void matchCanvasScale();
    // The least size that shows every control when the window is restored.
    QSize leastSize() const;

    WindowLayout m_layout;
    // The experiment file last opened or saved: where the next save is offered.
    QString m_experimentPath;
    // What to go back to when leaving full screen.
    int m_windowedZoom = 1;
    bool m_maximisedBeforeFullScreen = false;
    Stage m_stage;
    Playback m_playback{m_stage};
};

// The one window.
extern TPLL *PLL;

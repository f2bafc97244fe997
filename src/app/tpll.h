#pragma once
// The program's one window: the drawing area FOND, the topic list, the start and print
// buttons, the speed scroll bar, and the small buttons the pages show and hide. The pages draw
// on its stage; after each command and tick the window puts the stage's control set on its
// buttons and the picture on screen. Playback (pause, a frame forward or back) is its keys'
// and the drawing area's menu.
#include "pages/commands.h"
#include "pages/stage.h"
#include "playback/playback.h"

#include <QWidget>

class QAction;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTimer;

// The drawing area: shows the canvas every page draws on.
class DrawingArea : public QWidget
{
public:
    DrawingArea(Canvas &canvas, QWidget *parent);
    // Puts what was drawn since the last call on screen.
    void showDrawing();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Canvas &m_canvas;
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

    void togglePause();
    void stepForward();
    void stepBack();

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
    // "Pause — image 120 / 250" while paused, empty while running.
    QLabel *StatusLine;
    QAction *PauseAction, *StepForwardAction, *StepBackAction;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void addPlaybackActions();
    // The least size that shows every control when the window is restored.
    QSize leastSize() const;

    Stage m_stage;
    Playback m_playback{m_stage};
};

// The one window.
extern TPLL *PLL;

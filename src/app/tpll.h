#pragma once
// The program's one window: the drawing area FOND, the topic list, the start and print
// buttons, the speed scroll bar, and the small buttons the pages show and hide. Its handlers
// set the page state; its timer tick draws the page that state names.
#include "drawing/canvas.h"
#include "drawing/picture.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTimer;

// The drawing area: shows the canvas every page draws on.
class DrawingArea : public QWidget
{
public:
    explicit DrawingArea(QWidget *parent);
    Canvas &canvas() { return m_canvas; }
    // Puts what was drawn since the last call on screen.
    void showDrawing();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Canvas m_canvas;
};

class TPLL : public QWidget
{
public:
    explicit TPLL(QWidget *parent = nullptr);

    Canvas &canvas() { return FOND->canvas(); }
    void ClearDrawingArea();

    void Choix();
    void Button1Click();
    void ButtonAClick();
    void ButtonBClick();
    void ButtonCClick();
    void ButtonDClick();
    void ButtonEClick();
    void ButtonFClick();
    void ButtonGClick();
    void Button2Click();
    void Button3Click();
    void BitBtn1Click();
    void Timer1Timer();
    // The modelling page's picture buttons.
    void ButtonModClick();
    void ButtonBOncClick();
    void ButtonBOcClick();
    void ButtonregulClick();
    void ButtonPPClick();
    void ButtonPDClick();

    // Loads a carried picture into its object the first time, marked transparent, and draws it
    // with its top left at (x, y).
    void drawPicture(Picture &picture, const QString &name, int x, int y);

    DrawingArea *FOND;
    QPushButton *Button1, *ButtonA, *ButtonB, *ButtonC, *Button2, *ButtonPD, *ButtonD, *ButtonE,
        *ButtonF, *ButtonG, *Button3, *ButtonMod, *ButtonBOnc, *ButtonBOc, *ButtonPP, *Buttonregul,
        *BitBtn1;
    QScrollBar *ScrollBar1;
    QListWidget *ListBox1;
    QLabel *Label4, *Label2, *Label3;
    QTimer *Timer1;

    // One object per carried picture, loaded when first shown.
    Picture PdFiltreBitmap, SchemaPdBitmap, PllModelBitmap, PllBoncBitmap, PllBocBitmap, RegulBitmap;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void startElement(int firstStep);
    void drawMenuPage();
};

// The one window.
extern TPLL *PLL;

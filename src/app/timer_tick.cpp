// The timer tick: takes the period from the scroll bar and draws the page that PageStep names,
// advancing an animation's counter before its frame. The speed marks need no redrawing here:
// the window paints them whenever it is shown, so they are always on screen, and repainting
// them every tick was most of what a finished page cost.
#include "app/page_state.h"
#include "app/tpll.h"
#include "drawing/loop_diagram.h"
#include "pages/closedloop/operating_point_page.h"
#include "pages/modelling/modelling_page.h"
#include "pages/presentation/presentation_page.h"
#include "pages/closedloop/speed_change_page.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

void TPLL::Timer1Timer()
{
    if (Timer1->interval() != ScrollBar1->value())
        Timer1->setInterval(ScrollBar1->value());

    if (PageStep == 0)
        drawMenuPage();
    if (PageStep == -1)
        PresentationPage(*this);
    if (PageStep == -2)
        ModellingPage(*this);
    if (PageStep > 0 && PageStep < 250) {
        ++PageStep;
        OperatingPointPage(*this);
    }
    if (PageStep > 250 && PageStep < 570) {
        ++PageStep;
        ElementStep = PageStep - 250;
        SpeedChangePage(*this);
    }
    FOND->showDrawing();
}

void TPLL::drawMenuPage()
{
    ClearDrawingArea();
    for (QPushButton *b : {ButtonA, ButtonB, ButtonC, ButtonD, ButtonE, ButtonF, ButtonG, ButtonPD})
        b->hide();
    Button1->show();
    for (QPushButton *b : {Button2, Button3, ButtonMod})
        b->hide();
    drawLoopDiagram(canvas(), DiagramVariant::Full);
}

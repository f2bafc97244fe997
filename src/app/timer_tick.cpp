// The timer tick: takes the period from the scroll bar, redraws the speed marks and draws
// the page that PageStep names, advancing an animation's counter before its frame.
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

namespace {
// Where the window draws its "+" and "-" speed marks.
const QRegion SpeedMarks = QRegion(650, 500, 14, 20) + QRegion(790, 500, 14, 20);
}

void TPLL::Timer1Timer()
{
    if (Timer1->interval() != ScrollBar1->value())
        Timer1->setInterval(ScrollBar1->value());
    update(SpeedMarks);

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

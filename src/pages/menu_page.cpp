#include "pages/menu_page.h"

#include "drawing/loop_diagram.h"
#include "pages/stage.h"

void MenuPage(Stage &stage)
{
    using enum Control;
    stage.ClearDrawingArea();
    stage.controls.hide(ElementButtons);
    stage.controls.hide(ButtonPD);
    stage.controls.show(Button1);
    stage.controls.hide({Button2, Button3, ButtonMod});
    drawLoopDiagram(stage.canvas, DiagramVariant::Full);
}

#include "pages/stage.h"

namespace {
// The clearing rectangle reaches past the area's right and bottom edges (775 x 465), so it
// covers all of it.
constexpr int ClearRight = 793, ClearBottom = 473;

// In the order of the Control enumeration.
const char *const ControlNames[ControlCount] = {
    "Button1", "ButtonA", "ButtonB", "ButtonC", "Button2", "ButtonPD", "ButtonD", "ButtonE", "ButtonF", "ButtonG",
    "Button3", "ButtonMod", "ButtonBOnc", "ButtonBOc", "ButtonPP", "Buttonregul", "LabPanel",
};
}

const char *controlName(Control control)
{
    return ControlNames[int(control)];
}

Controls Controls::atStart()
{
    Controls controls;
    controls.show({Control::ButtonF, Control::ButtonG});
    return controls;
}

void Controls::show(std::span<const Control> controls)
{
    for (Control c : controls)
        show(c);
}

void Controls::hide(std::span<const Control> controls)
{
    for (Control c : controls)
        hide(c);
}

void Stage::ClearDrawingArea()
{
    canvas.setPenAndBrush(Colour::BtnFace);
    canvas.Rectangle(0, 0, ClearRight, ClearBottom);
}

void Stage::drawPicture(Picture &picture, const QString &name, int x, int y)
{
    if (picture.isNull()) {
        picture = Picture::fromResource(name);
        picture.setTransparent(true);
    }
    canvas.Draw(x, y, picture);
}

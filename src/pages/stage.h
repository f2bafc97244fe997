#pragma once
// What the pages draw through: the drawing area's canvas, the set of the window's small buttons
// to show, the pictures the program carries, and the lab's running loop. Nothing here is a widget: the window puts the
// set on its buttons after each command and tick, and the same pages run without any window
// for the tests, the benchmarks and the replay that steps back a frame.
#include "drawing/canvas.h"
#include "drawing/picture.h"
#include "lab/lab.h"
#include "pages/lab/lab_view.h"
#include "pages/lab/ranges_state.h"

#include <bitset>
#include <initializer_list>
#include <span>

// The buttons the pages show and hide, named after the window's controls.
enum class Control {
    Button1, ButtonA, ButtonB, ButtonC, Button2, ButtonPD, ButtonD, ButtonE, ButtonF, ButtonG,
    Button3, ButtonMod, ButtonBOnc, ButtonBOc, ButtonPP, Buttonregul,
    LabPanel, // the lab's controls, shown and hidden together
};
inline constexpr int ControlCount = int(Control::LabPanel) + 1;

// The control's name, as the window's button is named: "Button1", "ButtonA", ...
const char *controlName(Control control);

// The seven buttons beside the loop diagram's blocks, one per element of the loop.
inline constexpr Control ElementButtons[] = {
    Control::ButtonA, Control::ButtonB, Control::ButtonC, Control::ButtonD,
    Control::ButtonE, Control::ButtonF, Control::ButtonG,
};

// Which of those buttons are shown.
class Controls
{
public:
    // As the window opens: only the reducer's and the sensor's buttons, until the first tick.
    static Controls atStart();

    void show(Control control) { m_shown.set(std::size_t(control)); }
    void hide(Control control) { m_shown.reset(std::size_t(control)); }
    void show(std::span<const Control> controls);
    void hide(std::span<const Control> controls);
    void show(std::initializer_list<Control> controls) { show(std::span(controls.begin(), controls.size())); }
    void hide(std::initializer_list<Control> controls) { hide(std::span(controls.begin(), controls.size())); }
    bool isShown(Control control) const { return m_shown.test(std::size_t(control)); }
    bool operator==(const Controls &) const = default;

private:
    std::bitset<ControlCount> m_shown;
};

class Stage
{
public:
    Canvas canvas;
    Controls controls = Controls::atStart();
    // The lab's loop and settings, and what its page shows.
    Lab lab;
    LabView labView;
    // The lab's pull-in and hold ranges: the last measure, and the one under way.
    RangesState ranges;

    // One object per carried picture, loaded when first shown.
    Picture PdFiltreBitmap, SchemaPdBitmap, PllModelBitmap, PllBoncBitmap, PllBocBitmap, RegulBitmap;

    // Button face over the whole drawing area, pen and brush alike; most commands start with it.
    void ClearDrawingArea();
    // Loads a carried picture into its object the first time, marked transparent, and draws it
    // with its top left at (x, y).
    void drawPicture(Picture &picture, const QString &name, int x, int y);
};

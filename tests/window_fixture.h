#pragma once
// The real window for a test: state at its start values, timer stopped so the test ticks by
// hand, shown on the offscreen platform.
#include "app/page_state.h"
#include "app/tpll.h"

#include <QTimer>
#include <memory>

inline std::unique_ptr<TPLL> openWindow()
{
    resetPageState();
    auto window = std::make_unique<TPLL>();
    window->Timer1->stop();
    window->resize(800, 545);
    window->show();
    return window;
}

#include "pages/page_tick.h"

#include "pages/closedloop/operating_point_page.h"
#include "pages/closedloop/speed_change_page.h"
#include "pages/lab/lab_page.h"
#include "pages/menu_page.h"
#include "pages/modelling/modelling_page.h"
#include "pages/page_state.h"
#include "pages/presentation/presentation_page.h"

#include <limits>

namespace {
// The operating-point animation runs PageStep up to its last frame; the speed-change one follows
// it, its own step being PageStep less the operating point's.
constexpr int OperatingPointEnd = 250, SpeedChangeEnd = 570;
constexpr int SpeedChangeFrames = SpeedChangeEnd - OperatingPointEnd;
}

void PageTick(Stage &stage)
{
    if (PageStep == 0)
        MenuPage(stage);
    if (PageStep == -1)
        PresentationPage(stage);
    if (PageStep == -2)
        ModellingPage(stage);
    if (PageStep > 0 && PageStep < OperatingPointEnd) {
        ++PageStep;
        OperatingPointPage(stage);
    }
    if (PageStep > OperatingPointEnd && PageStep < SpeedChangeEnd) {
        ++PageStep;
        ElementStep = PageStep - OperatingPointEnd;
        SpeedChangePage(stage);
    }
    if (PageStep == LabPageStep) {
        // The lab never ends: after weeks at a millisecond a tick the count starts again.
        LabStep = LabStep % std::numeric_limits<std::int32_t>::max() + 1;
        LabPage(stage);
    }
}

std::optional<AnimationProgress> animationProgress()
{
    if (PageStep > 0 && PageStep <= OperatingPointEnd)
        return AnimationProgress{PageStep, OperatingPointEnd};
    if (PageStep > OperatingPointEnd && PageStep <= SpeedChangeEnd)
        return AnimationProgress{PageStep - OperatingPointEnd, SpeedChangeFrames};
    if (PageStep == -1 && ElementActive == 1)
        return presentationProgress();
    return std::nullopt;
}

std::optional<int> topicShown()
{
    if (PageStep == -1)
        return 0;
    if (PageStep == -2 || PageStep == -3)
        return 1;
    if (PageStep > 0 && PageStep <= OperatingPointEnd)
        return 2;
    if (PageStep > OperatingPointEnd && PageStep <= SpeedChangeEnd)
        return 3;
    if (PageStep == LabPageStep)
        return 4;
    return std::nullopt;
}

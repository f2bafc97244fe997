#include "pages/page_tick.h"

#include "pages/menu_page.h"
#include "pages/page_state.h"
#include "pages/presentation/presentation_page.h"
#include "pages/topics.h"

void PageTick(Stage &stage)
{
    if (PageStep == 0) {
        MenuPage(stage);
        return;
    }
    if (const std::optional<int> topic = topicOf(PageStep))
        topics()[std::size_t(*topic)].pageTick(stage);
}

std::optional<AnimationProgress> animationProgress()
{
    const std::optional<int> topic = topicOf(PageStep);
    if (!topic)
        return std::nullopt;
    const Topic &t = topics()[std::size_t(*topic)];
    if (t.animated)
        return AnimationProgress{PageStep - t.start + 1, t.highest - t.start + 1};
    if (PageStep == -1 && ElementActive == 1)
        return presentationProgress();
    return std::nullopt;
}

std::optional<int> topicShown()
{
    return topicOf(PageStep);
}

bool labShowing()
{
    return PageStep == LabPageStep;
}

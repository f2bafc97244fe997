#pragma once
// Where a running animation stands: its counter and the value it ends on.
#include <optional>

struct AnimationProgress
{
    int frame, last;
    bool operator==(const AnimationProgress &) const = default;
};

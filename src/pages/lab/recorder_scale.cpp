#include "pages/lab/recorder_scale.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {
constexpr double SpeedMargin = 0.25, LeastSpeedRange = 2;  // tr/s
// Of the last step's size, room kept beyond its target for the speed to overshoot.
constexpr double OvershootRoom = 0.5;

// Where the speed stood at the last action and where it is asked to go, if the action is on
// the paper.
std::optional<std::pair<double, double>> stepOnPaper(const Recorder &paper, double action)
{
    if (paper.size() < 2 || action <= paper.timeAt(0))
        return std::nullopt;
    int before = paper.size() - 1;
    while (before > 0 && paper.timeAt(before) > action)
        --before;
    return std::pair{paper.at(before).speed, paper.at(paper.size() - 1).setpointSpeed};
}
}

SpeedScale speedScale(const Recorder &paper, double action)
{
    double lowest = 0, highest = 0;
    for (int i = 0; i < paper.size(); ++i) {
        const Recorder::Sample &s = paper.at(i);
        lowest = std::min({i ? lowest : s.speed, s.speed, s.setpointSpeed});
        highest = std::max({i ? highest : s.speed, s.speed, s.setpointSpeed});
    }
    if (const auto step = stepOnPaper(paper, action)) {
        const auto [from, target] = *step;
        lowest = std::min(lowest, target + OvershootRoom * (target - from));
        highest = std::max(highest, target + OvershootRoom * (target - from));
    }
    // A motor that never turned backwards is drawn from 0 up.
    lowest = lowest >= 0 ? std::max(0.0, std::floor(lowest - SpeedMargin)) : std::floor(lowest - SpeedMargin);
    highest = std::max(std::ceil(highest + SpeedMargin), lowest + LeastSpeedRange);
    return {lowest, highest};
}

#pragma once
// The setpoint square's frequency over time, constant or ramping linearly between instants and
// holding after, and its phase: the instants of its edges come in closed form.
#include <vector>

namespace pllmodel {

class SetpointProfile
{
public:
    struct Point { double time; double frequency; };  // s, Hz

    // From `from` on (s, 0 or more), its phase counted from then.
    static SetpointProfile constant(double frequency, double from = 0);
    // Holds `from` until `start`, runs linearly to `to` over `duration`, then holds `to`.
    static SetpointProfile ramp(double from, double to, double start, double duration);

    // Linear from point to point, holding the first frequency before the first point and the
    // last after the last. Frequencies are finite and not negative, times finite, not negative
    // and increasing; anything else throws std::invalid_argument.
    explicit SetpointProfile(std::vector<Point> points);
    // Taken up at `time` with `cyclesRun` periods already run, the points from `time` on (the
    // first at `time`): a live setpoint changed again and again keeps its phase and no history.
    static SetpointProfile resumed(double time, double cyclesRun, std::vector<Point> points);

    // Where the phase is counted from.
    double start() const { return startTime; }
    double frequency(double t) const;
    // Whole periods since start(): the square is low over the first half of each.
    double cycles(double t) const;
    // The first instant at which `cycles` reaches `target`, or infinity if it never does.
    double timeOfCycles(double target) const;

private:
    double slope(std::size_t segment) const;
    void countCycles(double atFirstPoint);

    std::vector<Point> points;
    std::vector<double> cyclesAtPoint;
    // The phase is counted from here; the first frequency holds from then to the first point.
    double startTime = 0, startCycles = 0;
};

}

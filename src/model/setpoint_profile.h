#pragma once
// The setpoint square's frequency over time, constant or ramping linearly between instants and
// holding after, and its phase: the instants of its edges come in closed form.
#include <vector>

namespace pllmodel {

class SetpointProfile
{
public:
    struct Point { double time; double frequency; };  // s, Hz

    static SetpointProfile constant(double frequency);
    // Holds `from` until `start`, runs linearly to `to` over `duration`, then holds `to`.
    static SetpointProfile ramp(double from, double to, double start, double duration);

    // Linear from point to point, holding the first frequency before the first point and the
    // last after the last. Frequencies are finite and not negative, times finite, not negative
    // and increasing; anything else throws std::invalid_argument.
    explicit SetpointProfile(std::vector<Point> points);

    double frequency(double t) const;
    // Whole periods since time 0: the square is low over the first half of each.
    double cycles(double t) const;
    // The first instant at which `cycles` reaches `target`, or infinity if it never does.
    double timeOfCycles(double target) const;

private:
    double slope(std::size_t segment) const;

    std::vector<Point> points;
    std::vector<double> cyclesAtPoint;
};

}

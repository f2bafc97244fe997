#include "model/setpoint_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace pllmodel {

namespace {
void check(bool sound, const char *what)
{
    if (!sound)
        throw std::invalid_argument(what);
}
}

SetpointProfile SetpointProfile::constant(double frequency, double from)
{
    return from == 0 ? SetpointProfile({{0, frequency}}) : resumed(from, 0, {{from, frequency}});
}

SetpointProfile SetpointProfile::ramp(double from, double to, double start, double duration)
{
    return SetpointProfile({{start, from}, {start + duration, to}});
}

SetpointProfile::SetpointProfile(std::vector<Point> pointsInOrder)
    : points(std::move(pointsInOrder))
{
    check(!points.empty(), "Consigne sans fréquence : il en faut au moins une.");
    for (std::size_t i = 0; i < points.size(); ++i) {
        check(std::isfinite(points[i].frequency) && points[i].frequency >= 0,
              "Fréquence de consigne invalide : un nombre fini, positif ou nul, est attendu.");
        check(std::isfinite(points[i].time) && points[i].time >= 0,
              "Instant de consigne invalide : un nombre fini, positif ou nul, est attendu.");
        check(i == 0 || points[i].time > points[i - 1].time, "Les instants de la consigne doivent être croissants.");
    }
    countCycles(points[0].frequency * points[0].time);
}

void SetpointProfile::countCycles(double atFirstPoint)
{
    cyclesAtPoint.assign(1, atFirstPoint);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double meanFrequency = 0.5 * (points[i - 1].frequency + points[i].frequency);
        cyclesAtPoint.push_back(cyclesAtPoint.back() + meanFrequency * (points[i].time - points[i - 1].time));
    }
}

SetpointProfile SetpointProfile::resumed(double time, double cyclesRun, std::vector<Point> points)
{
    check(std::isfinite(cyclesRun) && cyclesRun >= 0,
          "Périodes de consigne invalides : un nombre fini, positif ou nul, est attendu.");
    SetpointProfile profile(std::move(points));
    check(std::isfinite(time) && time >= 0 && profile.points.front().time == time,
          "La consigne reprise doit commencer à l'instant de sa reprise.");
    profile.countCycles(cyclesRun);
    profile.startTime = time;
    profile.startCycles = cyclesRun;
    return profile;
}

double SetpointProfile::slope(std::size_t segment) const
{
    const Point &a = points[segment], &b = points[segment + 1];
    return (b.frequency - a.frequency) / (b.time - a.time);
}

double SetpointProfile::frequency(double t) const
{
    if (t <= points.front().time)
        return points.front().frequency;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (t < points[i + 1].time)
            return points[i].frequency + slope(i) * (t - points[i].time);
    return points.back().frequency;
}

double SetpointProfile::cycles(double t) const
{
    if (t <= points.front().time)
        return startCycles + points.front().frequency * (t - startTime);
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (t < points[i + 1].time) {
            const double tau = t - points[i].time;
            return cyclesAtPoint[i] + (points[i].frequency + 0.5 * slope(i) * tau) * tau;
        }
    return cyclesAtPoint.back() + points.back().frequency * (t - points.back().time);
}

double SetpointProfile::timeOfCycles(double target) const
{
    constexpr double Never = std::numeric_limits<double>::infinity();
    if (target <= startCycles)
        return startTime;
    if (target <= cyclesAtPoint.front())
        return startTime + (target - startCycles) / points.front().frequency;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (target > cyclesAtPoint[i + 1])
            continue;
        // f tau + s tau^2 / 2 = delta, in the form that keeps its digits when s is small.
        const double delta = target - cyclesAtPoint[i], f = points[i].frequency;
        const double root = f + std::sqrt(std::max(0.0, f * f + 2 * slope(i) * delta));
        const double tau = root > 0 ? 2 * delta / root : 0;
        return std::min(points[i].time + tau, points[i + 1].time);
    }
    const double f = points.back().frequency;
    return f > 0 ? points.back().time + (target - cyclesAtPoint.back()) / f : Never;
}

}

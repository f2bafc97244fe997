#pragma once
// The one zero of a monotone function inside a bracket whose ends have opposite signs:
// Newton's method kept inside the bracket, bisecting when a step would leave it, down to the
// last bit of a double.
#include <cmath>

namespace pllmodel {

// f(t) returns {value, slope}. fLo and fHi are f's values at lo and hi, of opposite signs, or
// fHi is zero. Returns the zero.
template <class F>
double bracketedRoot(F f, double lo, double hi, double fLo, double fHi)
{
    if (fHi == 0)
        return hi;
    const bool rising = fLo < fHi;
    constexpr int MaxIterations = 200;  // Newton takes a handful; bisection alone about 60
    double t = lo - fLo * (hi - lo) / (fHi - fLo);
    if (!(t > lo && t < hi))
        t = lo + 0.5 * (hi - lo);
    for (int i = 0; i < MaxIterations; ++i) {
        const auto [value, slope] = f(t);
        if (value == 0)
            return t;
        ((value < 0) == rising ? lo : hi) = t;
        double next = t - value / slope;
        if (!(next > lo && next < hi))
            next = lo + 0.5 * (hi - lo);
        if (next == t || std::nextafter(lo, hi) >= hi)
            return next;
        t = next;
    }
    return t;
}

}

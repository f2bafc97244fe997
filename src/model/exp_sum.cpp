#include "model/exp_sum.h"

#include "model/bracketed_root.h"

#include <cmath>
#include <utility>

namespace pllmodel {

ExpSum::ExpSum(double constant, const Terms &coefficients, const Terms &rates, int count)
    : c0(constant), n(count)
{
    for (int i = 0; i < n; ++i) {
        c[i] = coefficients[i];
        r[i] = rates[i];
    }
}

double ExpSum::operator()(double t) const
{
    double sum = c0;
    for (int i = 0; i < n; ++i)
        sum += c[i] * std::exp(-r[i] * t);
    return sum;
}

double ExpSum::slope(double t) const
{
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum -= r[i] * c[i] * std::exp(-r[i] * t);
    return sum;
}

// The derivative times exp(r0 t): positive factor, same zeros, one exponential fewer.
ExpSum ExpSum::derivativeShape() const
{
    Terms dc{}, dr{};
    for (int i = 1; i < n; ++i) {
        dc[i - 1] = -r[i] * c[i];
        dr[i - 1] = r[i] - r[0];
    }
    return ExpSum(-r[0] * c[0], dc, dr, n - 1);
}

int ExpSum::signChanges(double length, Terms &zeros) const
{
    if (n == 0)
        return 0;
    Terms turns{};
    const int turnCount = derivativeShape().signChanges(length, turns);
    int found = 0;
    double start = 0, valueAtStart = (*this)(0);
    for (int piece = 0; piece <= turnCount; ++piece) {
        const double end = piece < turnCount ? turns[piece] : length;
        const double valueAtEnd = (*this)(end);
        const bool changes = (valueAtStart < 0 && valueAtEnd >= 0) || (valueAtStart > 0 && valueAtEnd <= 0);
        if (changes)
            zeros[found++] = bracketedRoot([this](double t) { return std::pair((*this)(t), slope(t)); },
                                           start, end, valueAtStart, valueAtEnd);
        start = end;
        valueAtStart = valueAtEnd;
    }
    return found;
}

}

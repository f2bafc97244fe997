#pragma once
// A constant plus up to three decaying exponentials, c0 + sum of ci exp(-ri t): the shape of
// the motor's speed while the comparator output holds still. Its zeros are all found, none
// missed, by cutting the interval where the derivative vanishes; the derivative, once divided
// by its slowest exponential, has the same shape with one term fewer.
#include <array>

namespace pllmodel {

class ExpSum
{
public:
    static constexpr int MaxTerms = 3;
    using Terms = std::array<double, MaxTerms>;

    // rates: positive, distinct and ascending; the first `count` coefficients and rates are used.
    ExpSum(double constant, const Terms &coefficients, const Terms &rates, int count);

    double operator()(double t) const;
    double slope(double t) const;

    // The instants in (0, length) where the sum changes sign, ascending; returns how many (at
    // most the number of terms).
    int signChanges(double length, Terms &zeros) const;

private:
    ExpSum derivativeShape() const;

    double c0;
    Terms c{};
    Terms r{};
    int n;
};

}

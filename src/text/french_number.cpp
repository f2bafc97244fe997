#include "text/french_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace French {
namespace {
// Room for any double written out in full, 309 digits before the point and the decimals after.
constexpr int Room = 400;

std::string withComma(const char *begin, const char *end)
{
    std::string text(begin, end);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

bool isNegativeZero(const char *begin, const char *end)
{
    return *begin == '-' && std::all_of(begin + 1, end, [](char c) { return c == '0' || c == '.'; });
}
}

std::string decimal(double value, int places)
{
    if (!std::isfinite(value))
        return {};
    char text[Room];
    const auto [end, error] = std::to_chars(text, text + Room, value, std::chars_format::fixed, places);
    if (error != std::errc())
        return {};
    const char *begin = isNegativeZero(text, end) ? text + 1 : text;
    return withComma(begin, end);
}

std::string significant(double value, int digits)
{
    if (!std::isfinite(value))
        return {};
    char text[Room];
    const auto [end, error] = std::to_chars(text, text + Room, value, std::chars_format::general, digits);
    return error == std::errc() ? withComma(text, end) : std::string();
}

std::string shortest(double value)
{
    if (!std::isfinite(value))
        return {};
    char text[Room];
    const auto [end, error] = std::to_chars(text, text + Room, value, std::chars_format::fixed);
    return error == std::errc() ? withComma(text, end) : std::string();
}

}

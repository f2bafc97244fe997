#pragma once
// Numbers as French writes them, with a decimal comma: the one formatter behind every number the
// program shows, prints, exports or quotes in a message.
#include <QString>
#include <string>

namespace French {

// `places` decimals, rounded; a value that rounds to nothing loses its sign. Empty for a value
// that is not a finite number.
std::string decimal(double value, int places);
// `digits` significant digits at most, trailing zeros dropped ("0,0025", "1,2").
std::string significant(double value, int digits);
// The fewest decimals that give the value back exactly ("0,0001", "157", "1,5").
std::string shortest(double value);

}

// French::decimal for the texts drawn on the pages and shown by the window.
inline QString frenchDecimal(double value, int places)
{
    return QString::fromStdString(French::decimal(value, places));
}

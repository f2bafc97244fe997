#include "lab/experiment_file.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace ExperimentFile {

namespace {
// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
void appendString(QByteArray &out, const std::string &text)
{
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// A whole number of units of 10^-places as its decimal: 250 units of 0,0001 is 0.025.
QByteArray decimal(int units, int places)
{
    int scale = 1;
    for (int i = 0; i < places; ++i)
        scale *= 10;
    QByteArray text = QByteArray::number(std::abs(units) / scale);
    if (const int fraction = std::abs(units) % scale) {
        QByteArray digits = QByteArray::number(fraction).rightJustified(places, '0');
        while (digits.endsWith('0'))
            digits.chop(1);
        text += '.' + digits;
    }
    return units < 0 ? '-' + text : text;
}

// An instant, in the fewest digits that read back to the same bits.
QByteArray exact(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return QByteArray(text, end - text);
}

constexpr int SlopePlaces = 1, LoadPlaces = 1, TimeConstantPlaces = 4, GainPlaces = 2;

void appendChange(QByteArray &out, const LabChange &c, const char *between)
{
    const auto key = [&](const char *name, const QByteArray &value) {
        out += between;
        out += '"';
        out += name;
        out += "\": ";
        out += value;
    };
    if (c.restart)
        key("restart", *c.restart == LabStart::Locked ? "\"locked\"" : "\"rest\"");
    if (c.setpoint)
        key("setpoint", QByteArray::number(*c.setpoint));
    if (c.ramp)
        key("ramp", *c.ramp > 0 ? decimal(*c.ramp, SlopePlaces) : QByteArray("null"));
    if (c.load)
        key("load", decimal(*c.load, LoadPlaces));
    if (c.corrector)
        key("corrector", *c.corrector ? "true" : "false");
    if (c.lead)
        key("tau1", decimal(*c.lead, TimeConstantPlaces));
    if (c.lag)
        key("tau2", decimal(*c.lag, TimeConstantPlaces));
    if (c.filter)
        key("tau3", decimal(*c.filter, TimeConstantPlaces));
    if (c.gain)
        key("gain", decimal(*c.gain, GainPlaces));
}
}

QByteArray write(const Experiment &e)
{
    QByteArray out = "{\n  \"format\": \"";
    out += Format;
    out += "\",\n  \"version\": " + QByteArray::number(Version) + ",\n";
    for (const auto &[key, words] : {std::pair{"title", &e.title}, std::pair{"text", &e.text}}) {
        if (words->empty())
            continue;
        out += "  \"" + QByteArray(key) + "\": ";
        appendString(out, *words);
        out += ",\n";
    }
    out += "  \"start\": ";
    out += e.run.start == LabStart::Locked ? "\"locked\"" : "\"rest\"";
    const LabSettings &s = e.run.settings;
    appendChange(out, {s.setpoint, s.ramp, s.load, s.lead, s.lag, s.filter, s.gain, s.corrector, {}}, ",\n  ");
    out += ",\n  \"actions\": [";
    for (std::size_t i = 0; i < e.run.actions.size(); ++i) {
        const LabAction &action = e.run.actions[i];
        out += i ? ",\n    { \"at\": " : "\n    { \"at\": ";
        out += exact(action.at);
        appendChange(out, action.change, ", ");
        out += " }";
    }
    out += e.run.actions.empty() ? "]" : "\n  ]";
    if (e.until)
        out += ",\n  \"until\": " + exact(*e.until);
    out += "\n}\n";
    return out;
}

}

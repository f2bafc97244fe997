#include "lab/experiment_file.h"

#include "lab/setting_ranges.h"
#include "text/french_number.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <span>

namespace ExperimentFile {
namespace {
const char *const Rest = "rest";
const char *const Locked = "locked";

// The keys a file may hold, in the order it is written; the settings' keys, shared by the file's
// start and its actions.
const char *const FileKeys[] = {"format", "version", "title", "text", "start", "setpoint", "ramp", "load",
                                "corrector", "tau1", "tau2", "tau3", "gain", "actions", "until"};
const char *const ActionKeys[] = {"at", "restart", "setpoint", "ramp", "load", "corrector", "tau1", "tau2", "tau3", "gain"};

// What the reader refuses, thrown from deep inside it and said once.
struct Refusal
{
    std::string why;
};
[[noreturn]] void refuse(std::string why)
{
    throw Refusal{std::move(why)};
}

std::string quoted(const std::string &text) { return "« " + text + " »"; }
std::string quotedKey(const char *key) { return quoted(key); }
// Words taken from the file, quoted with their control characters and line separators escaped
// as JSON writes them: the message stays one line of printable text.
std::string quotedFromFile(const QString &words)
{
    // A name longer than a line is cut: the message stays one line to read.
    constexpr qsizetype Longest = 60;
    QString shown;
    for (const QChar c : words.left(Longest)) {
        const char16_t u = c.unicode();
        if (u == '\n' || u == '\r' || u == '\t')
            shown += u == '\n' ? u"\\n" : u == '\r' ? u"\\r" : u"\\t";
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029)
            shown += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (words.size() > Longest)
        shown += QStringLiteral("…");
    return quoted(shown.toStdString());
}

// A number as the messages quote it.
std::string said(double value) { return French::significant(value, 12); }

// The offset of the first byte that does not belong to UTF-8 text (overlong forms and
// surrogates included), or -1.
qsizetype notUtf8At(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char c = data[i];
        const int length = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
        if (length == 0 || i + length > size)
            return i;
        char32_t code = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            if ((data[i + k] & 0xC0) != 0x80)
                return i;
            code = code << 6 | (data[i + k] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)
            return i;
        i += length;
    }
    return -1;
}

const char *parseErrorText(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject: return "un objet { … } n'est pas fermé";
    case QJsonParseError::MissingNameSeparator: return "« : » manque après une clé";
    case QJsonParseError::UnterminatedArray: return "une liste [ … ] n'est pas fermée";
    case QJsonParseError::MissingValueSeparator: return "« , » manque entre deux valeurs";
    case QJsonParseError::IllegalNumber: return "nombre invalide";
    case QJsonParseError::TerminationByNumber: return "le texte s'arrête au milieu d'un nombre";
    case QJsonParseError::IllegalEscapeSequence: return "séquence d'échappement invalide";
    case QJsonParseError::UnterminatedString: return "un texte entre guillemets n'est pas fermé";
    case QJsonParseError::MissingObject: return "un objet { … } est attendu";
    case QJsonParseError::DeepNesting: return "trop de niveaux imbriqués";
    case QJsonParseError::GarbageAtEnd: return "du texte suit la fin de l'objet";
    default: return "valeur invalide";
    }
}

// Where a byte offset falls, in lines and characters as an editor counts them.
std::string position(const QByteArray &bytes, qsizetype offset)
{
    int line = 1, column = 1;
    for (qsizetype i = 0; i < std::min(offset, bytes.size()); ++i) {
        if (bytes[i] == '\n')
            line = 1 + line, column = 1;
        else if ((bytes[i] & 0xC0) != 0x80)
            ++column;
    }
    return "ligne " + std::to_string(line) + ", colonne " + std::to_string(column);
}

void refuseUnknownKeys(const QJsonObject &object, std::span<const char *const> known, const std::string &where)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        if (std::none_of(known.begin(), known.end(), [&](const char *k) { return key == QLatin1String(k); }))
            refuse(where + "clé inconnue " + quotedFromFile(key));
    }
}

double number(const QJsonValue &value, const char *key, const std::string &where)
{
    if (!value.isDouble())
        refuse(where + quotedKey(key) + " doit être un nombre");
    const double n = value.toDouble();
    if (!std::isfinite(n))
        refuse(where + quotedKey(key) + " n'est pas un nombre fini");
    return n;
}

int setting(const QJsonValue &value, const char *key, const SettingRange &range, const std::string &where)
{
    const double n = number(value, key, where);
    const std::optional<int> units = range.read(n);
    if (!units)
        refuse(where + quotedKey(key) + " vaut " + said(n) + " : " + range.expected);
    return *units;
}

LabStart start(const QJsonValue &value, const char *key, const std::string &where)
{
    const QString word = value.toString();
    if (!value.isString() || (word != QLatin1String(Rest) && word != QLatin1String(Locked)))
        refuse(where + quotedKey(key) + " doit valoir « rest » ou « locked »");
    return word == QLatin1String(Locked) ? LabStart::Locked : LabStart::Rest;
}

double instant(const QJsonValue &value, const char *key, const std::string &where)
{
    const double t = number(value, key, where);
    if (t < 0 || t > MaxTime)
        refuse(where + quotedKey(key) + " vaut " + said(t) + " : un instant de 0 à " + said(MaxTime) +
               " s est attendu");
    return t;
}

// The settings' keys an object holds, as the changes they make.
LabChange changeIn(const QJsonObject &object, const std::string &where)
{
    using namespace SettingRanges;
    LabChange change;
    const auto given = [&](const char *key) { return object.contains(QLatin1String(key)); };
    const auto value = [&](const char *key) { return object.value(QLatin1String(key)); };
    if (given("setpoint"))
        change.setpoint = setting(value("setpoint"), "setpoint", Setpoint, where);
    if (given("ramp"))
        change.ramp = value("ramp").isNull() ? 0 : setting(value("ramp"), "ramp", Slope, where);
    if (given("load"))
        change.load = setting(value("load"), "load", Load, where);
    if (given("corrector")) {
        if (!value("corrector").isBool())
            refuse(where + "« corrector » doit valoir true ou false");
        change.corrector = value("corrector").toBool();
    }
    if (given("tau1"))
        change.lead = setting(value("tau1"), "tau1", TimeConstant, where);
    if (given("tau2"))
        change.lag = setting(value("tau2"), "tau2", TimeConstant, where);
    if (given("tau3"))
        change.filter = setting(value("tau3"), "tau3", TimeConstant, where);
    if (given("gain"))
        change.gain = setting(value("gain"), "gain", Gain, where);
    return change;
}

LabSettings settingsIn(const QJsonObject &object)
{
    const LabChange c = changeIn(object, {});
    LabSettings s;
    s.setpoint = c.setpoint.value_or(s.setpoint);
    s.ramp = c.ramp.value_or(s.ramp);
    s.load = c.load.value_or(s.load);
    s.corrector = c.corrector.value_or(s.corrector);
    s.lead = c.lead.value_or(s.lead);
    s.lag = c.lag.value_or(s.lag);
    s.filter = c.filter.value_or(s.filter);
    s.gain = c.gain.value_or(s.gain);
    return s;
}

std::vector<LabAction> actionsIn(const QJsonValue &value)
{
    if (!value.isArray())
        refuse("« actions » doit être une liste [ … ]");
    const QJsonArray list = value.toArray();
    if (std::size_t(list.size()) > MaxActions)
        refuse("plus de " + std::to_string(MaxActions) + " actions (" + std::to_string(list.size()) + ")");
    std::vector<LabAction> actions;
    actions.reserve(std::size_t(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i) {
        const std::string where = "action n° " + std::to_string(i + 1) + " : ";
        if (!list[i].isObject())
            refuse(where + "un objet { … } est attendu");
        const QJsonObject object = list[i].toObject();
        refuseUnknownKeys(object, ActionKeys, where);
        if (!object.contains(QLatin1String("at")))
            refuse(where + "la clé « at » manque");
        LabAction action{instant(object.value(QLatin1String("at")), "at", where), changeIn(object, where)};
        if (object.contains(QLatin1String("restart")))
            action.change.restart = start(object.value(QLatin1String("restart")), "restart", where);
        if (!actions.empty() && action.at < actions.back().at)
            refuse(where + "« at » vaut " + said(action.at) + ", avant l'action précédente (" +
                   said(actions.back().at) + ") : les actions vont dans l'ordre de leurs instants");
        actions.push_back(action);
    }
    return actions;
}

std::string text(const QJsonObject &object, const char *key, std::size_t longest)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return {};
    if (!value.isString())
        refuse(quotedKey(key) + " doit être un texte entre guillemets");
    const QString words = value.toString();
    const std::size_t characters = std::size_t(words.toUcs4().size());
    if (characters > longest)
        refuse(quotedKey(key) + " dépasse " + std::to_string(longest) + " caractères (" + std::to_string(characters) + ")");
    return words.toStdString();
}

void checkFormat(const QJsonObject &object)
{
    const QJsonValue format = object.value(QLatin1String("format"));
    if (format.isUndefined())
        refuse("la clé « format » manque (une expérience commence par \"format\": \"pll-experience\")");
    if (format.toString() != QLatin1String(Format))
        refuse("« format » ne vaut pas « pll-experience » : ce n'est pas une expérience PLL");
    const QJsonValue version = object.value(QLatin1String("version"));
    if (version.isUndefined())
        refuse("la clé « version » manque");
    const double v = version.toDouble(-1);
    if (version.isDouble() && v > Version && v == std::floor(v))
        refuse("elle vient d'une version plus récente du programme (format version " + said(v) +
               " ; ce programme lit la version 1)");
    if (!version.isDouble() || v != Version)
        refuse("« version » doit valoir 1");
}

Experiment experimentIn(const QJsonObject &object)
{
    checkFormat(object);
    refuseUnknownKeys(object, FileKeys, {});
    Experiment e;
    e.title = text(object, "title", Experiment::MaxTitle);
    e.text = text(object, "text", Experiment::MaxText);
    if (object.contains(QLatin1String("start")))
        e.run.start = start(object.value(QLatin1String("start")), "start", {});
    e.run.settings = settingsIn(object);
    if (object.contains(QLatin1String("actions")))
        e.run.actions = actionsIn(object.value(QLatin1String("actions")));
    if (object.contains(QLatin1String("until")))
        e.until = instant(object.value(QLatin1String("until")), "until", {});
    return e;
}
}

std::variant<Experiment, std::string> parse(const QByteArray &bytes)
{
    try {
        if (bytes.size() > MaxBytes)
            refuse("il dépasse 10 Mo");
        // A byte order mark, as some editors write one, is not part of the text.
        const QByteArray json = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
        if (json.trimmed().isEmpty())
            refuse("le fichier est vide");
        if (const qsizetype at = notUtf8At(json); at >= 0)
            refuse("le texte n'est pas en UTF-8 (" + position(json, at) + ")");
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError)
            refuse("ce n'est pas du JSON (" + position(json, error.offset) + " : " + parseErrorText(error.error) + ")");
        if (!document.isObject())
            refuse("le JSON n'est pas un objet { … }");
        return experimentIn(document.object());
    } catch (const Refusal &refusal) {
        return refusal.why;
    }
}

std::variant<Experiment, std::string> read(const QString &path)
{
    const QFileInfo info(path);
    const auto because = [&](const std::string &why) {
        return "L'expérience " + quoted(path.toStdString()) + " ne peut pas être ouverte : " + why + ".";
    };
    if (!info.exists())
        return because("le fichier n'existe pas");
    if (info.isDir())
        return because("c'est un dossier");
    if (info.size() > MaxBytes)
        return because("il dépasse 10 Mo");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return because(info.isReadable() ? "la lecture a échoué" : "la lecture en est refusée");
    // One byte more than the most a file may hold: a file that grew since tells.
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return because("la lecture a échoué");
    auto parsed = parse(bytes);
    if (const auto *why = std::get_if<std::string>(&parsed))
        return because(*why);
    return parsed;
}

}

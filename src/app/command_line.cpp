#include "app/command_line.h"

#include "app/key_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace CommandLine {

const char *const Program = "pll";
const char *const Version = PLL_VERSION;
const char *const Purpose = "Cours sur l'asservissement de vitesse d'un radar par verrouillage de phase.";

namespace {
constexpr const char *HelpOption = "--help";
constexpr const char *VersionOption = "--version";
constexpr const char *SimulateOption = "--simulate";

constexpr std::array OptionTable{
    Entry{HelpOption, "affiche cette aide et quitte"},
    Entry{VersionOption, "affiche la version et quitte"},
    Entry{SimulateOption, "fait tourner la boucle du laboratoire sans fenêtre et écrit ses mesures sur la sortie "
                          "standard, en tableau CSV (séparateur « ; », virgule décimale, UTF-8)"},
};

// Numbers take a decimal comma or point; the limits are the lab's controls'.
constexpr std::array SimulationTable{
    Entry{"--experiment FICHIER", "l'expérience du fichier (.pll) : les options données à côté remplacent ses "
                                  "réglages de départ et ajoutent leurs actions aux siennes ; sa durée est celle de "
                                  "l'expérience enregistrée, s'il en a une"},
    Entry{"--setpoint HZ", "consigne au départ, de 0 à 3000 Hz par pas de 10 (1000)"},
    Entry{"--duration S", "temps de boucle simulé, plus de 0 et au plus 86400 s (3)"},
    Entry{"--every S", "temps entre deux lignes, de 0,0001 à 3600 s, au plus 3600001 lignes (0,001) ; "
                       "au-delà d'une heure, seule la dernière heure est écrite"},
    Entry{"--start rest|locked", "départ arrêté ou verrouillé sur la consigne (rest)"},
    Entry{"--ramp HZ/S", "les changements de consigne se font en rampe, de 0,1 à 100000 Hz/s par pas de 0,1 "
                         "(sans elle, en échelon)"},
    Entry{"--no-corrector", "sans correcteur à avance de phase : un gain de 1"},
    Entry{"--load V", "couple résistant au départ, de 0 à 2 V par pas de 0,1 (0)"},
    Entry{"--change T:HZ", "à l'instant T (s), la consigne passe en échelon à HZ ; se répète"},
    Entry{"--load-change T:V", "à l'instant T (s), le couple résistant passe à V ; se répète"},
    Entry{"--tau1 S", "constante de temps d'avance du correcteur, de 0,0001 à 1 s par pas de 0,0001 (0,025)"},
    Entry{"--tau2 S", "constante de temps de retard du correcteur, mêmes limites (0,0025)"},
    Entry{"--tau3 S", "constante de temps du filtre du correcteur, mêmes limites (0,0008)"},
    Entry{"--gain G", "gain du correcteur, de 0,1 à 10 par pas de 0,01 (1)"},
};

constexpr std::array ExperimentTable{
    Entry{"format", "\"pll-experience\" (obligatoire)"},
    Entry{"version", "1 (obligatoire) ; une version plus récente est refusée en le disant"},
    Entry{"title", "titre, au plus 200 caractères (facultatif)"},
    Entry{"text", "énoncé, au plus 4000 caractères (facultatif)"},
    Entry{"start", "\"rest\" (départ arrêté, par défaut) ou \"locked\" (départ verrouillé)"},
    Entry{"setpoint", "consigne au départ, Hz, de 0 à 3000 par pas de 10 (1000)"},
    Entry{"ramp", "null : changements de consigne en échelon (par défaut) ; sinon leur pente en rampe, Hz/s, "
                  "de 0,1 à 100000 par pas de 0,1"},
    Entry{"load", "couple résistant, V, de 0 à 2 par pas de 0,1 (0)"},
    Entry{"corrector", "true : correcteur à avance de phase (par défaut) ; false : un gain de 1"},
    Entry{"tau1, tau2, tau3", "constantes de temps du correcteur, s, de 0,0001 à 1 par pas de 0,0001 "
                              "(0,025, 0,0025, 0,0008)"},
    Entry{"gain", "gain du correcteur, de 0,1 à 10 par pas de 0,01 (1)"},
    Entry{"actions", "liste d'actions dans l'ordre de leurs instants, au plus 100000 : chacune a \"at\", "
                     "l'instant en secondes depuis le départ (de 0 à 1000000), et les réglages qu'elle change "
                     "(setpoint, ramp, load, corrector, tau1, tau2, tau3, gain), et \"restart\": \"rest\" "
                     "ou \"locked\" pour repartir ensuite de ces réglages"},
    Entry{"until", "temps de boucle, s, où l'expérience a été enregistrée, de 0 à 1000000 (facultatif) : la "
                   "fenêtre s'y met en pause, --simulate s'y arrête sans --duration"},
};

// The key names Qt's French catalogue changes, so that the help names a key as the menu does.
struct KeyWord
{
    std::string_view portable;
    const char *french;
};
constexpr std::array KeyWords{
    KeyWord{"Esc", "Échap"},      KeyWord{"Space", "Espace"},        KeyWord{"Shift", "Maj"},
    KeyWord{"Meta", "Méta"},      KeyWord{"Home", "Début"},          KeyWord{"End", "Fin"},
    KeyWord{"Left", "Gauche"},    KeyWord{"Right", "Droite"},        KeyWord{"Up", "Haut"},
    KeyWord{"Down", "Bas"},       KeyWord{"PgUp", "Page préc"},      KeyWord{"PgDown", "Page suiv"},
    KeyWord{"Ins", "Inser"},      KeyWord{"Del", "Suppr"},           KeyWord{"Return", "Retour"},
    KeyWord{"Enter", "Entrée"},   KeyWord{"Backspace", "Effacement"}, KeyWord{"Print", "Imprimer"},
};

std::string inWords(std::string_view name)
{
    for (const KeyWord &word : KeyWords)
        if (name == word.portable)
            return word.french;
    return std::string(name);
}

// "Shift+Esc" as "Maj+Échap": modifiers end in '+', and what is left is the key, "+" itself in "Ctrl++".
std::string keyInWords(std::string_view key)
{
    std::string words;
    for (std::size_t plus; (plus = key.find('+')) != std::string_view::npos && plus > 0 && plus + 1 < key.size();) {
        words += inWords(key.substr(0, plus)) + '+';
        key.remove_prefix(plus + 1);
    }
    return words + inWords(key);
}

// Characters shown, not bytes: the names hold accented letters in UTF-8.
std::size_t displayWidth(std::string_view text)
{
    std::size_t width = 0;
    for (char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return width;
}

template <typename Table>
void appendTable(std::string &text, const char *title, const Table &table)
{
    std::size_t column = 0;
    for (const auto &entry : table)
        column = std::max(column, displayWidth(entry.name));
    text += title;
    text += '\n';
    for (const auto &entry : table) {
        text += "  ";
        text += entry.name;
        text.append(column - displayWidth(entry.name) + 2, ' ');
        text += entry.meaning;
        text += '\n';
    }
}
}

const std::span<const Entry> Options = OptionTable;
const std::span<const Entry> SimulationOptions = SimulationTable;
const std::span<const Entry> ExperimentKeys = ExperimentTable;

std::vector<Line> windowKeys()
{
    std::vector<Line> lines;
    for (const Keys::Description &keys : Keys::ControlKeys)
        lines.push_back({keys.keys, keys.meaning});
    for (const Keys::Row &row : Keys::Actions) {
        std::string names;
        for (const char *key : row.keyList())
            names += (names.empty() ? "" : ", ") + keyInWords(key);
        lines.push_back({names, row.meaning});
    }
    return lines;
}

std::string keyOf(Keys::Action action)
{
    const auto row = std::find_if(Keys::Actions.begin(), Keys::Actions.end(), [action](const Keys::Row &r) { return r.action == action; });
    return keyInWords(row->keys[0]);
}

std::string helpText()
{
    std::string text = std::string("Utilisation : ") + Program + " [FICHIER.pll]\n";
    text += std::string("              ") + Program + " [" + HelpOption + " | " + VersionOption + "]\n";
    text += std::string("              ") + Program + ' ' + SimulateOption + " [option…]\n";
    text += Purpose;
    text += "\n\n";
    appendTable(text, "Options :", Options);
    text += '\n';
    appendTable(text, (std::string("Options de ") + SimulateOption + " :").c_str(), SimulationOptions);
    text += '\n';
    appendTable(text, "Touches de la fenêtre :", windowKeys());
    return text;
}

std::string versionText()
{
    return std::string(Program) + ' ' + Version + '\n';
}

bool asksSimulation(int argc, const char *const *argv)
{
    return std::any_of(argv + 1, argv + argc, [](const char *arg) { return std::strcmp(arg, SimulateOption) == 0; });
}

namespace {
// Anything not starting with '-' names a file; "-" alone, standard input, is not one here.
bool namesFile(const char *arg)
{
    return arg[0] != '-';
}
}

std::optional<std::string> experimentFile(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i)
        if (namesFile(argv[i]))
            return std::string(argv[i]);
    return std::nullopt;
}

std::optional<int> answer(int argc, const char *const *argv, std::FILE *out, std::FILE *err)
{
    bool help = false;
    bool version = false;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], HelpOption) == 0) {
            help = true;
        } else if (std::strcmp(argv[i], VersionOption) == 0) {
            version = true;
        } else if (namesFile(argv[i]) && ++files == 1) {
            continue;
        } else if (namesFile(argv[i])) {
            std::fprintf(err, "%s : un seul fichier d'expérience à la fois : « %s » est de trop (%s %s pour l'aide)\n",
                         Program, argv[i], Program, HelpOption);
            return RefusedArgument;
        } else {
            std::fprintf(err, "%s : argument inconnu « %s » (%s %s pour l'aide)\n", Program, argv[i], Program, HelpOption);
            return RefusedArgument;
        }
    }
    if (!help && !version)
        return std::nullopt;
    std::fputs((help ? helpText() : versionText()).c_str(), out);
    return 0;
}

}

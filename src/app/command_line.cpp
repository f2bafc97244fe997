#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace CommandLine {

const char *const Program = "pll";
const char *const Version = PLL_VERSION;
const char *const Purpose = "Cours sur l'asservissement de vitesse d'un radar par verrouillage de phase.";

namespace {
constexpr const char *HelpOption = "--help";
constexpr const char *VersionOption = "--version";

constexpr std::array OptionTable{
    Entry{HelpOption, "affiche cette aide et quitte"},
    Entry{VersionOption, "affiche la version et quitte"},
};

constexpr std::array KeyTable{
    Entry{"Tab, Maj+Tab", "passe à la commande suivante, à la précédente"},
    Entry{"Espace", "appuie sur le bouton qui a le focus"},
    Entry{"Flèches, Début, Fin", "choisissent le sujet dans la liste, règlent la vitesse"},
    Entry{"P, Pause", "met l'animation en pause, la reprend"},
    Entry{".", "une image en avant, pendant la pause"},
    Entry{",", "une image en arrière, pendant la pause"},
    Entry{"Ctrl++, Ctrl+-, Ctrl+0", "agrandit, réduit, revient à la taille d'origine"},
    Entry{"F11, Échap", "passe en plein écran, en sort"},
    Entry{"Ctrl+C", "copie l'image dans le presse-papiers"},
    Entry{"Ctrl+S", "enregistre l'image (PNG ou PDF)"},
    Entry{PrintKey, "imprime la page"},
    Entry{HelpKey, "ouvre l'aide"},
    Entry{QuitKey, "quitte le programme"},
};

// Characters shown, not bytes: the names hold accented letters in UTF-8.
std::size_t displayWidth(const char *text)
{
    std::size_t width = 0;
    for (const char *c = text; *c; ++c)
        width += (static_cast<unsigned char>(*c) & 0xC0) != 0x80;
    return width;
}

void appendTable(std::string &text, const char *title, std::span<const Entry> table)
{
    std::size_t column = 0;
    for (const Entry &entry : table)
        column = std::max(column, displayWidth(entry.name));
    text += title;
    text += '\n';
    for (const Entry &entry : table) {
        text += "  ";
        text += entry.name;
        text.append(column - displayWidth(entry.name) + 2, ' ');
        text += entry.meaning;
        text += '\n';
    }
}
}

const std::span<const Entry> Options = OptionTable;
const std::span<const Entry> WindowKeys = KeyTable;

std::string helpText()
{
    std::string text = std::string("Utilisation : ") + Program + " [" + HelpOption + " | " + VersionOption + "]\n";
    text += Purpose;
    text += "\n\n";
    appendTable(text, "Options :", Options);
    text += '\n';
    appendTable(text, "Touches de la fenêtre :", WindowKeys);
    return text;
}

std::string versionText()
{
    return std::string(Program) + ' ' + Version + '\n';
}

std::optional<int> answer(int argc, const char *const *argv, std::FILE *out, std::FILE *err)
{
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], HelpOption) == 0) {
            help = true;
        } else if (std::strcmp(argv[i], VersionOption) == 0) {
            version = true;
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

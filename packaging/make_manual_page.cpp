// Writes the manual page pll(1), in French like the program, from the tables `pll --help`
// prints, so that the two cannot disagree.
//   usage: make_manual_page DATE OUTPUT
#include "app/command_line.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace {
// What only the manual page tells.
const char *const Description[] = {
    "PLL ouvre une fenêtre où l'élève choisit l'un des cinq sujets :",
    "la présentation de chaque élément de la boucle, sa modélisation et sa stabilité,",
    "le comportement en boucle fermée en un point de fonctionnement,",
    "la modification de la vitesse, et le laboratoire, où la boucle simulée en direct",
    "répond à la consigne, à la charge et au correcteur choisis ;",
    "le sujet est dessiné et animé dans la fenêtre.",
};

// The simulation without a window, before its options.
const char *const Simulation[] = {
    "La boucle du laboratoire tourne sans fenêtre ni session graphique et ses mesures sont",
    "écrites sur la sortie standard en tableau CSV (séparateur point-virgule, virgule",
    "décimale, UTF-8), une ligne par pas de temps : le temps, la consigne, la vitesse du",
    "moteur, l'erreur de phase ramenée à un tour, la sortie du comparateur et la tension du",
    "moteur moyennées sur la dernière période de consigne, le couple résistant et les",
    "glissements de cycle. Les nombres s'écrivent avec une virgule ou un point décimal ;",
    "une valeur hors des limites est refusée. Par exemple :",
};
const char *const SimulationExample = "pll --simulate --duration 3 --change 1,5:1100 > mesures.csv";

// The experiment files, before their keys.
const char *const Experiments[] = {
    "Une expérience est un fichier texte (UTF-8, JSON, extension .pll) qu'un enseignant prépare",
    "et qu'un élève rend : le départ de la boucle, ses réglages, les actions qui suivent à leurs",
    "instants, un titre et un énoncé. pll FICHIER.pll ouvre le laboratoire sur l'expérience et",
    "la joue, les actions venant quand le temps de boucle les atteint ; « Ouvrir une expérience… »",
    "en ouvre une, « Enregistrer l'expérience… » enregistre celle du laboratoire. Une clé inconnue,",
    "une valeur hors limites ou des actions dans le désordre sont refusées en le disant. Ses clés :",
};

const CommandLine::Entry Environment[] = {
    {"DISPLAY, WAYLAND_DISPLAY", "la session graphique X11 ou Wayland où ouvrir la fenêtre ; "
                                 "sans elle, le programme le dit en une ligne et s'arrête"},
    {"QT_DEBUG_PLUGINS", "à 1, laisse paraître les messages de Qt lorsque la session graphique "
                         "ne peut pas être ouverte"},
};

const CommandLine::Entry ExitStatuses[] = {
    {"0", "fin normale, y compris après une erreur montrée dans une boîte de message"},
    {"1", "pas de session graphique utilisable ; en simulation, mesures non écrites"},
    {"2", "argument inconnu, ou option, valeur ou fichier d'expérience refusé en simulation"},
};

// Text as roff reads it: backslashes escaped, and in what is typed (options, keys) minus signs,
// which roff would otherwise print as hyphens. A line of prose starts with \& so that a leading
// full stop or quote is not taken for a request.
std::string roff(const std::string &text, bool typed)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\\')
            escaped += "\\e";
        else if (c == '-' && typed)
            escaped += "\\-";
        else
            escaped += c;
    }
    return escaped;
}

std::string typed(const std::string &text) { return roff(text, true); }
std::string prose(const std::string &text) { return "\\&" + roff(text, false); }

void section(std::FILE *out, const char *title)
{
    std::fprintf(out, ".SH %s\n", title);
}

template <typename Table>
void table(std::FILE *out, const Table &entries)
{
    for (const auto &entry : entries)
        std::fprintf(out, ".TP\n\\fB%s\\fR\n%s\n", typed(entry.name).c_str(), prose(entry.meaning).c_str());
}
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATE OUTPUT\n", argv[0]);
        return 2;
    }
    std::FILE *out = std::fopen(argv[2], "w");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    const std::string program = CommandLine::Program;
    std::fprintf(out, "'\\\" -*- coding: UTF-8 -*-\n");
    std::fprintf(out, ".TH PLL 1 \"%s\" \"%s %s\" \"Commandes utilisateur\"\n", argv[1], program.c_str(), CommandLine::Version);
    section(out, "NOM");
    std::string purpose = CommandLine::Purpose;
    purpose[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(purpose[0])));
    purpose.pop_back(); // the full stop
    std::fprintf(out, "%s \\- %s\n", program.c_str(), roff(purpose, false).c_str());
    section(out, "SYNOPSIS");
    std::fprintf(out, ".B %s\n", program.c_str());
    std::fputs("[\\fIFICHIER\\fR.pll]\n.br\n", out);
    std::fprintf(out, ".B %s\n", program.c_str());
    std::fputs("[", out);
    for (std::size_t i = 0; i < CommandLine::Options.size(); ++i)
        std::fprintf(out, "%s\\fB%s\\fR", i ? " | " : "", typed(CommandLine::Options[i].name).c_str());
    std::fputs("]\n.br\n", out);
    std::fprintf(out, ".B %s \\-\\-simulate\n[\\fIoption\\fR...]\n", program.c_str());
    section(out, "DESCRIPTION");
    for (const char *line : Description)
        std::fprintf(out, "%s\n", prose(line).c_str());
    section(out, "OPTIONS");
    table(out, CommandLine::Options);
    section(out, "SIMULATION");
    for (const char *line : Simulation)
        std::fprintf(out, "%s\n", prose(line).c_str());
    std::fprintf(out, ".PP\n.RS\n\\fB%s\\fR\n.RE\n.PP\nSes options :\n", typed(SimulationExample).c_str());
    table(out, CommandLine::SimulationOptions);
    section(out, "EXPÉRIENCES");
    for (const char *line : Experiments)
        std::fprintf(out, "%s\n", prose(line).c_str());
    table(out, CommandLine::ExperimentKeys);
    section(out, "TOUCHES");
    std::fputs("Dans la fenêtre :\n", out);
    table(out, CommandLine::windowKeys());
    section(out, "ENVIRONNEMENT");
    table(out, Environment);
    section(out, "CODE DE RETOUR");
    table(out, ExitStatuses);
    return std::fclose(out) == 0 ? 0 : 1;
}

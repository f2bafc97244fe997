#pragma once
// Every key of the window's own actions, in one table: the shortcuts the window sets, the drawing
// area's menu (its entries in this order, a separator between groups) and the key table that the
// help window, --help and the manual page print. Plain data without Qt, for --help answers with no
// display and the manual page is written at build time; window_keys.cpp makes the actions.
#include <array>
#include <cstddef>
#include <span>

namespace Keys {

// One per action of the window; window_keys.cpp says what each does.
enum class Action {
    Pause,
    StepForward,
    StepBack,
    Copy,
    Save,
    CourseExperiments,
    OpenExperiment,
    SaveExperiment,
    ExportMeasures,
    ZoomIn,
    ZoomOut,
    ZoomReset,
    FullScreen,
    LeaveFullScreen,
    Print,
    Help,
    Quit,
};

// Where a key works: while the window is active, or from the help window too.
enum class Reach { Window, Application };

// The menu's groups, a separator between two; Off: a key alone, not on the menu.
enum class Menu { Off, Playback, Picture, Lab, Size, Program };

struct Row
{
    Action action;
    // In QKeySequence's portable form; the first is the one the menu shows.
    std::array<const char *, 2> keys;
    // The menu entry, in UTF-8.
    const char *text;
    // What the key does, as the help says it.
    const char *meaning;
    Reach reach;
    Menu menu;
    bool checkable;

    constexpr std::span<const char *const> keyList() const
    {
        std::size_t count = 0;
        while (count < keys.size() && keys[count])
            ++count;
        return {keys.data(), count};
    }
};

inline constexpr std::array Actions{
    Row{Action::Pause, {"P", "Pause"}, "Pause", "met l'animation en pause, la reprend", Reach::Window, Menu::Playback, true},
    Row{Action::StepForward, {"."}, "Image suivante", "une image en avant, pendant la pause", Reach::Window, Menu::Playback, false},
    Row{Action::StepBack, {","}, "Image précédente", "une image en arrière, pendant la pause", Reach::Window, Menu::Playback, false},
    Row{Action::Copy, {"Ctrl+C"}, "Copier l'image", "copie l'image dans le presse-papiers", Reach::Window, Menu::Picture, false},
    Row{Action::Save, {"Ctrl+S"}, "Enregistrer l'image…", "enregistre l'image (PNG, PDF ou SVG)", Reach::Window, Menu::Picture, false},
    Row{Action::CourseExperiments, {"Ctrl+L"}, "Expériences du cours…", "ouvre une des expériences du cours sur le laboratoire", Reach::Window, Menu::Lab, false},
    Row{Action::OpenExperiment, {"Ctrl+O"}, "Ouvrir une expérience…", "ouvre le laboratoire sur une expérience enregistrée (fichier .pll)", Reach::Window, Menu::Lab, false},
    // The lab's page only: the window greys them out elsewhere.
    Row{Action::SaveExperiment, {"Ctrl+Shift+S"}, "Enregistrer l'expérience…", "enregistre l'expérience du laboratoire, ses actions comprises (fichier .pll)", Reach::Window, Menu::Lab, false},
    Row{Action::ExportMeasures, {"Ctrl+E"}, "Exporter les mesures…", "enregistre les mesures du laboratoire depuis son départ (tableau CSV)", Reach::Window, Menu::Lab, false},
    // Ctrl+= too, for keyboards where + needs Shift.
    Row{Action::ZoomIn, {"Ctrl++", "Ctrl+="}, "Agrandir", "agrandit l'affichage", Reach::Window, Menu::Size, false},
    Row{Action::ZoomOut, {"Ctrl+-"}, "Réduire", "réduit l'affichage", Reach::Window, Menu::Size, false},
    Row{Action::ZoomReset, {"Ctrl+0"}, "Taille d'origine", "revient à la taille d'origine", Reach::Window, Menu::Size, false},
    Row{Action::FullScreen, {"F11"}, "Plein écran", "passe en plein écran, en sort", Reach::Window, Menu::Size, true},
    Row{Action::LeaveFullScreen, {"Esc"}, nullptr, "sort du plein écran", Reach::Window, Menu::Off, false},
    Row{Action::Print, {"Ctrl+P"}, "Imprimer", "imprime la page", Reach::Window, Menu::Program, false},
    // Help and quit answer from the help window too.
    Row{Action::Help, {"F1"}, "Aide", "ouvre l'aide", Reach::Application, Menu::Program, false},
    Row{Action::Quit, {"Ctrl+Q"}, "Quitter", "quitte le programme", Reach::Application, Menu::Program, false},
};

// Two rows for one action would make two actions fight over the same keys.
constexpr bool eachActionOnce()
{
    for (std::size_t i = 0; i < Actions.size(); ++i)
        for (std::size_t j = i + 1; j < Actions.size(); ++j)
            if (Actions[i].action == Actions[j].action)
                return false;
    return true;
}
static_assert(eachActionOnce(), "an action has two rows in the key table");

// The keys the controls answer, which no action may take: they press a button, move the list and
// the scroll bar, and give the keys back from a lab control. The help lists them, in words, before
// the actions'.
struct Description
{
    const char *keys;
    const char *meaning;
};

inline constexpr std::array ControlKeys{
    Description{"Tab, Maj+Tab", "passe à la commande suivante, à la précédente"},
    Description{"Espace", "appuie sur le bouton qui a le focus"},
    Description{"Flèches, Début, Fin", "choisissent le sujet dans la liste, règlent la vitesse"},
    Description{"Échap", "dans une commande du laboratoire, rend les touches à la zone de dessin, comme un clic sur elle"},
};

}

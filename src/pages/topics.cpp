#include "pages/topics.h"

#include "pages/closedloop/operating_point_page.h"
#include "pages/closedloop/speed_change_page.h"
#include "pages/lab/lab_page.h"
#include "pages/modelling/modelling_page.h"
#include "pages/page_state.h"
#include "pages/presentation/presentation_page.h"
#include "pages/stage.h"

#include <array>
#include <limits>

namespace {
// The operating-point animation runs PageStep up to its last frame; the speed-change one follows
// it, its own step being PageStep less the operating point's.
constexpr std::int32_t OperatingPointEnd = 250, SpeedChangeEnd = 570;

void presentationTick(Stage &stage)
{
    PresentationPage(stage);
}

// Drawn once: the page then stands on the step after it.
void modellingTick(Stage &stage)
{
    if (PageStep == -2)
        ModellingPage(stage);
}

// An animation moves its counter on before it draws, and stops on its last frame.
void operatingPointTick(Stage &stage)
{
    if (PageStep == OperatingPointEnd)
        return;
    ++PageStep;
    OperatingPointPage(stage);
}

void speedChangeTick(Stage &stage)
{
    if (PageStep == SpeedChangeEnd)
        return;
    ++PageStep;
    ElementStep = PageStep - OperatingPointEnd;
    SpeedChangePage(stage);
}

void labBegin(Stage &stage)
{
    stage.lab.reset();
    stage.labView = {};
    LabStep = 0;
}

void labTick(Stage &stage)
{
    // The lab never ends: after weeks at a millisecond a tick the count starts again.
    LabStep = LabStep % std::numeric_limits<std::int32_t>::max() + 1;
    LabPage(stage);
}

constexpr std::array Table{
    Topic{"Présentation de chaque élément de la boucle",
          "le schéma de la boucle ; le petit bouton près de chaque élément anime cet élément et laisse "
          "sa page d'explication.",
          -1, -1, -1, false, PresentationWelcome, presentationTick},
    Topic{"Modélisation de la boucle",
          "le modèle de la boucle et l'analyse de sa stabilité, sans puis avec le régulateur, en images.",
          -2, -3, -2, false, nullptr, modellingTick},
    Topic{"Comportement en boucle fermée en un point de fonctionnement",
          "la boucle verrouillée à 1 kHz : ses signaux, l'antenne qui tourne et les rampes de phase.",
          1, 1, OperatingPointEnd, true, nullptr, operatingPointTick},
    Topic{"Modification de la vitesse",
          "la même boucle pendant que la fréquence de consigne passe de 500 Hz à 1,5 kHz.",
          OperatingPointEnd + 1, OperatingPointEnd + 1, SpeedChangeEnd, true, nullptr, speedChangeTick},
    Topic{"Laboratoire : la boucle en direct",
          "la boucle simulée en direct : changer la consigne (en échelon ou en rampe), la charge du "
          "moteur, le correcteur et ses constantes de temps, le ralenti, et voir la boucle verrouiller "
          "ou décrocher ; sa réponse en fréquence avec ses marges, le dépassement et le temps de "
          "réponse de chaque action, les réponses gardées pour les comparer, et les mesures exportées "
          "(Ctrl+E) ; une expérience enregistrée (fichier .pll) s'y ouvre avec son énoncé et s'y joue, "
          "et la marche de l'élève s'enregistre de même (Ctrl+O, Ctrl+Maj+S).",
          LabPageStep, LabPageStep, LabPageStep, false, labBegin, labTick},
};
static_assert(Table[LabTopic].start == LabPageStep);
}

std::span<const Topic> topics()
{
    return Table;
}

std::optional<int> topicOf(std::int32_t pageStep)
{
    for (std::size_t i = 0; i < Table.size(); ++i)
        if (pageStep >= Table[i].lowest && pageStep <= Table[i].highest)
            return int(i);
    return std::nullopt;
}

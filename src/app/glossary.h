#pragma once
// The words of the course and of the lab, each defined in a line, for the help window: the loop's
// signals and elements in their order round the loop, then how it behaves, then the lab's words.
// The figures are the course's loop's (src/model); tst_help checks them against the model.
#include <array>

namespace Help {

struct Word
{
    const char *term;
    const char *meaning;
};

inline constexpr std::array Glossary{
    Word{"φ, φ1", "phases de la consigne E et du signal X du capteur, en radians ; φ = 2πft croît de 2π "
                  "à chaque période de la consigne."},
    Word{"Δφ", "erreur de phase φ − φ1 : le retard du signal du capteur sur la consigne. Boucle verrouillée "
               "à 1 kHz, elle vaut 1,58 rad, environ π/2 (un quart de période)."},
    Word{"Comparateur de phase", "un « ou exclusif » : sa sortie S vaut 5 V quand E et X diffèrent, 0 V quand "
                                 "ils sont égaux ; à 1 kHz, S est un carré de 2 kHz."},
    Word{"U0", "valeur moyenne de la sortie S du comparateur, le signal « utile » : U0 = Gcp × Δφ, de 0 à "
               "5 V ; 2,51 V boucle verrouillée à 1 kHz."},
    Word{"Gcp", "gain du comparateur de phase : Gcp = U0/Δφ = 5/π, soit 1,59 V/rad."},
    Word{"Plage utile du comparateur", "Δφ de 0 à π, où U0 croît avec Δφ. Au-delà, U0 redescend : la "
                                       "correction s'inverse et la boucle ne tient plus (en jaune sur "
                                       "l'enregistreur du laboratoire)."},
    Word{"Régulateur (correcteur) à avance de phase", "K (1 + τ1 p)/((1 + τ2 p)(1 + τ3 p)) : il avance la "
                                                      "phase entre 1/τ1 = 40 rad/s et 1/τ2 = 400 rad/s pour "
                                                      "augmenter la marge de phase, sans amplifier le carré "
                                                      "de 2 kHz."},
    Word{"τ1, τ2, τ3", "constantes de temps du régulateur, en secondes : τ1 = 0,025 (avance), τ2 = 0,0025 et "
                       "τ3 = 0,0008 (filtre) dans le cours ; K, son gain, vaut 1."},
    Word{"U1", "tension de sortie du régulateur ; l'amplificateur de puissance, de gain 1, la donne au moteur "
               "telle quelle : U1 = U, la tension de commande du moteur."},
    Word{"Ω1", "vitesse du moteur, en tours par seconde (tr/s) : Ω1/U = (25/2π)/(1 + 0,5 p), un premier "
               "ordre de constante de temps 0,5 s."},
    Word{"Réducteur", "fait tourner le radar lentement ; son rapport n'entre pas dans la boucle, car le "
                      "capteur est sur l'arbre rapide du moteur."},
    Word{"Capteur de vitesse", "codeur optique de 100 pas par tour : la fréquence de son signal X vaut "
                               "f = 100 × Ω1 (Hz, Ω1 en tr/s) ; sa phase φ1/Ω1 = 200π/p."},
    Word{"f/100", "la vitesse demandée, en tr/s : la fréquence f de la consigne divisée par les 100 pas du "
                  "capteur ; 1000 Hz demandent 10 tr/s."},
    Word{"p", "variable de Laplace des fonctions de transfert : multiplier par p dérive, diviser par p "
              "intègre."},
    Word{"Kv", "gain de vitesse de la boucle ouverte, Gcp × 1 × 25/2π × 200π = 3979 s⁻¹ : le « 3979 » de "
               "φ1/φ = 3979/(p (1 + 0,5 p)) sans régulateur."},
    Word{"Erreur de traînage", "l'écart Δφ constant d'une boucle verrouillée : la phase de la consigne est "
                               "une rampe de pente 2πf, et Δφ = 2πf/Kv (2000π/3979 = 1,58 rad à 1 kHz)."},
    Word{"Verrouillage", "la boucle est verrouillée quand X suit E à la même fréquence, Δφ constant : la "
                         "vitesse est exactement f/100. Le laboratoire la dit verrouillée quand aucun cycle "
                         "n'a glissé depuis 0,5 s, sinon « Boucle décrochée »."},
    Word{"Glissement de cycle", "Δφ a gagné ou perdu un tour entier (2π) : le capteur a pris une période "
                                "de retard ou d'avance sur la consigne. Le laboratoire les compte."},
    Word{"Couple résistant (V)", "la charge du moteur, comptée comme la tension qu'elle lui retire : il "
                                 "tourne comme sous U moins ces volts. Verrouillée, la boucle garde sa "
                                 "vitesse : Δφ grandit jusqu'à ce que U0 les fournisse en plus."},
    Word{"Plage de capture", "les consignes où la boucle, partie de l'arrêt, finit verrouillée : de 50 à "
                             "1090 Hz avec les valeurs du cours (« Mesurer les plages »)."},
    Word{"Plage de maintien", "les consignes que la boucle déjà verrouillée suit sans décrocher quand elles "
                              "changent lentement ; en haut, U0 = 5 V fait tourner le moteur à "
                              "5 × 25/2π = 19,9 tr/s : 1989 Hz au plus, moins avec un couple "
                              "résistant."},
    Word{"Marge de phase", "ce qui manque à la phase de la boucle ouverte pour atteindre −180° là où son "
                           "gain vaut 1 (0 dB) : plus elle est grande, mieux la boucle est amortie. Presque "
                           "nulle sans correcteur (1,3°), 45,4° à 183 rad/s avec celui du cours."},
    Word{"Marge de gain", "de combien le gain de la boucle ouverte peut croître, là où sa phase vaut −180°, "
                          "avant que la boucle fermée oscille : 17,2 dB à 661 rad/s avec le correcteur du "
                          "cours."},
    Word{"Échelon, rampe", "la consigne changée d'un coup, ou peu à peu, à la pente donnée en Hz/s."},
};

}

#include "app/help_window.h"

#include "app/command_line.h"
#include "app/glossary.h"
#include "app/tpll.h"
#include "pages/topics.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <vector>

namespace {
const QString Title = QStringLiteral("Aide — PLL");
const QSize InitialSize(560, 640);

const char *const HowTo =
    "Choisir un sujet dans la liste, puis appuyer sur « Démarrer Animation ». La barre de "
    "défilement règle le temps entre deux images (vers « + » : plus rapide). Avec un lecteur "
    "d'écran, la zone de dessin se lit comme un texte : le sujet et l'image en titre, puis les "
    "textes de la page, de haut en bas.";

// The lab in a few lines, a control or a task in each: its name, what to do with it, and the
// keys it names ("%1"…), taken from the key table.
struct GuideLine
{
    const char *head;
    const char *text;
    std::vector<Keys::Action> keys;
};
const GuideLine LabGuide[] = {
    {"Départ", "choisir « Laboratoire : la boucle en direct », puis « Démarrer Animation » : la boucle part "
               "de l'arrêt, à 1000 Hz, avec le correcteur du cours, et se verrouille.", {}},
    {"Conduite", "« Consigne (Hz) » (une valeur tapée s'applique avec Entrée), en « Échelon » ou en « Rampe » "
                 "à la « Pente (Hz/s) » ; « Couple résistant (V) » charge le moteur ; « Départ arrêté » et "
                 "« Départ verrouillé » relancent la boucle ; « Ralenti » ralentit son temps jusqu'à "
                 "×1/1000.", {}},
    {"Correcteur", "« Correcteur à avance de phase » met le régulateur dans la boucle ou l'ôte ; « τ1 "
                   "avance (s) », « τ2 (s) », « τ3 filtre (s) » et « Gain du correcteur » le règlent pendant "
                   "que la boucle tourne ; « Valeurs du cours » remet ceux du cours.", {}},
    {"Image par image", "%1 met en pause ou relance ; « %2 » avance d'une image, « %3 » recule. Après une valeur "
                        "tapée, un clic sur la zone de dessin, ou Échap, rend ces touches.",
     {Keys::Action::Pause, Keys::Action::StepForward, Keys::Action::StepBack}},
    {"Réponse en fréquence", "le graphique choisi dans « Diagramme » (Bode, Black, Nyquist, boucle fermée ou "
                             "plages) pour la boucle réglée, avec ses marges ; « Signaux » revient à "
                             "l'oscilloscope. Sur le graphique « Plages », « Mesurer les plages » simule la "
                             "boucle consigne par consigne.", {}},
    {"Base de temps de l'enregistreur", "1 s ou 5 s de papier qui défile ; à 50 ms et 200 ms, l'enregistreur "
                                        "se déclenche à chaque action, comme un oscilloscope en monocoup : un "
                                        "peu avant l'action, la réponse après, puis il attend l'action "
                                        "suivante.", {}},
    {"Garder la réponse", "garde en gris la réponse depuis la dernière action, pour la comparer à la "
                          "suivante (trois au plus) ; « Effacer les réponses » les ôte.", {}},
    {"Expériences", "« Expériences du cours… » (%1) ouvre une expérience du cours et son énoncé, "
                    "que « Énoncé » cache ou montre ; %2 en ouvre une enregistrée, %3 enregistre la "
                    "sienne, %4 exporte les mesures.",
     {Keys::Action::CourseExperiments, Keys::Action::OpenExperiment, Keys::Action::SaveExperiment,
      Keys::Action::ExportMeasures}},
};

QString escaped(const char *text) { return QString::fromUtf8(text).toHtmlEscaped(); }

// A definition list as a table: a head in bold, its text beside it.
QString row(const QString &head, const QString &text)
{
    return QStringLiteral("<tr><td valign=\"top\"><b>%1</b></td><td>%2</td></tr>").arg(head, text);
}
const QString TableStart = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");

QString labGuide()
{
    QString html = QStringLiteral("<h4>Le laboratoire</h4>") + TableStart;
    for (const GuideLine &line : LabGuide) {
        QString text = escaped(line.text);
        for (const Keys::Action key : line.keys)
            text = text.arg(QStringLiteral("<b>%1</b>").arg(QString::fromStdString(CommandLine::keyOf(key)).toHtmlEscaped()));
        html += row(escaped(line.head), text);
    }
    return html + QStringLiteral("</table>");
}

QString glossary()
{
    QString html = QStringLiteral("<h4>Les mots du cours</h4>") + TableStart;
    for (const Help::Word &word : Help::Glossary)
        html += row(escaped(word.term), escaped(word.meaning));
    return html + QStringLiteral("</table>");
}
}

QString HelpWindow::page(const TPLL &window)
{
    const auto text = [&](const char *label) { return window.control(QLatin1String(label))->text.toHtmlEscaped(); };
    QString html = QStringLiteral("<h3>%1</h3><p>%2</p><h4>Les sujets</h4><ul>").arg(text("Label4"), escaped(HowTo));
    for (const Topic &topic : topics())
        html += QStringLiteral("<li><b>%1</b> : %2</li>").arg(escaped(topic.title), escaped(topic.summary));
    html += QStringLiteral("</ul>") + labGuide() + QStringLiteral("<h4>Les touches</h4>") + TableStart;
    for (const CommandLine::Line &key : CommandLine::windowKeys())
        html += row(escaped(key.name.c_str()), escaped(key.meaning));
    html += QStringLiteral("</table>") + glossary() + QStringLiteral("<p>%1 — %2</p>").arg(text("Label2"), text("Label3"));
    return html;
}

HelpWindow::HelpWindow(TPLL &window)
    : QDialog(&window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    auto *text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("HelpText"));
    text->setAccessibleName(Title);
    text->setHtml(page(window));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(InitialSize);
    text->setFocus();
}

void showHelp(TPLL &window)
{
    QDialog *help = window.findChild<QDialog *>(QStringLiteral("HelpWindow"), Qt::FindDirectChildrenOnly);
    if (!help)
        help = new HelpWindow(window);
    help->show();
    help->raise();
    help->activateWindow();
}

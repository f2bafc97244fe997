#include "app/help_window.h"

#include "app/command_line.h"
#include "app/tpll.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Aide — PLL");
const QSize InitialSize(560, 640);

// What each list entry shows, in the list's order.
const char *const TopicSummaries[] = {
    "le schéma de la boucle ; le petit bouton près de chaque élément anime cet élément et laisse "
    "sa page d'explication.",
    "le modèle de la boucle et l'analyse de sa stabilité, sans puis avec le régulateur, en images.",
    "la boucle verrouillée à 1 kHz : ses signaux, l'antenne qui tourne et les rampes de phase.",
    "la même boucle pendant que la fréquence de consigne passe de 500 Hz à 1,5 kHz.",
    "la boucle simulée en direct : changer la consigne (en échelon ou en rampe), la charge du "
    "moteur, le correcteur et ses constantes de temps, le ralenti, et voir la boucle verrouiller "
    "ou décrocher ; sa réponse en fréquence avec ses marges, le dépassement et le temps de "
    "réponse de chaque action, les réponses gardées pour les comparer, et les mesures exportées "
    "(Ctrl+E) ; une expérience enregistrée (fichier .pll) s'y ouvre avec son énoncé et s'y joue, "
    "et la marche de l'élève s'enregistre de même (Ctrl+O, Ctrl+Maj+S).",
};

const char *const HowTo =
    "Choisir un sujet dans la liste, puis appuyer sur « Démarrer Animation ». La barre de "
    "défilement règle le temps entre deux images (vers « + » : plus rapide). Avec un lecteur "
    "d'écran, la zone de dessin se lit comme un texte : le sujet et l'image en titre, puis les "
    "textes de la page, de haut en bas.";

QString escaped(const char *text) { return QString::fromUtf8(text).toHtmlEscaped(); }
}

QString HelpWindow::page(const TPLL &window)
{
    QString html = QStringLiteral("<h3>%1</h3><p>%2</p><h4>Les sujets</h4><ul>").arg(window.Label4->text().toHtmlEscaped(), escaped(HowTo));
    for (int i = 0; i < window.ListBox1->count() && i < int(std::size(TopicSummaries)); ++i)
        html += QStringLiteral("<li><b>%1</b> : %2</li>").arg(window.ListBox1->item(i)->text().toHtmlEscaped(), escaped(TopicSummaries[i]));
    html += QStringLiteral("</ul><h4>Les touches</h4><table cellspacing=\"0\" cellpadding=\"3\">");
    for (const CommandLine::Line &key : CommandLine::windowKeys())
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(escaped(key.name.c_str()), escaped(key.meaning));
    html += QStringLiteral("</table><p>%1 — %2</p>").arg(window.Label2->text().toHtmlEscaped(), window.Label3->text().toHtmlEscaped());
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

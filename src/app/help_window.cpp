#include "app/help_window.h"

#include "app/command_line.h"
#include "app/tpll.h"
#include "pages/topics.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const QString Title = QStringLiteral("Aide — PLL");
const QSize InitialSize(560, 640);

const char *const HowTo =
    "Choisir un sujet dans la liste, puis appuyer sur « Démarrer Animation ». La barre de "
    "défilement règle le temps entre deux images (vers « + » : plus rapide). Avec un lecteur "
    "d'écran, la zone de dessin se lit comme un texte : le sujet et l'image en titre, puis les "
    "textes de la page, de haut en bas.";

QString escaped(const char *text) { return QString::fromUtf8(text).toHtmlEscaped(); }
}

QString HelpWindow::page(const TPLL &window)
{
    const auto text = [&](const char *label) { return window.control(QLatin1String(label))->text.toHtmlEscaped(); };
    QString html = QStringLiteral("<h3>%1</h3><p>%2</p><h4>Les sujets</h4><ul>").arg(text("Label4"), escaped(HowTo));
    for (const Topic &topic : topics())
        html += QStringLiteral("<li><b>%1</b> : %2</li>").arg(escaped(topic.title), escaped(topic.summary));
    html += QStringLiteral("</ul><h4>Les touches</h4><table cellspacing=\"0\" cellpadding=\"3\">");
    for (const CommandLine::Line &key : CommandLine::windowKeys())
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(escaped(key.name.c_str()), escaped(key.meaning));
    html += QStringLiteral("</table><p>%1 — %2</p>").arg(text("Label2"), text("Label3"));
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

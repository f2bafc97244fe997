#include "app/statement_dialog.h"

#include "lab/experiment.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Room for a text of the length the lab shows on one page.
constexpr int TextWidth = 560, TextHeight = 220;

// The file's limits count characters (code points), as a reader would.
qsizetype characters(const QString &s) { return s.toUcs4().size(); }
}

StatementDialog::StatementDialog(const std::string &title, const std::string &text, QWidget *parent)
    : QDialog(parent)
{
    // Its own title: the file dialog that follows is "Enregistrer l'expérience".
    setWindowTitle(QStringLiteral("Titre et énoncé de l'expérience"));
    auto *intro = new QLabel(QStringLiteral("Le titre et l'énoncé s'affichent sur le laboratoire à l'ouverture "
                                            "de l'expérience : ce qu'il faut faire et regarder, puis ce qui s'est "
                                            "passé et pourquoi."), this);
    intro->setWordWrap(true);
    m_title = new QLineEdit(QString::fromStdString(title), this);
    // A code point is one or two UTF-16 units: never more characters than the file takes.
    m_title->setMaxLength(int(Experiment::MaxTitle));
    m_title->setObjectName(QStringLiteral("StatementTitle"));
    m_text = new QPlainTextEdit(QString::fromStdString(text), this);
    m_text->setObjectName(QStringLiteral("StatementText"));
    m_text->setTabChangesFocus(true);
    m_text->setMinimumSize(TextWidth, TextHeight);
    m_length = new QLabel(this);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Titre :"), m_title);
    form->addRow(QStringLiteral("É&noncé :"), m_text);
    form->addRow(QString(), m_length);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    m_save = buttons->button(QDialogButtonBox::Save);
    m_save->setText(QStringLiteral("Enregistrer…"));
    m_save->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_text, &QPlainTextEdit::textChanged, this, &StatementDialog::showLength);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    showLength();
    m_title->setFocus();
}

std::string StatementDialog::title() const { return m_title->text().trimmed().toStdString(); }
std::string StatementDialog::text() const { return m_text->toPlainText().trimmed().toStdString(); }

void StatementDialog::showLength()
{
    const qsizetype length = characters(m_text->toPlainText());
    const bool fits = length <= qsizetype(Experiment::MaxText);
    m_length->setText(fits ? QStringLiteral("%1 caractères sur %2").arg(length).arg(Experiment::MaxText)
                           : QStringLiteral("Énoncé trop long : %1 caractères sur %2 au plus").arg(length).arg(Experiment::MaxText));
    m_save->setEnabled(fits);
}

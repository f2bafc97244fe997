#include "app/course_experiments_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Wide enough for a title and its first sentence on a line each, for all eleven to show.
constexpr int ListWidth = 640, ListHeight = 420;
}

CourseExperimentsDialog::CourseExperimentsDialog(const std::vector<CourseExperiments::Entry> &entries, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Expériences du cours"));
    auto *intro = new QLabel(QStringLiteral("Choisissez une expérience : elle s'ouvre sur le laboratoire."), this);
    m_list = new QListWidget(this);
    m_list->setAccessibleName(QStringLiteral("Expériences du cours"));
    m_list->setWordWrap(true);
    m_list->setMinimumSize(ListWidth, ListHeight);
    for (const CourseExperiments::Entry &entry : entries) {
        const QString title = QString::fromStdString(entry.title), summary = QString::fromStdString(entry.summary);
        auto *item = new QListWidgetItem(title + QLatin1Char('\n') + summary, m_list);
        item->setData(Qt::UserRole, entry.path);
        item->setData(Qt::AccessibleTextRole, title + QStringLiteral(". ") + summary);
    }
    m_list->setCurrentRow(0);
    intro->setBuddy(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Open)->setText(QStringLiteral("Ouvrir"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    m_list->setFocus();
}

QString CourseExperimentsDialog::chosenPath() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

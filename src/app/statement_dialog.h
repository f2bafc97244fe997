#pragma once
// Before an experiment is saved: the title and the text the student will read over the lab's
// displays, prefilled with the open experiment's, so a teacher writes them without an editor.
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class StatementDialog : public QDialog
{
public:
    StatementDialog(const std::string &title, const std::string &text, QWidget *parent);
    std::string title() const;
    std::string text() const;

private:
    // The text's length against what a file may hold; saving waits until it fits.
    void showLength();

    QLineEdit *m_title;
    QPlainTextEdit *m_text;
    QLabel *m_length;
    QPushButton *m_save;
};

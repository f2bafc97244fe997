#pragma once
// "Expériences du cours…": the experiments installed with the program, by title with their first
// sentence, for the student to choose one to open on the lab.
#include "lab/course_experiments.h"

#include <QDialog>

class QListWidget;

class CourseExperimentsDialog : public QDialog
{
public:
    CourseExperimentsDialog(const std::vector<CourseExperiments::Entry> &entries, QWidget *parent);
    // The chosen experiment's file, or empty.
    QString chosenPath() const;

private:
    QListWidget *m_list;
};

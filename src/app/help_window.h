#pragma once
// The short help F1 opens beside the window: what each topic shows, a guide to the lab, the keys,
// the words of the course (glossary.h), the credit line.
#include <QDialog>

class TPLL;

class HelpWindow : public QDialog
{
public:
    explicit HelpWindow(TPLL &window);

    // The help as shown: a page of simple HTML.
    static QString page(const TPLL &window);
};

// Opens the help, or brings it forward when it is already open.
void showHelp(TPLL &window);

#pragma once
// The application object: one look on every machine, and an exception escaping an event
// handler shown to the user in a message box, after which the program ends with exit code 0.
#include <QApplication>

class PllApplication : public QApplication
{
public:
    PllApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Fusion style, its own palette and the embedded fonts, so the button face, the highlight
    // and every glyph are the same whatever the desktop.
    static void applyLook();
};

// Shows an escaped exception's message in the standard message box.
void showFatalError(const QString &message);

#pragma once
// The application object: one look on every machine, Qt's own texts in French, the window icon,
// a clean end when there is no display, and an exception escaping an event handler shown to the
// user in a message box, after which the program ends with exit code 0.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <functional>

// Without a usable display (none set, or one that does not answer) Qt's platform plugin aborts
// the program after a page of messages. While the application object is being made, this turns
// that failure into one line and exit status 1; Qt's other messages of that time are held back
// and passed on once the window system is up. QT_DEBUG_PLUGINS=1 leaves Qt's messages alone.
class DisplayGuard
{
protected:
    DisplayGuard();
    // The application object is made: Qt's messages go their usual way again.
    void release();
};

class PllApplication : private DisplayGuard, public QApplication
{
public:
    PllApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Fusion style, its own palette and the embedded fonts, so the button face, the highlight
    // and every glyph are the same whatever the desktop.
    static void applyLook();

    // The window's own 32 x 32 icon with the desktop icons the package installs, so the desktop
    // picks the size it shows (title bar, task switcher) without scaling one picture.
    static QIcon windowIconInEverySize();

    // Qt's own texts (dialog buttons, the print dialog) in French whatever the system's language,
    // from qtbase_fr.qm in `folder` (Debian package qt6-translations-l10n). Without that file they
    // stay in English and false is returned. The locale, and so the number format, is left alone.
    bool loadQtTranslations(const QString &folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));

private:
    QTranslator m_qtTranslator;
};

// Shows an escaped exception's message in the standard message box.
void showFatalError(const QString &message);

// Runs the program's start-up and message loop: what they return, or, when an exception
// escapes them, 0 once its message has been shown.
int runGuarded(const std::function<int()> &program);

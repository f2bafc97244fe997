#pragma once
// What a screen reader and a keyboard need from the window: every control named, the focus
// moving through the controls in their tab order and shown plainly, and the drawing area read
// as text, named after the page it shows.
#include "drawing/page_reader.h"

#include <QObject>
#include <QString>
#include <QTimer>

class TPLL;

// Names the controls, lets the scroll bar take the focus, rings the focused control and makes
// the drawing area readable. Once, as the window is made.
void makeAccessible(TPLL &window);

// What a screen reader is told of the drawing area: its title (the topic, the element, the
// frame) and its text, and when they change: at most a few times a second while a page
// animates, so that speech keeps up and the tick stays light.
class PageAnnouncer : public QObject
{
    Q_OBJECT
public:
    explicit PageAnnouncer(TPLL &window);

    // "Comportement en boucle fermée en un point de fonctionnement — image 120 sur 250".
    QString title() const;
    // The page's texts in reading order, read again if the area was drawn since.
    QString text();

    // The shortest time between two announcements, in milliseconds.
    static constexpr int AnnounceEvery = 250;

private:
    // A tick or a command drew on the area, seen or scrolled out of sight.
    void drawn();
    void announce();

    TPLL &m_window;
    PageReader m_reader;
    QTimer m_throttle;
    bool m_drawnSince = true;
    QString m_text;
    QString m_toldTitle, m_toldText;
};

#!/usr/bin/python3
"""The program's window read as a screen reader reads it, through the accessibility bus (AT-SPI):
names, roles and focusable controls, then the drawing area's title and text on a few pages,
reached through the controls' own actions, and how often the title is announced while a page
animates. Run by e2e_accessibility.sh, with the program already started; exits 1 on a fault."""
import re
import sys
import time

import pyatspi
from gi.repository import GLib

FAULTS = []
ANNOUNCE_EVERY = 0.25  # seconds between two announcements at most, as the program paces them


def check(condition, message):
    if not condition:
        FAULTS.append(message)
    return condition


def wait(condition, limit=20):
    deadline = time.time() + limit
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return None


def application():
    def found():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == 'pll':
                return app
    return wait(found)


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def text_of(node):
    return node.queryText().getText(0, -1)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index('Toggle' if node.getRoleName() == 'list item' else 'Press'))


def main():
    app = application()
    if app is None:
        print('accessibility_tree: FAIL: no application named "pll" on the accessibility bus')
        return 1
    frames = [c for c in app if c is not None]
    check(len(frames) == 1 and frames[0].getRoleName() == 'frame' and frames[0].name == 'PLL',
          'the window is not one frame named "PLL": %s' % [(c.getRoleName(), c.name) for c in frames])
    frame = frames[0]
    nodes = list(descendants(frame))

    def named(role, name):
        matches = [n for n in nodes if n.getRoleName() == role and n.name == name]
        check(len(matches) == 1, 'no %s named "%s"' % (role, name))
        return matches[0] if matches else None

    # Every control has a name, and the ones the user meets first take the focus.
    for node in nodes:
        if node.getRoleName() in ('push button', 'scroll bar', 'list', 'list item'):
            check(node.name.strip() != '', 'a %s without a name' % node.getRoleName())
    for name in ('Consigne', 'Comparateur de phase', 'Régulateur', 'Amplificateur de puissance',
                 'Moteur à courant continu', 'réducteur + radar', 'capteur de vitesse',
                 'Observer la rotation du capteur', 'Stabilité sans régulateur PD'):
        named('push button', name)
    start = named('push button', 'Démarrer Animation')
    focusable = [start, named('scroll bar', 'Réglage vitesse animation'), named('list', 'Choix du sujet'),
                 named('push button', 'Imprimer la page en cours')]
    for node in focusable:
        if node is not None:
            check('focusable' in states(node) and 'showing' in states(node),
                  '"%s" is not shown and focusable: %s' % (node.name, sorted(states(node))))

    area = [n for n in nodes if n.getRoleName() == 'image']
    if not check(len(area) == 1, 'no single image for the drawing area: %d' % len(area)):
        return report()
    area = area[0]
    check(area.name == 'Menu : schéma de la boucle', 'drawing area named "%s" on the menu page' % area.name)
    menu = text_of(area)
    for words in ('Comparateur de phase', 'Amplificateur de\npuissance (gain=1)', 'Δφ', 'Ω1'):
        check(words in menu, 'the menu page does not read "%s": %r' % (words, menu))
    check(area.description == menu, 'the drawing area\'s description is not its text')
    topics = named('list', 'Choix du sujet')

    # The operating point, followed to its end: title with the frame, announced a few times a
    # second at most, and the page's formulas with their Greek letters.
    names = []

    def heard(event):
        if event.source == area:
            names.append((time.time(), event.source.name))
    pyatspi.Registry.registerEventListener(heard, 'object:property-change:accessible-name')
    press(topics[2])
    press(start)
    loop = GLib.MainLoop()
    GLib.timeout_add(2000, loop.quit)
    loop.run()
    pyatspi.Registry.deregisterEventListener(heard, 'object:property-change:accessible-name')
    pattern = re.compile(r'Comportement en boucle fermée en un point de fonctionnement — image (\d+) sur 250$')
    check(len(names) >= 3 and all(pattern.match(n) for _, n in names),
          'the title was announced %d times in 2 s, as %s' % (len(names), [n for _, n in names][:3]))
    gaps = [round(b[0] - a[0], 3) for a, b in zip(names, names[1:])]
    check(all(g > ANNOUNCE_EVERY * 0.6 for g in gaps), 'the title was announced too often, at %s s' % gaps[:5])
    ended = wait(lambda: area.name.endswith('image 250 sur 250'), 30)
    check(ended, 'the operating point did not reach its last frame: "%s"' % area.name)
    time.sleep(2 * ANNOUNCE_EVERY)
    page = text_of(area)
    for line in ('sa pulsation : φ = 2πft = 2000πt', 'sa pulsation : φ1 = 2πft - π/2 = 2000πt - π/2',
                 'La vitesse Ω1 est constante = 2,5V*(25/2π) = 10tr/s.', 'Sa valeur : 2000π/3979 = π/2'):
        check(line in page.split('\n'), 'the operating point does not read the line "%s": %r' % (line, page))

    # A section of the presentation: its element in the title, its texts, in reading order.
    press(topics[0])
    wait(lambda: area.name == 'Menu : schéma de la boucle', 5)
    press(start)
    press(named('push button', 'Comparateur de phase'))
    title = 'Présentation de chaque élément de la boucle — Comparateur de phase — image 60 sur 60'
    check(wait(lambda: area.name == title, 20), 'the comparator page is named "%s"' % area.name)
    time.sleep(2 * ANNOUNCE_EVERY)
    page = text_of(area)
    for line in ('- la consigne E : signal carré (phase φ = wt)', '=U0/Δφ =5/π', 'X E S\n0 0 0\n0 1 1\n1 0 1\n1 1 0'):
        check(line in page, 'the comparator page does not read "%s": %r' % (line, page))
    return report()


def report():
    for fault in FAULTS:
        print('accessibility_tree: FAIL: %s' % fault)
    return 1 if FAULTS else 0


if __name__ == '__main__':
    sys.exit(main())

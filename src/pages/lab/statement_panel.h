#pragma once
// An experiment's title and text, on a white panel over the lab's displays: the words a teacher
// wrote for the student, on the canvas like the rest of the page, so printing, saving and the
// screen reader have them.
#include <QFont>
#include <QRect>
#include <string>

class Canvas;

// The title on every page, the text on as many pages as it takes in `area`: more than one, and
// each says which it is, when the text is longer than its box. `page` is brought into range.
void drawStatement(Canvas &canvas, const QRect &area, const std::string &title, const std::string &text, int page = 0);
int statementPages(const QRect &area, const std::string &title, const std::string &text);
// Where, at the bottom right of a paged text's panel, the control that turns its pages goes:
// the text stays clear of it.
QRect statementPageTurner(const QRect &area);
// The faces the title and the text are written in, for checking a text's letters are in them.
QFont statementTitleFont();
QFont statementTextFont();
// A white panel with a black outline, as the lab's displays stand on, and the text background
// made transparent again for the texts written over it.
void drawPanel(Canvas &canvas, const QRect &area);

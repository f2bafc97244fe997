#pragma once
// The drawing area's picture saved to a file: a PNG at a whole scale, or a PDF page or an SVG
// picture drawn as shapes and text (vector_drawing.h). The file is written aside and renamed into
// place once complete, so a write that fails leaves nothing behind, and the reason is told in
// French.
#include "drawing/canvas.h"

#include <QString>
#include <QStringList>

namespace PictureFile {

inline constexpr int MaxPngScale = 4;

enum class Format { Png, Pdf, Svg };

struct Choice
{
    Format format = Format::Png;
    int scale = 1; // a PNG's
};

// The save dialog's filters: a PNG at each scale, then the PDF, then the SVG.
QStringList filters();
QString filter(const Choice &choice);
// What the user chose: the file name's extension decides the format when it names one, the
// filter otherwise (it then adds the extension to `path`).
Choice choose(QString &path, const QString &selectedFilter, int currentScale);

// Writes `picture` to `path`; empty on success, else what went wrong, in French, for the user.
QString save(const QString &path, const Choice &choice, const Canvas::Snapshot &picture);

}

#pragma once
// The drawing area's picture saved to a file: a PNG at a whole scale, or a PDF page. The file is
// written aside and renamed into place once complete, so a write that fails leaves nothing
// behind, and the reason is told in French.
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

namespace PictureFile {

inline constexpr int MaxPngScale = 4;
// The PDF page holds the picture at this scale: about 400 dots per inch on a page of the
// drawing area's size at 96.
inline constexpr int PdfScale = 4;

struct Choice
{
    bool pdf = false;
    int scale = 1; // a PNG's
};

// The save dialog's filters: a PNG at each scale, then the PDF.
QStringList filters();
QString filter(const Choice &choice);
// What the user chose: the file name's extension decides the format when it names one, the
// filter otherwise (it then adds the extension to `path`).
Choice choose(QString &path, const QString &selectedFilter, int currentScale);

// Writes the picture `at` gives at a scale to `path`; empty on success, else what went wrong, in
// French, for the user.
QString save(const QString &path, const Choice &choice, const std::function<QImage(int)> &at);

}

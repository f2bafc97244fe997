#pragma once
// The program's desktop icon: the window icon's radar antenna (resources/icons/pll.xpm) drawn as
// shapes, so each installed size is sharp rather than an enlarged 32 x 32 bitmap.
#include <QImage>

QImage drawIcon(int size); // size x size pixels, opaque, on the window icon's light grey

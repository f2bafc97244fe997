// The regulator's transfer function as a fraction, on the light grey that is cut out when drawn.
#include "picture_kit.h"
#include "pictures.h"

QImage drawPdFiltre()
{
    kit::Sheet sheet(210, 60, QColor(192, 192, 192));
    sheet.fraction(6, 203, 29, QStringLiteral("1 + 0,025 p"), QStringLiteral("(1 + 0,0025 p)(1 + 8.10^-4 p)"), 12);
    return sheet.finish();
}

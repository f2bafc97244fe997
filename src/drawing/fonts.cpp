#include "drawing/fonts.h"

#include <QFontDatabase>
#include <cmath>

namespace {
const QString SansFamily = QStringLiteral("Liberation Sans");
const QString SerifFamily = QStringLiteral("Liberation Serif");
}

namespace Fonts {

void registerEmbedded()
{
    static const bool registered = [] {
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-Regular.ttf"));
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
        return true;
    }();
    (void)registered;
}

bool isSymbol(const QString &name)
{
    return name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

QFont pageFont(const QString &name, int points)
{
    QFont font(isSymbol(name) ? SerifFamily : SansFamily);
    font.setPixelSize(int(std::lround(points * 96.0 / 72.0)));
    // Unsmoothed, unkerned glyphs: the same mask on every machine, and the text widths the
    // pages' gaps for Greek letters were laid out for.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    // At 10 points the pages were laid out for a face with narrower letters and wider spaces
    // than ours: condensed a little, with the spaces opened up, the gaps left in the texts hold
    // their Greek letters again.
    if (points == 10 && !isSymbol(name)) {
        font.setStretch(92);
        font.setWordSpacing(1.5);
    }
    return font;
}

QString symbolText(const QString &text)
{
    QString greek = text;
    for (QChar &c : greek) {
        switch (c.unicode()) {
        case 'j': c = QChar(0x03D5); break; // phi, the stroked form the symbol face uses
        case 'D': c = QChar(0x0394); break; // Delta
        case 'W': c = QChar(0x03A9); break; // Omega
        case 'p': c = QChar(0x03C0); break; // pi
        default: break;
        }
    }
    return greek;
}

QFont windowFont()
{
    return pageFont(QStringLiteral("MS Sans Serif"), 8);
}

}

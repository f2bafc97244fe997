#include "drawing/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>

namespace {
const QString SansFamily = QStringLiteral("PLL Sans");
const QString SerifFamily = QStringLiteral("PLL Serif");
// The face of the smallest page text: hinted by hand for the screen's pixel grid, it reads at 11
// pixels unsmoothed where the page face's letters run together, in nearly the same widths.
const QString SmallTextFamily = QStringLiteral("PLL Text");

// Sizes are in points on the 96 dots per inch screen the pages were laid out on.
constexpr double PixelsPerPoint = 96.0 / 72.0;

// Page text reads no smaller than at 8 points (11 pixels): smaller text, the 4- and 6-point
// labels, is drawn at that size, as the classic dialog face was never drawn below its smallest
// designed size. The diagrams' boxes and line pitches were laid out for it.
constexpr int SmallestReadablePoints = 8;

// Widths fitted to the layout at 10 points, whose lines hold Greek letters in their gaps: the page
// face runs wider there than the one the pages were laid out for, so its letters are condensed and
// its spaces opened up. The small text face keeps its own widths, which fit the 8-point lines. A
// line still too long for its room is fitted to it, below.
struct Spacing
{
    int points;
    int stretch;
    qreal wordSpacing;
};
constexpr Spacing Spacings[] = {
    {10, 90, 2},
};

// A line fitted to its room closes up its word spaces by this step, pixels, while a space stays
// at least `NarrowestSpace` wide.
constexpr qreal FittingStep = 0.5;
constexpr qreal NarrowestSpace = 1;

// `text` set in `font`, its word spaces closed up to end within `room` if they must.
LaidOutText fitted(const QFont &font, const QString &text, int room)
{
    // Trailing spaces show nothing: they may run past the room.
    qsizetype shown = text.size();
    while (shown > 0 && text[shown - 1] == QLatin1Char(' '))
        --shown;
    const auto visible = [&](const QFont &f) { return QFontMetrics(f).horizontalAdvance(text.left(shown)); };
    if (visible(font) <= room || !text.left(shown).contains(QLatin1Char(' ')))
        return setOnOneLine(font, text);
    // Too long for its room: the word spaces close up until it fits, as far as they go.
    const qreal space = QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) + font.wordSpacing();
    QFont closer = font;
    qreal spacing = font.wordSpacing();
    do {
        spacing -= FittingStep;
        closer.setWordSpacing(spacing);
    } while (visible(closer) > room && space - (font.wordSpacing() - spacing) - FittingStep >= NarrowestSpace);
    return setOnOneLine(closer, text);
}
}

namespace Fonts {

void registerEmbedded()
{
    static const bool registered = [] {
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/PLLSans-Regular.ttf"));
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/PLLSerif-Regular.ttf"));
        QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/PLLText-Regular.ttf"));
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
    const bool symbol = isSymbol(name);
    const int drawnPoints = symbol ? points : std::max(points, SmallestReadablePoints);
    QFont font(symbol ? SerifFamily : drawnPoints == SmallestReadablePoints ? SmallTextFamily : SansFamily);
    font.setPixelSize(int(std::lround(drawnPoints * PixelsPerPoint)));
    // Unsmoothed, unkerned glyphs: the same mask on every machine, erased exactly by drawing the
    // text again in the background colour.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    // Said outright: a font left at "any stretch" may be given the engine of a stretched one.
    font.setStretch(QFont::Unstretched);
    if (!symbol) {
        for (const Spacing &spacing : Spacings) {
            if (spacing.points == points) {
                font.setStretch(spacing.stretch);
                font.setWordSpacing(spacing.wordSpacing);
            }
        }
    }
    return font;
}

LaidOutText layOut(const QFont &font, const QString &text, int room, std::span<const TextShift> shifts)
{
    int moved = 0;
    for (const TextShift &s : shifts)
        moved += s.dx;
    LaidOutText laid = fitted(font, text, room - std::max(moved, 0));
    laid.shift(shifts);
    return laid;
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
    // The controls keep the page face at its own widths, which their layout was made for: only
    // the pages' texts are fitted to theirs.
    QFont font = pageFont(QStringLiteral("MS Sans Serif"), 8);
    font.setFamily(SansFamily);
    font.setStretch(QFont::Unstretched);
    font.setWordSpacing(0);
    return font;
}

}

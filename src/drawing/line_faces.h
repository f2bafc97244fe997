#pragma once
// What setting a line needs to know of the page faces, worked out once: each face's word space and
// letter spacing, and each text's layout and ink.
#include "drawing/glyph_cache.h"
#include "drawing/pixel_run.h"
#include "drawing/scaled_text.h"

#include <QFont>
#include <QHash>
#include <QString>
#include <vector>

class LineFaces
{
public:
    struct Face
    {
        QFont font;
        int wordSpace;   // ink columns between the words of "n n"
        int letterSpace; // between the letters of "nn", at least one
    };
    // A text as its face sets it alone.
    struct Measure
    {
        LaidOutText laid;
        std::vector<PixelRun> ink; // relative to the cell's top left
    };

    // The page face, or the symbol face, at `points`.
    const Face &face(bool symbol, int points);
    const Measure &measure(bool symbol, int points, const QString &text);

private:
    struct MeasureKey
    {
        int font;
        QString text;
        bool operator==(const MeasureKey &) const = default;
        friend size_t qHash(const MeasureKey &key, size_t seed = 0) { return qHashMulti(seed, key.font, key.text); }
    };

    QHash<int, Face> m_faces;
    QHash<MeasureKey, Measure> m_measures;
    GlyphCache m_glyphs{1};
};

#pragma once
// Text rendered once per string, font and colour and then only copied: unsmoothed glyphs
// make the same mask every time, and copying it costs a fraction of laying the text out.
#include "drawing/pixel_run.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>
#include <vector>

class GlyphCache
{
public:
    struct Run
    {
        int advance; // the width of the text's cell
        // Unsmoothed glyphs have only opaque and transparent pixels: then `ink` holds the opaque
        // ones relative to the text's cell, and filling them in the colour is the whole drawing.
        bool inkOnly;
        std::vector<PixelRun> ink;
        // Otherwise the text's pixels in its colour, everything else transparent, to be drawn
        // with its top left at `left` relative to the text's cell.
        QImage glyphs;
        int left;
    };

    // The run for `text` in `font` (whose pixel size and family `fontKey` stands for) and colour.
    const Run &run(const QString &text, const QFont &font, int fontKey, QRgb colour);

private:
    struct Key
    {
        QString text;
        int fontKey;
        QRgb colour;
        bool operator==(const Key &) const = default;
        friend size_t qHash(const Key &key, size_t seed = 0) { return qHashMulti(seed, key.text, key.fontKey, key.colour); }
    };
    // Strings are the pages' own and a few readouts; the bound only guards against surprises.
    static constexpr int MaxRuns = 4096;
    QHash<Key, Run> m_runs;
};

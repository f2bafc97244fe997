#pragma once
// Text rendered once per string, font and colour and then only copied: unsmoothed glyphs
// make the same mask every time, and copying it costs a fraction of laying the text out.
// At a scale above 1 (whole or not) the text is rendered again at that many times its font's pixel
// size, on the layout of its own size: its cell is the scaled cell, widened to hold the finer
// glyphs' ink.
#include "drawing/pixel_run.h"
#include "drawing/scaled_text.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>
#include <limits>
#include <span>
#include <vector>

class GlyphCache
{
public:
    explicit GlyphCache(qreal scale = 1) : m_scale(scale) {}

    struct Run
    {
        int advance;  // of the text as set, at the font's own size
        QRect cell;   // relative to the text's top left; an opaque text fills it
        QRect bounds; // every pixel the text may paint, relative to its top left
        // Unsmoothed glyphs have only opaque and transparent pixels: then `ink` holds the opaque
        // ones relative to the text's cell, and filling them in the colour is the whole drawing.
        bool inkOnly;
        std::vector<PixelRun> ink;
        // Otherwise the text's pixels in its colour, everything else transparent, to be drawn
        // with its top left at `origin` relative to the text's cell.
        QImage glyphs;
        QPoint origin;
    };

    // The run for `text` in `font`, the font at its own size (whose pixel size and family
    // `fontKey` stands for), and colour, its glyphs moved by `shifts`; fitted to `room` pixels
    // if it would take more.
    const Run &run(const QString &text, const QFont &font, int fontKey, QRgb colour, int room = Unlimited,
                   std::span<const TextShift> shifts = {});

    static constexpr int Unlimited = std::numeric_limits<int>::max();

private:
    struct Key
    {
        QString text;
        int fontKey;
        QRgb colour;
        int room; // Unlimited for the text as its font sets it
        std::vector<TextShift> shifts;
        bool operator==(const Key &) const = default;
        friend size_t qHash(const Key &key, size_t seed = 0)
        {
            size_t h = qHashMulti(seed, key.text, key.fontKey, key.colour, key.room);
            for (const TextShift &s : key.shifts)
                h = qHashMulti(h, s.from, s.dx);
            return h;
        }
    };
    const Run &make(const Key &key, const QFont &font);
    // Strings are the pages' own and a few readouts; the bound only guards against surprises.
    static constexpr int MaxRuns = 4096;
    qreal m_scale;
    QHash<Key, Run> m_runs;
};

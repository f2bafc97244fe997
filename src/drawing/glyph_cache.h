#pragma once
// Text rendered once per string, font and colour and then only copied: unsmoothed glyphs
// make the same mask every time, and copying it costs a fraction of laying the text out.
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>

class GlyphCache
{
public:
    struct Run
    {
        QImage glyphs; // the text's pixels in its colour, everything else transparent
        int left;      // where the image starts, relative to the text's cell
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

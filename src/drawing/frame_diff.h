#pragma once
// Draws each frame over the one drawn before it, only where the two differ. A pixel that no
// operation outside those the frames have in common reaches is painted by the same operations in
// both, in the same order: only what the others reach is painted again.
#include "drawing/draw_op.h"
#include "drawing/raster.h"

#include <QRect>
#include <QRegion>
#include <span>
#include <utility>
#include <vector>

class FrameDiff
{
public:
    // Paints `frame` on `raster` where it differs from the last frame drawn there, adds that area
    // to `changed`, and keeps `frame` as the last one, leaving `frame` empty. Returns false,
    // having painted nothing, for a frame equal to the last: every pixel is already what it paints.
    bool draw(std::vector<DrawOp> &frame, Raster &raster, QRegion &changed);
    // The last frame drawn.
    const std::vector<DrawOp> &last() const { return m_previous; }
    // The picture was drawn again whole: the next frame has no frame before it to differ from.
    void forget();

private:
    // Marks in `keptBefore` and `keptAfter` operations common to both lists, in the same order, and
    // in m_matched where each kept after was before:
    // what both begin and end with, and between, each later operation with the first equal one
    // after the last matched. Not always the longest such run, but found in one pass, and frames
    // mostly repeat the one before.
    void match(std::span<const DrawOp> before, std::span<const DrawOp> after, std::vector<char> &keptBefore,
               std::vector<char> &keptAfter);
    // Gathers what the operations outside the common ones reach, before and after, into m_pieces.
    void findPieces(const std::vector<DrawOp> &frame);
    // Paints every operation of `frame` in order, on each piece it reaches.
    void paintPieces(const std::vector<DrawOp> &frame, Raster &raster);

    std::vector<DrawOp> m_previous;
    std::vector<QRect> m_previousBounds, m_frameBounds; // what each operation may reach
    std::vector<QRect> m_pieces;  // the frame's changed area
    std::vector<QRect> m_reached; // the pieces an operation reaches
    std::vector<char> m_keptBefore, m_keptAfter;
    std::vector<std::size_t> m_matched; // for each operation kept after, its match before
    std::vector<std::pair<std::size_t, std::size_t>> m_byHash; // (hash, index) of `before`'s middle, sorted
};

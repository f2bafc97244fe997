#pragma once
// Operations two frames have in common, in order. A pixel that no other operation of either
// frame reaches is painted by the same operations in both, in the same order, so drawing the
// second frame over the first changes only what the operations outside the common ones reach.
#include "drawing/draw_op.h"

#include <span>
#include <utility>
#include <vector>

class FrameMatch
{
public:
    // Marks in `keptBefore` and `keptAfter` operations common to both lists, in the same order:
    // what both begin and end with, and between, each later operation with the first equal one
    // after the last matched. Not always the longest such run, but found in one pass, and frames
    // mostly repeat the one before.
    void match(std::span<const DrawOp> before, std::span<const DrawOp> after, std::vector<char> &keptBefore,
               std::vector<char> &keptAfter);

private:
    std::vector<std::pair<std::size_t, std::size_t>> m_byHash; // (hash, index) of `before`'s middle, sorted
};

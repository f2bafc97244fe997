#pragma once
// The operations that describe the picture: those since the last clearing of the whole area, less
// those later ones hide entirely, kept short as a page draws on for hours. From them the picture
// is drawn again at another scale, for an enlarged window, a copy, a file or a printer.
#include "drawing/draw_op.h"
#include "drawing/raster.h"

#include <QHash>
#include <span>
#include <vector>

class DrawingList
{
public:
    // A new picture: blank, white as a clearing in white paints it.
    DrawingList();

    // Filling the whole area hides everything drawn before: the picture starts again from it.
    static bool clearsAll(const DrawOp &op);

    // Adds a frame's operations, in order.
    void add(std::span<const DrawOp> ops);
    // The picture `ops` describe, in place of this one.
    void assign(const std::vector<DrawOp> &ops);
    // The operations that describe the picture now, in order.
    const std::vector<DrawOp> &compacted();
    // Paints the picture they describe.
    void paint(Raster &raster) const;
    // A measure of what drawing the picture again costs.
    std::size_t size() const { return m_ops.size() - m_hidden; }

private:
    // Drops the hidden operations.
    void compact();
    // Also hides what later operations cover, then compacts.
    void sweep();

    // In order; an operation a later one of the same pixels hides is marked hidden, and dropped
    // at the next compaction.
    std::vector<DrawOp> m_ops;
    std::vector<char> m_isHidden;
    std::size_t m_hidden = 0;
    std::size_t m_sweepAt = 0; // the size that calls for the next sweep
    QHash<std::size_t, std::size_t> m_latestCovering; // by coverage hash: index in m_ops
};

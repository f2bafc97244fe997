#include "drawing/line_setting.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {
// Texts whose tops lie this close (pixels) are on one row: a Greek letter in a larger face is
// written a little higher than the line it belongs to.
constexpr int RowDrift = 4;
// Texts kept at most: far more than any page shows at once.
constexpr std::size_t MostPieces = 1024;
// Lines whose setting is kept: a page has a few dozen.
constexpr std::size_t MostLines = 256;
}

bool LineSetting::takesPart(bool symbol, const QString &shown, const QString &asWritten)
{
    return !symbol || shown != asWritten;
}

void LineSetting::cover(const QRect &area)
{
    std::erase_if(m_pieces, [&](Piece &p) {
        return area.contains(QRect(p.written.at, QPoint(p.right - 1, p.written.at.y() + p.height - 1)));
    });
}

void LineSetting::frameDrawn()
{
    for (Piece &p : m_pieces)
        p.op = -1;
}

std::vector<std::size_t> LineSetting::lineOf(std::size_t index)
{
    const Piece &own = m_pieces[index];
    // Only texts near its row can be on its line.
    std::vector<std::size_t> row;
    for (std::size_t i = 0; i < m_pieces.size(); ++i)
        if (std::abs(m_pieces[i].written.at.y() - own.written.at.y()) <= 2 * RowDrift)
            row.push_back(i);
    std::vector<std::size_t> line{index};
    std::vector<char> taken(row.size(), 0);
    for (std::size_t k = 0; k < line.size(); ++k) {
        const Piece &m = m_pieces[line[k]];
        for (std::size_t r = 0; r < row.size(); ++r) {
            const Piece &p = m_pieces[row[r]];
            if (taken[r] || row[r] == index || p.written.colour != m.written.colour
                || std::abs(p.written.at.y() - m.written.at.y()) > RowDrift)
                continue;
            // Texts no more than a cell's height apart are pieces of one line.
            const int reach = std::max(m.height, p.height);
            if (p.written.at.x() <= m.right + reach && m.written.at.x() <= p.right + reach) {
                taken[r] = 1;
                line.push_back(row[r]);
            }
        }
    }
    return line;
}

void LineSetting::write(const Written &text, bool letter, QSize cell, std::ptrdiff_t op,
                        std::vector<std::pair<std::ptrdiff_t, Placement>> &moved)
{
    moved.clear();
    const Piece piece{text, letter, text.at.x() + cell.width(), cell.height(), op};
    moved.emplace_back(op, Placement{text.at.x(), {}, true, true});
    // What is written where the same face and size wrote before takes its place.
    const auto replaced = std::find_if(m_pieces.begin(), m_pieces.end(), [&](const Piece &p) {
        return p.written.at == text.at && p.written.symbol == text.symbol && p.written.points == text.points;
    });
    std::size_t index;
    if (replaced != m_pieces.end()) {
        *replaced = piece;
        index = std::size_t(replaced - m_pieces.begin());
    } else {
        if (m_pieces.size() >= MostPieces)
            m_pieces.erase(m_pieces.begin(), m_pieces.begin() + std::ptrdiff_t(MostPieces / 2));
        m_pieces.push_back(piece);
        index = m_pieces.size() - 1;
    }
    // Most texts have no Greek letter near them, nor a letter a line: they stay as written.
    const bool partnered = std::any_of(m_pieces.begin(), m_pieces.end(), [&](const Piece &p) {
        return p.letter != letter && p.written.colour == text.colour && std::abs(p.written.at.y() - text.at.y()) <= 2 * RowDrift;
    });
    if (partnered)
        set(lineOf(index), moved);
}

void LineSetting::set(std::vector<std::size_t> line, std::vector<std::pair<std::ptrdiff_t, Placement>> &moved)
{
    // The same line comes back every tick: its setting is worked out once.
    std::sort(line.begin(), line.end(), [&](std::size_t a, std::size_t b) {
        const Written &p = m_pieces[a].written, &q = m_pieces[b].written;
        return std::tuple(p.at.x(), p.at.y(), p.symbol) < std::tuple(q.at.x(), q.at.y(), q.symbol);
    });
    LineKey key;
    for (std::size_t i : line)
        key.texts.push_back(m_pieces[i].written);
    auto found = m_settings.constFind(key);
    if (found == m_settings.constEnd()) {
        if (m_settings.size() >= qsizetype(MostLines))
            m_settings.clear();
        std::vector<const Piece *> pieces;
        for (std::size_t i : line)
            pieces.push_back(&m_pieces[i]);
        found = m_settings.insert(key, LinePlacement(m_faces, std::move(pieces)).placements());
    }
    const std::vector<Placement> &placed = *found;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const Piece &piece = m_pieces[line[k]];
        if (piece.op < 0)
            continue;
        const auto entry = std::find_if(moved.begin(), moved.end(), [&](const auto &m) { return m.first == piece.op; });
        if (entry != moved.end())
            entry->second = placed[k];
        else
            moved.emplace_back(piece.op, placed[k]);
    }
}

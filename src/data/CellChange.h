#pragma once
// TCellChange: one reversible change of a store's elevations, the record an
// undo history keeps for each edit.
//
// It is taken just before the change, and holds the cells the change will
// touch and the store's bookkeeping (shape, count, extremes, used rectangle,
// flags) as they are then. Exchange() swaps what it holds with what the store
// holds: the first call undoes the change, the next redoes it, and so on.
// Because the store's own values are put back rather than recomputed, every
// step restores the store bit for bit.
//
// An edit of cells in place (typing, paste, cut, delete) keeps only its
// rectangle; a change of shape (rows or columns inserted or deleted) moves
// cells across the whole grid and keeps the whole grid.

#include "data/GridTypes.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace nivora {

class TCotas;

class TCellChange {
public:
    // The cells of `rect` (clipped to the grid) and the bookkeeping.
    static TCellChange Capture(const TCotas& store, const TUsedRect& rect);
    // The whole grid, for changes of shape.
    static TCellChange CaptureWhole(const TCotas& store);

    void Exchange(TCotas& store);

    // Memory the record holds: never more than the cells its change touched.
    std::size_t Bytes() const { return sizeof(*this) + Cells.capacity() * sizeof(float); }

private:
    struct TBookkeeping {
        std::int32_t ColCount = 0;
        std::int32_t RowCount = 0;
        std::int32_t ValueCount = 0;
        TCotaPoint Minimum;
        TCotaPoint Maximum;
        bool ExtremesValid = false;
        TUsedRect UsedRect;
        bool ResultsValid = false;
        bool Modified = false;
    };
    static TBookkeeping Read(const TCotas& store);
    static void Write(TCotas& store, const TBookkeeping& b);

    bool Whole = false;
    TUsedRect Rect;
    std::vector<float> Cells;
    TBookkeeping Other;
};

// The stakes a paste of `text` at (col, row) may touch, for its record: a
// line for every line end (CR, LF or the pair), a field for every tab. It
// never falls short of what the paste writes; it may reach further (UTF-16
// text, a header line), or past the grid when the paste would grow it.
TUsedRect PasteReach(std::string_view text, std::int32_t col, std::int32_t row);

}  // namespace nivora

#pragma once
// TCotas: the measured ground elevations of one field, a grid of stakes
// addressed by column (X) and row (Y), both from 1, with the bookkeeping the
// rest of the program reads all the time: how many stakes hold a value, the
// lowest and highest elevation and where they are, the bounding rectangle of
// the stakes with values, and the flags ResultsValid, Modified and Saved.
//
// The value 0.0 means "no elevation measured" everywhere.
//
// Cells live in one contiguous block, row after row, ColCount floats a row.
// The stake and rectangle types it speaks in are in GridTypes.h.

#include "data/GridTypes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace nivora {

class TByteWriter;
class TByteReader;

class TCotas {
public:
    // Bytes of the store section before its cells.
    static constexpr std::size_t kSectionHeaderSize = 55;

    TCotas(std::int32_t colCount, std::int32_t rowCount);
    virtual ~TCotas() = default;
    TCotas(const TCotas&) = default;
    TCotas& operator=(const TCotas&) = default;

    float GetCell(std::int32_t col, std::int32_t row) const
    {
        if (col < 1 || col > ColCount_ || row < 1 || row > RowCount_)
            return 0.0f;
        return Cells_[Index(col, row)];
    }
    // Throws TElevationError, changing nothing, for a value that is not
    // storable (wherever the position lies).
    void SetCell(std::int32_t col, std::int32_t row, float value);
    // Empties the stakes of `rect` that lie in the store (Delete and Cut on
    // a selection): count and flags as SetCell keeps them, the extremes
    // rescanned once at the end when a cleared stake held one.
    void ClearRect(const TUsedRect& rect);
    // Stores `count` values from (col, row) rightwards, as that many SetCell
    // calls would, growing the store once for all of them; values that would
    // fall past column 1000 (or the limit set on growth) are dropped. When one of the values stored would
    // not be storable, TElevationError is thrown and nothing changes.
    void SetRowCells(std::int32_t col, std::int32_t row, const float* values, std::size_t count);
    [[nodiscard]] bool Resize(std::int32_t addCols, std::int32_t addRows);

    // Insert an empty row (column) at the position; the ones from there on
    // move down (right). When the last row (column) holds elevations the
    // store grows by one so that nothing is lost; at 1000 it cannot, and the
    // insert is refused: false, nothing changed (also for a position outside
    // the store). Count, extremes and used rectangle stay true.
    [[nodiscard]] bool InsertRow(std::int32_t row);
    void DeleteRow(std::int32_t row);
    [[nodiscard]] bool InsertColumn(std::int32_t col);
    void DeleteColumn(std::int32_t col);

    void SetMinimum(const TCotaPoint& p);
    void SetMaximum(const TCotaPoint& p);
    void SetExtremesValid(bool flag);
    void SetAutoExtremes(bool flag);
    void RecomputeExtremes();
    // The smallest rectangle holding every elevation, as the grid is now; for
    // an empty grid FirstCol > LastCol and FirstRow > LastRow.
    [[nodiscard]] TUsedRect ComputeUsedRect() const;
    // Brings UsedRect up to date with the grid.
    void UpdateUsedRect() { UsedRect_ = ComputeUsedRect(); }

    // The fields of the store section that precede its cells.
    struct TSectionHeader {
        bool ExtremesValid = false;
        bool ResultsValid = false;
        std::int32_t ColCount = 0;
        std::int32_t RowCount = 0;
        std::int32_t ValueCount = 0;
        TCotaPoint Minimum;
        TCotaPoint Maximum;
        TUsedRect UsedRect;
        bool Modified = false;
    };
    static bool ReadSectionHeader(TByteReader& stream, TSectionHeader& header);
    // The header fits this store: same dimensions, and a used rectangle that
    // is inside the grid or the empty one ComputeUsedRect gives.
    bool Fits(const TSectionHeader& header) const;

    // Writes the store section of the grid as it is now. Nothing changes:
    // the store becomes saved when the file holding it has been written.
    void SaveToStream(TByteWriter& stream) const;
    // Reads the store section into a store of the dimensions the file
    // records. Returns false when the section is short or does not fit this
    // store (the store is then unchanged), or when a cell is not a finite
    // number (the store is then cleared).
    bool LoadFromStream(TByteReader& stream);
    // The cells of the header's used rectangle, read straight into the grid
    // by `read`(destination, count of singles) (files are read in place),
    // then checked and the section's fields taken. False when the header
    // does not fit this store (nothing read), or, with the store cleared, on
    // a cell that is not a finite number. `read` reports a failure by
    // throwing; the store is then cleared as well.
    bool LoadCells(const TSectionHeader& header, const std::function<void(float*, std::size_t)>& read);

    // The elevations, row after row, ColCount singles a row.
    const std::vector<float>& Cells() const { return Cells_; }
    // A pointer to row `row` (1-based), ColCount floats; for tight loops.
    const float* RowData(std::int32_t row) const
    {
        return Cells_.data() + std::size_t(row - 1) * std::size_t(ColCount_);
    }

    // The bookkeeping. It changes only through the operations above.
    TCotaPoint Minimum() const { return Minimum_; }
    TCotaPoint Maximum() const { return Maximum_; }
    bool ExtremesValid() const { return ExtremesValid_; }
    bool AutoExtremes() const { return AutoExtremes_; }
    bool ResultsValid() const { return ResultsValid_; }
    std::int32_t ColCount() const { return ColCount_; }
    std::int32_t RowCount() const { return RowCount_; }
    std::int32_t ValueCount() const { return ValueCount_; }
    // The bounding rectangle as ComputeUsedRect last found it.
    TUsedRect UsedRect() const { return UsedRect_; }
    bool Modified() const { return Modified_; }
    bool Saved() const { return Saved_; }
    // The size the store may grow to: 1000 x 1000 unless its owner set less.
    std::int32_t MaxColCount() const { return MaxCols_; }
    std::int32_t MaxRowCount() const { return MaxRows_; }

    // Called with the store whenever Minimum or Maximum changes.
    void SetOnExtremesChange(std::function<void(TCotas&)> handler) { OnExtremesChange_ = std::move(handler); }
    // Whether the values are those of the file last saved or loaded: the
    // document says so after a save, and when an undo or redo brings it
    // back to (or away from) that state.
    void SetSaved(bool flag) { Saved_ = flag; }
    // The systematization results no longer describe the values (a change
    // the cell setter does not see, such as an undo step or an insert).
    void InvalidateResults() { ResultsValid_ = false; }

protected:
    // For the systematization, which alone makes results current.
    void SetResultsValid(bool flag) { ResultsValid_ = flag; }
    void SetModified(bool flag) { Modified_ = flag; }
    // For the terrain, whose stakes past some column or row would lie where
    // its file cannot place them: the store grows no further (never below
    // its size now), growth past the limit refused as growth past 1000 is.
    void LimitGrowth(std::int32_t maxCols, std::int32_t maxRows)
    {
        MaxCols_ = std::max(ColCount_, std::min(maxCols, MaxGridSize));
        MaxRows_ = std::max(RowCount_, std::min(maxRows, MaxGridSize));
    }

private:
    // The record of an undo step puts the bookkeeping back bit for bit.
    friend class TCellChange;
    // The terrain that owns the store sets the flags and limit above.
    friend class TTerreno;

    std::size_t Index(std::int32_t col, std::int32_t row) const
    {
        return std::size_t(row - 1) * std::size_t(ColCount_) + std::size_t(col - 1);
    }
    // A cell's change inside the store and its bookkeeping.
    void StoreCell(std::size_t index, std::int32_t col, std::int32_t row, float value);
    void UpdateExtremes(std::int32_t col, std::int32_t row, float oldValue, float newValue);
    void NotifyExtremesChange()
    {
        if (OnExtremesChange_)
            OnExtremesChange_(*this);
    }
    // After a row or column is inserted at `line` of `axis`: an extreme at or
    // past it moves on with its cell.
    void FinishInsert(std::int32_t TCotaPoint::*axis, std::int32_t line);
    bool AcceptLoadedCells(const TSectionHeader& header);
    void ClearCells();

    // Fields, in declaration order.
    std::vector<float> Cells_;
    TCotaPoint Minimum_{0, 0, kMinimumSentinel};
    TCotaPoint Maximum_{0, 0, kMaximumSentinel};
    bool ExtremesValid_ = false;
    bool AutoExtremes_ = true;
    std::function<void(TCotas&)> OnExtremesChange_;
    bool ResultsValid_ = false;
    std::int32_t ColCount_ = 0;
    std::int32_t RowCount_ = 0;
    std::int32_t ValueCount_ = 0;
    TUsedRect UsedRect_;
    bool Modified_ = false;
    bool Saved_ = false;
    std::int32_t MaxCols_ = MaxGridSize;
    std::int32_t MaxRows_ = MaxGridSize;
};

}  // namespace nivora

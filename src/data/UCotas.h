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

#include <cstdint>
#include <functional>
#include <vector>

namespace nivora {

class TByteWriter;
class TByteReader;

constexpr std::int32_t MaxGridSize = 1000;

struct TCotaPoint {
    std::int32_t Col = 0;
    std::int32_t Row = 0;
    float Value = 0.0f;
    bool operator==(const TCotaPoint&) const = default;
};

// A rectangle of stakes, inclusive, 1-based.
struct TUsedRect {
    std::int32_t FirstCol = 0;
    std::int32_t FirstRow = 0;
    std::int32_t LastCol = 0;
    std::int32_t LastRow = 0;
    bool operator==(const TUsedRect&) const = default;
    bool IsEmpty() const { return FirstCol > LastCol || FirstRow > LastRow; }
    std::int64_t CellCount() const
    {
        // In 64 bits before subtracting: a rectangle read from a file may
        // span the whole 32-bit range.
        return IsEmpty() ? 0
                         : (std::int64_t(LastCol) - FirstCol + 1) * (std::int64_t(LastRow) - FirstRow + 1);
    }
};

constexpr float kMinimumSentinel = 1e10f;
constexpr float kMaximumSentinel = -1e10f;

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
        if (col < 1 || col > ColCount || row < 1 || row > RowCount)
            return 0.0f;
        return Cells[Index(col, row)];
    }
    void SetCell(std::int32_t col, std::int32_t row, float value);
    // Empties the stakes of `rect` that lie in the store (Delete and Cut on
    // a selection): count and flags as SetCell keeps them, the extremes
    // rescanned once at the end when a cleared stake held one.
    void ClearRect(const TUsedRect& rect);
    bool Resize(std::int32_t addCols, std::int32_t addRows);

    // Insert an empty row (column) at the position; the ones from there on
    // move down (right). When the last row (column) holds elevations the
    // store grows by one so that nothing is lost; at 1000 it cannot, and the
    // insert is refused: false, nothing changed (also for a position outside
    // the store). Count, extremes and used rectangle stay true.
    bool InsertRow(std::int32_t row);
    void DeleteRow(std::int32_t row);
    bool InsertColumn(std::int32_t col);
    void DeleteColumn(std::int32_t col);

    void SetMinimum(const TCotaPoint& p);
    void SetMaximum(const TCotaPoint& p);
    void SetExtremesValid(bool flag);
    void SetAutoExtremes(bool flag);
    void RecomputeExtremes();
    // The smallest rectangle holding every elevation, as the grid is now; for
    // an empty grid FirstCol > LastCol and FirstRow > LastRow.
    TUsedRect ComputeUsedRect() const;
    // Brings UsedRect up to date with the grid.
    void UpdateUsedRect() { UsedRect = ComputeUsedRect(); }

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
    // The second half of a load whose cells were read straight into Cells
    // (for files, which are read in place): checks them and takes the
    // section's fields. False, with the store cleared, on a damaged cell.
    bool AcceptLoadedCells(const TSectionHeader& header);

    // A pointer to row `row` (1-based), ColCount floats; for tight loops.
    const float* RowData(std::int32_t row) const { return Cells.data() + std::size_t(row - 1) * std::size_t(ColCount); }

    // Fields, in declaration order.
    std::vector<float> Cells;
    TCotaPoint Minimum{0, 0, kMinimumSentinel};
    TCotaPoint Maximum{0, 0, kMaximumSentinel};
    bool ExtremesValid = false;
    bool AutoExtremes = true;
    std::function<void(TCotas&)> OnExtremesChange;
    bool ResultsValid = false;
    std::int32_t ColCount = 0;
    std::int32_t RowCount = 0;
    std::int32_t ValueCount = 0;
    TUsedRect UsedRect;
    bool Modified = false;
    bool Saved = false;

private:
    std::size_t Index(std::int32_t col, std::int32_t row) const
    {
        return std::size_t(row - 1) * std::size_t(ColCount) + std::size_t(col - 1);
    }
    void UpdateExtremes(std::int32_t col, std::int32_t row, float oldValue, float newValue);
    void NotifyExtremesChange()
    {
        if (OnExtremesChange)
            OnExtremesChange(*this);
    }
};

}  // namespace nivora

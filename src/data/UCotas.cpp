#include "UCotas.h"

#include "ByteStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace nivora {

TCotas::TCotas(std::int32_t colCount, std::int32_t rowCount)
{
    if (colCount < 1 || colCount > MaxGridSize || rowCount < 1 || rowCount > MaxGridSize)
        throw std::invalid_argument("Dimensões da grade fora do intervalo de 1 a 1000.");
    ColCount = colCount;
    RowCount = rowCount;
    Cells.assign(std::size_t(colCount) * std::size_t(rowCount), 0.0f);
}

void TCotas::SetCell(std::int32_t col, std::int32_t row, float value)
{
    if (col < 1 || col > MaxGridSize || row < 1 || row > MaxGridSize)
        return;
    if (col > ColCount || row > RowCount) {
        if (!Resize(std::max(0, col - ColCount), std::max(0, row - RowCount)))
            return;
    }
    float& cell = Cells[Index(col, row)];
    const float old = cell;
    if (old == value)
        return;
    Modified = true;
    Saved = false;
    ResultsValid = false;
    if (old == 0.0f)
        ++ValueCount;
    else if (value == 0.0f)
        --ValueCount;
    cell = value;
    UpdateExtremes(col, row, old, value);
    if (AutoExtremes)
        SetExtremesValid(true);
}

void TCotas::ClearRect(const TUsedRect& rect)
{
    const bool wasAuto = AutoExtremes;
    SetAutoExtremes(false);
    for (std::int32_t row = std::max(rect.FirstRow, 1); row <= std::min(rect.LastRow, RowCount); ++row)
        for (std::int32_t col = std::max(rect.FirstCol, 1); col <= std::min(rect.LastCol, ColCount); ++col)
            SetCell(col, row, 0.0f);
    SetAutoExtremes(wasAuto);
}

void TCotas::UpdateExtremes(std::int32_t col, std::int32_t row, float oldValue, float newValue)
{
    if (!ExtremesValid)
        return;
    if (oldValue == 0.0f) {
        if (newValue < Minimum.Value)
            SetMinimum({col, row, newValue});
        if (newValue > Maximum.Value)
            SetMaximum({col, row, newValue});
    } else if (newValue == 0.0f) {
        if (oldValue == Minimum.Value || oldValue == Maximum.Value)
            ExtremesValid = false;
    } else {
        // A cell that held one extreme and now passes the other (the only
        // value of a grid, say, or a maximum lowered below the minimum) leaves
        // the first one stale too: both tests run after the new extreme.
        const bool wasMinimum = oldValue == Minimum.Value && newValue > oldValue;
        const bool wasMaximum = oldValue == Maximum.Value && newValue < oldValue;
        if (newValue < Minimum.Value)
            SetMinimum({col, row, newValue});
        else if (newValue > Maximum.Value)
            SetMaximum({col, row, newValue});
        if (wasMinimum || wasMaximum)
            ExtremesValid = false;
    }
}

bool TCotas::Resize(std::int32_t addCols, std::int32_t addRows)
{
    if (addCols < 0 || addRows < 0)
        return false;
    const std::int64_t newCols = std::int64_t(ColCount) + addCols;
    const std::int64_t newRows = std::int64_t(RowCount) + addRows;
    if (newCols < 1 || newCols > MaxGridSize || newRows < 1 || newRows > MaxGridSize)
        return false;
    if (addCols == 0 && addRows == 0)
        return true;
    const auto nc = static_cast<std::int32_t>(newCols);
    const auto nr = static_cast<std::int32_t>(newRows);
    if (addCols == 0) {
        Cells.resize(std::size_t(nc) * std::size_t(nr), 0.0f);
    } else {
        std::vector<float> grown(std::size_t(nc) * std::size_t(nr), 0.0f);
        for (std::int32_t r = 0; r < RowCount; ++r)
            std::copy_n(Cells.begin() + std::ptrdiff_t(r) * ColCount, ColCount,
                        grown.begin() + std::ptrdiff_t(r) * nc);
        Cells.swap(grown);
    }
    ColCount = nc;
    RowCount = nr;
    return true;
}

void TCotas::SetMinimum(const TCotaPoint& p)
{
    if (p == Minimum)
        return;
    Minimum = p;
    NotifyExtremesChange();
}

void TCotas::SetMaximum(const TCotaPoint& p)
{
    if (p == Maximum)
        return;
    Maximum = p;
    NotifyExtremesChange();
}

void TCotas::SetExtremesValid(bool flag)
{
    if (flag == ExtremesValid)
        return;
    if (flag)
        RecomputeExtremes();
    ExtremesValid = flag;
}

void TCotas::SetAutoExtremes(bool flag)
{
    if (flag == AutoExtremes)
        return;
    AutoExtremes = flag;
    if (flag)
        SetExtremesValid(true);
}

void TCotas::RecomputeExtremes()
{
    TCotaPoint mn{0, 0, kMinimumSentinel};
    TCotaPoint mx{0, 0, kMaximumSentinel};
    for (std::int32_t r = 1; r <= RowCount; ++r) {
        const float* row = RowData(r);
        for (std::int32_t c = 0; c < ColCount; ++c) {
            const float v = row[c];
            if (v == 0.0f)
                continue;
            if (v < mn.Value)
                mn = {c + 1, r, v};
            if (v > mx.Value)
                mx = {c + 1, r, v};
        }
    }
    SetMinimum(mn);
    SetMaximum(mx);
}

TUsedRect TCotas::ComputeUsedRect() const
{
    // Rows are scanned whole, columns through a per-column "has a value" mark
    // filled in one row-major pass: the same answer as four independent scans,
    // without striding down columns.
    TUsedRect r{ColCount + 1, RowCount + 1, 0, 0};
    std::vector<char> colHasValue(std::size_t(ColCount), 0);
    for (std::int32_t row = 1; row <= RowCount; ++row) {
        const float* p = RowData(row);
        bool any = false;
        for (std::int32_t c = 0; c < ColCount; ++c) {
            if (p[c] != 0.0f) {
                colHasValue[std::size_t(c)] = 1;
                any = true;
            }
        }
        if (any) {
            if (r.FirstRow > RowCount)
                r.FirstRow = row;
            r.LastRow = row;
        }
    }
    for (std::int32_t c = 0; c < ColCount; ++c) {
        if (colHasValue[std::size_t(c)]) {
            if (r.FirstCol > ColCount)
                r.FirstCol = c + 1;
            r.LastCol = c + 1;
        }
    }
    return r;
}

bool TCotas::InsertRow(std::int32_t row)
{
    if (row < 1 || row > RowCount)
        return false;
    const float* last = RowData(RowCount);
    if (std::any_of(last, last + ColCount, [](float v) { return v != 0.0f; }) && !Resize(0, 1))
        return false;
    const auto begin = Cells.begin() + std::ptrdiff_t(row - 1) * ColCount;
    std::copy_backward(begin, Cells.end() - ColCount, Cells.end());
    std::fill_n(begin, ColCount, 0.0f);
    bool moved = false;
    if (Minimum.Row >= row) {
        ++Minimum.Row;
        moved = true;
    }
    if (Maximum.Row >= row) {
        ++Maximum.Row;
        moved = true;
    }
    if (moved)
        NotifyExtremesChange();
    Modified = true;
    UpdateUsedRect();
    return true;
}

bool TCotas::InsertColumn(std::int32_t col)
{
    if (col < 1 || col > ColCount)
        return false;
    bool lastHolds = false;
    for (std::int32_t r = 1; r <= RowCount && !lastHolds; ++r)
        lastHolds = Cells[Index(ColCount, r)] != 0.0f;
    if (lastHolds && !Resize(1, 0))
        return false;
    for (std::int32_t r = 1; r <= RowCount; ++r) {
        float* p = Cells.data() + Index(1, r);
        std::copy_backward(p + col - 1, p + ColCount - 1, p + ColCount);
        p[col - 1] = 0.0f;
    }
    bool moved = false;
    if (Minimum.Col >= col) {
        ++Minimum.Col;
        moved = true;
    }
    if (Maximum.Col >= col) {
        ++Maximum.Col;
        moved = true;
    }
    if (moved)
        NotifyExtremesChange();
    Modified = true;
    UpdateUsedRect();
    return true;
}

void TCotas::DeleteRow(std::int32_t row)
{
    if (row < 1 || row > RowCount)
        return;
    SetAutoExtremes(false);
    for (std::int32_t c = 1; c <= ColCount; ++c)
        SetCell(c, row, 0.0f);
    const auto begin = Cells.begin() + std::ptrdiff_t(row - 1) * ColCount;
    std::copy(begin + ColCount, Cells.end(), begin);
    std::fill(Cells.end() - ColCount, Cells.end(), 0.0f);
    Modified = true;
    SetAutoExtremes(true);
    UpdateUsedRect();
}

void TCotas::DeleteColumn(std::int32_t col)
{
    if (col < 1 || col > ColCount)
        return;
    SetAutoExtremes(false);
    for (std::int32_t r = 1; r <= RowCount; ++r)
        SetCell(col, r, 0.0f);
    for (std::int32_t r = 1; r <= RowCount; ++r) {
        float* p = Cells.data() + Index(1, r);
        std::copy(p + col, p + ColCount, p + col - 1);
        p[ColCount - 1] = 0.0f;
    }
    Modified = true;
    SetAutoExtremes(true);
    UpdateUsedRect();
}

void TCotas::SaveToStream(TByteWriter& s) const
{
    const TUsedRect r = ComputeUsedRect();
    s.WriteBool(ExtremesValid);
    s.WriteBool(ResultsValid);
    s.WriteI32(ColCount);
    s.WriteI32(RowCount);
    s.WriteI32(ValueCount);
    s.WriteI32(Minimum.Col);
    s.WriteI32(Minimum.Row);
    s.WriteSingle(Minimum.Value);
    s.WriteI32(Maximum.Col);
    s.WriteI32(Maximum.Row);
    s.WriteSingle(Maximum.Value);
    s.WriteI32(r.FirstCol);
    s.WriteI32(r.FirstRow);
    s.WriteI32(r.LastCol);
    s.WriteI32(r.LastRow);
    s.WriteBool(Modified);
    if (!r.IsEmpty()) {
        const std::int32_t width = r.LastCol - r.FirstCol + 1;
        for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row)
            s.WriteSingles(RowData(row) + (r.FirstCol - 1), std::size_t(width));
    }
}

bool TCotas::ReadSectionHeader(TByteReader& s, TSectionHeader& h)
{
    return s.ReadBool(h.ExtremesValid) && s.ReadBool(h.ResultsValid) && s.ReadI32(h.ColCount) && s.ReadI32(h.RowCount)
           && s.ReadI32(h.ValueCount) && s.ReadI32(h.Minimum.Col) && s.ReadI32(h.Minimum.Row)
           && s.ReadSingle(h.Minimum.Value) && s.ReadI32(h.Maximum.Col) && s.ReadI32(h.Maximum.Row)
           && s.ReadSingle(h.Maximum.Value) && s.ReadI32(h.UsedRect.FirstCol) && s.ReadI32(h.UsedRect.FirstRow)
           && s.ReadI32(h.UsedRect.LastCol) && s.ReadI32(h.UsedRect.LastRow) && s.ReadBool(h.Modified);
}

bool TCotas::Fits(const TSectionHeader& h) const
{
    if (h.ColCount != ColCount || h.RowCount != RowCount)
        return false;
    const TUsedRect& r = h.UsedRect;
    if (r.IsEmpty())
        return r == TUsedRect{ColCount + 1, RowCount + 1, 0, 0};
    return r.FirstCol >= 1 && r.LastCol <= ColCount && r.FirstRow >= 1 && r.LastRow <= RowCount;
}

bool TCotas::LoadFromStream(TByteReader& s)
{
    TSectionHeader h;
    if (!ReadSectionHeader(s, h) || !Fits(h))
        return false;
    const TUsedRect& r = h.UsedRect;
    if (std::int64_t(s.Remaining()) < r.CellCount() * 4)
        return false;
    if (ValueCount != 0)  // the count never falls below the cells holding values
        std::fill(Cells.begin(), Cells.end(), 0.0f);
    if (!r.IsEmpty()) {
        const std::int32_t width = r.LastCol - r.FirstCol + 1;
        for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row)
            s.ReadSingles(Cells.data() + Index(r.FirstCol, row), std::size_t(width));
    }
    return AcceptLoadedCells(h);
}

bool TCotas::AcceptLoadedCells(const TSectionHeader& h)
{
    // An elevation is a finite number: anything else is a damaged file. The
    // count is taken from the cells themselves, since a count that disagrees
    // with them would drift further with every later edit.
    std::uint32_t notFinite = 0;
    std::int32_t counted = 0;
    const TUsedRect& r = h.UsedRect;
    if (!r.IsEmpty()) {
        const std::int32_t width = r.LastCol - r.FirstCol + 1;
        for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row) {
            const float* p = RowData(row) + (r.FirstCol - 1);
            for (std::int32_t k = 0; k < width; ++k) {
                std::uint32_t u;
                std::memcpy(&u, p + k, 4);
                notFinite |= (u & 0x7F800000u) == 0x7F800000u;
                counted += (u & 0x7FFFFFFFu) != 0;  // -0.0 is no elevation either
            }
        }
    }
    if (notFinite) {
        std::fill(Cells.begin(), Cells.end(), 0.0f);
        ValueCount = 0;
        ExtremesValid = false;
        return false;
    }
    // The extremes are always counted anew from the cells: a stored extreme
    // may name a cell that holds its value without being the lowest or the
    // highest. Where the stored point holds the extreme value found, it is
    // kept, so that among equal values the file's choice stands.
    ResultsValid = h.ResultsValid;
    ValueCount = counted;
    UsedRect = h.UsedRect;
    Modified = h.Modified;
    SetAutoExtremes(false);
    ExtremesValid = false;
    SetAutoExtremes(true);
    const auto keep = [&](const TCotaPoint& stored, const TCotaPoint& found) {
        return found.Col != 0 && stored.Value == found.Value && stored.Col >= 1 && stored.Col <= ColCount
               && stored.Row >= 1 && stored.Row <= RowCount && GetCell(stored.Col, stored.Row) == stored.Value;
    };
    if (keep(h.Minimum, Minimum))
        SetMinimum(h.Minimum);
    if (keep(h.Maximum, Maximum))
        SetMaximum(h.Maximum);
    Saved = true;
    return true;
}

}  // namespace nivora

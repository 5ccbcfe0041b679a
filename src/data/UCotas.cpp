#include "UCotas.h"

#include "ByteStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace nivora {

TCotas::TCotas(std::int32_t colCount, std::int32_t rowCount)
{
    if (colCount < 1 || colCount > MaxGridSize || rowCount < 1 || rowCount > MaxGridSize)
        throw std::invalid_argument("Dimensões da grade fora do intervalo de 1 a 1000.");
    ColCount_ = colCount;
    RowCount_ = rowCount;
    Cells_.assign(std::size_t(colCount) * std::size_t(rowCount), 0.0f);
}

TElevationError::TElevationError()
    : std::invalid_argument("A cota não é um número que o projeto possa guardar: a grade não foi alterada.")
{}

void TCotas::SetCell(std::int32_t col, std::int32_t row, float value)
{
    if (!IsStorableElevation(value))
        throw TElevationError();
    if (col < 1 || col > MaxGridSize || row < 1 || row > MaxGridSize)
        return;
    if (col > ColCount_ || row > RowCount_) {
        if (!Resize(std::max(0, col - ColCount_), std::max(0, row - RowCount_)))
            return;
    }
    StoreCell(Index(col, row), col, row, value);
}

void TCotas::SetRowCells(std::int32_t col, std::int32_t row, const float* values, std::size_t count)
{
    if (col < 1 || col > MaxCols_ || row < 1 || row > MaxGridSize)
        return;
    count = std::min(count, std::size_t(MaxCols_ - col + 1));
    if (count == 0)
        return;
    if (!std::all_of(values, values + count, IsStorableElevation))
        throw TElevationError();
    const auto lastCol = std::int32_t(col + std::int32_t(count) - 1);
    if (lastCol > ColCount_ || row > RowCount_) {
        if (!Resize(std::max(0, lastCol - ColCount_), std::max(0, row - RowCount_)))
            return;
    }
    const std::size_t first = Index(col, row);
    for (std::size_t k = 0; k < count; ++k)
        StoreCell(first + k, col + std::int32_t(k), row, values[k]);
}

void TCotas::StoreCell(std::size_t index, std::int32_t col, std::int32_t row, float value)
{
    float& cell = Cells_[index];
    const float old = cell;
    if (old == value)
        return;
    Modified_ = true;
    Saved_ = false;
    ResultsValid_ = false;
    if (old == 0.0f)
        ++ValueCount_;
    else if (value == 0.0f)
        --ValueCount_;
    cell = value;
    UpdateExtremes(col, row, old, value);
    if (AutoExtremes_)
        SetExtremesValid(true);
}

void TCotas::ClearRect(const TUsedRect& rect)
{
    const bool wasAuto = AutoExtremes_;
    SetAutoExtremes(false);
    for (std::int32_t row = std::max(rect.FirstRow, 1); row <= std::min(rect.LastRow, RowCount_); ++row)
        for (std::int32_t col = std::max(rect.FirstCol, 1); col <= std::min(rect.LastCol, ColCount_); ++col)
            StoreCell(Index(col, row), col, row, 0.0f);
    SetAutoExtremes(wasAuto);
}

void TCotas::UpdateExtremes(std::int32_t col, std::int32_t row, float oldValue, float newValue)
{
    if (!ExtremesValid_)
        return;
    if (oldValue == 0.0f) {
        if (newValue < Minimum_.Value)
            SetMinimum({col, row, newValue});
        if (newValue > Maximum_.Value)
            SetMaximum({col, row, newValue});
    } else if (newValue == 0.0f) {
        if (oldValue == Minimum_.Value || oldValue == Maximum_.Value)
            ExtremesValid_ = false;
    } else {
        // A cell that held one extreme and now passes the other (the only
        // value of a grid, say, or a maximum lowered below the minimum) leaves
        // the first one stale too: both tests run after the new extreme.
        const bool wasMinimum = oldValue == Minimum_.Value && newValue > oldValue;
        const bool wasMaximum = oldValue == Maximum_.Value && newValue < oldValue;
        if (newValue < Minimum_.Value)
            SetMinimum({col, row, newValue});
        else if (newValue > Maximum_.Value)
            SetMaximum({col, row, newValue});
        if (wasMinimum || wasMaximum)
            ExtremesValid_ = false;
    }
}

bool TCotas::Resize(std::int32_t addCols, std::int32_t addRows)
{
    if (addCols < 0 || addRows < 0)
        return false;
    const std::int64_t newCols = std::int64_t(ColCount_) + addCols;
    const std::int64_t newRows = std::int64_t(RowCount_) + addRows;
    if (newCols < 1 || newCols > MaxCols_ || newRows < 1 || newRows > MaxRows_)
        return false;
    if (addCols == 0 && addRows == 0)
        return true;
    const auto nc = static_cast<std::int32_t>(newCols);
    const auto nr = static_cast<std::int32_t>(newRows);
    // A store grown row by row (an import, a paste) would copy itself at
    // every doubling: room for the whole height is set aside at once. Room
    // not yet used is address space only, never touched.
    if (addCols == 0) {
        Cells_.reserve(std::size_t(nc) * std::size_t(MaxGridSize));
        Cells_.resize(std::size_t(nc) * std::size_t(nr), 0.0f);
    } else {
        std::vector<float> grown;
        grown.reserve(std::size_t(nc) * std::size_t(MaxGridSize));
        grown.resize(std::size_t(nc) * std::size_t(nr), 0.0f);
        for (std::int32_t r = 0; r < RowCount_; ++r)
            std::copy_n(Cells_.begin() + std::ptrdiff_t(r) * ColCount_, ColCount_,
                        grown.begin() + std::ptrdiff_t(r) * nc);
        Cells_.swap(grown);
    }
    ColCount_ = nc;
    RowCount_ = nr;
    return true;
}

void TCotas::SetMinimum(const TCotaPoint& p)
{
    if (p == Minimum_)
        return;
    Minimum_ = p;
    NotifyExtremesChange();
}

void TCotas::SetMaximum(const TCotaPoint& p)
{
    if (p == Maximum_)
        return;
    Maximum_ = p;
    NotifyExtremesChange();
}

void TCotas::SetExtremesValid(bool flag)
{
    if (flag == ExtremesValid_)
        return;
    if (flag)
        RecomputeExtremes();
    ExtremesValid_ = flag;
}

void TCotas::SetAutoExtremes(bool flag)
{
    if (flag == AutoExtremes_)
        return;
    AutoExtremes_ = flag;
    if (flag)
        SetExtremesValid(true);
}

namespace {

struct TRowExtremes {
    float Lowest;
    float Highest;
};

// The lowest and the highest elevation of a row, its zeros (no elevation)
// left out: +inf and -inf for a row without one. Eight running lanes let the
// compiler keep them in vector registers.
TRowExtremes RowExtremes(const float* p, std::int32_t n)
{
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr int kLanes = 8;
    float lo[kLanes], hi[kLanes];
    std::fill(lo, lo + kLanes, kInf);
    std::fill(hi, hi + kLanes, -kInf);
    std::int32_t c = 0;
    for (; c + kLanes <= n; c += kLanes)
        for (int j = 0; j < kLanes; ++j) {
            const float v = p[c + j];
            const float forLow = v == 0.0f ? kInf : v;
            const float forHigh = v == 0.0f ? -kInf : v;
            lo[j] = forLow < lo[j] ? forLow : lo[j];
            hi[j] = forHigh > hi[j] ? forHigh : hi[j];
        }
    for (; c < n; ++c)
        if (p[c] != 0.0f) {
            lo[0] = std::min(lo[0], p[c]);
            hi[0] = std::max(hi[0], p[c]);
        }
    return {*std::min_element(lo, lo + kLanes), *std::max_element(hi, hi + kLanes)};
}

}  // namespace

void TCotas::RecomputeExtremes()
{
    // Each row's extremes first; the extreme is then the first cell in row
    // order that holds it, as a single pass with strict comparisons finds.
    // A value beyond a sentinel never counts, as before the first cell.
    TCotaPoint mn{0, 0, kMinimumSentinel};
    TCotaPoint mx{0, 0, kMaximumSentinel};
    for (std::int32_t r = 1; r <= RowCount_; ++r) {
        const TRowExtremes e = RowExtremes(RowData(r), ColCount_);
        if (e.Lowest < mn.Value)
            mn = {0, r, e.Lowest};
        if (e.Highest > mx.Value)
            mx = {0, r, e.Highest};
    }
    for (TCotaPoint* p : {&mn, &mx})
        if (p->Row != 0) {
            const float* row = RowData(p->Row);
            p->Col = std::int32_t(std::find(row, row + ColCount_, p->Value) - row) + 1;
        }
    SetMinimum(mn);
    SetMaximum(mx);
}

TUsedRect TCotas::ComputeUsedRect() const
{
    // Rows are scanned whole, columns through a per-column "has a value" mark
    // filled in one row-major pass: the same answer as four independent scans,
    // without striding down columns.
    TUsedRect r{ColCount_ + 1, RowCount_ + 1, 0, 0};
    std::vector<char> colHasValue(std::size_t(ColCount_), 0);
    for (std::int32_t row = 1; row <= RowCount_; ++row) {
        const float* p = RowData(row);
        bool any = false;
        for (std::int32_t c = 0; c < ColCount_; ++c) {
            if (p[c] != 0.0f) {
                colHasValue[std::size_t(c)] = 1;
                any = true;
            }
        }
        if (any) {
            if (r.FirstRow > RowCount_)
                r.FirstRow = row;
            r.LastRow = row;
        }
    }
    for (std::int32_t c = 0; c < ColCount_; ++c) {
        if (colHasValue[std::size_t(c)]) {
            if (r.FirstCol > ColCount_)
                r.FirstCol = c + 1;
            r.LastCol = c + 1;
        }
    }
    return r;
}

bool TCotas::InsertRow(std::int32_t row)
{
    if (row < 1 || row > RowCount_)
        return false;
    const float* last = RowData(RowCount_);
    if (std::any_of(last, last + ColCount_, [](float v) { return v != 0.0f; }) && !Resize(0, 1))
        return false;
    const auto begin = Cells_.begin() + std::ptrdiff_t(row - 1) * ColCount_;
    std::copy_backward(begin, Cells_.end() - ColCount_, Cells_.end());
    std::fill_n(begin, ColCount_, 0.0f);
    FinishInsert(&TCotaPoint::Row, row);
    return true;
}

bool TCotas::InsertColumn(std::int32_t col)
{
    if (col < 1 || col > ColCount_)
        return false;
    bool lastHolds = false;
    for (std::int32_t r = 1; r <= RowCount_ && !lastHolds; ++r)
        lastHolds = Cells_[Index(ColCount_, r)] != 0.0f;
    if (lastHolds && !Resize(1, 0))
        return false;
    for (std::int32_t r = 1; r <= RowCount_; ++r) {
        float* p = Cells_.data() + Index(1, r);
        std::copy_backward(p + col - 1, p + ColCount_ - 1, p + ColCount_);
        p[col - 1] = 0.0f;
    }
    FinishInsert(&TCotaPoint::Col, col);
    return true;
}

void TCotas::FinishInsert(std::int32_t TCotaPoint::*axis, std::int32_t line)
{
    bool moved = false;
    for (TCotaPoint* extreme : {&Minimum_, &Maximum_})
        if (extreme->*axis >= line) {
            ++(extreme->*axis);
            moved = true;
        }
    if (moved)
        NotifyExtremesChange();
    Modified_ = true;
    UpdateUsedRect();
}

void TCotas::DeleteRow(std::int32_t row)
{
    if (row < 1 || row > RowCount_)
        return;
    SetAutoExtremes(false);
    for (std::int32_t c = 1; c <= ColCount_; ++c)
        SetCell(c, row, 0.0f);
    const auto begin = Cells_.begin() + std::ptrdiff_t(row - 1) * ColCount_;
    std::copy(begin + ColCount_, Cells_.end(), begin);
    std::fill(Cells_.end() - ColCount_, Cells_.end(), 0.0f);
    Modified_ = true;
    SetAutoExtremes(true);
    UpdateUsedRect();
}

void TCotas::DeleteColumn(std::int32_t col)
{
    if (col < 1 || col > ColCount_)
        return;
    SetAutoExtremes(false);
    for (std::int32_t r = 1; r <= RowCount_; ++r)
        SetCell(col, r, 0.0f);
    for (std::int32_t r = 1; r <= RowCount_; ++r) {
        float* p = Cells_.data() + Index(1, r);
        std::copy(p + col, p + ColCount_, p + col - 1);
        p[ColCount_ - 1] = 0.0f;
    }
    Modified_ = true;
    SetAutoExtremes(true);
    UpdateUsedRect();
}

void TCotas::SaveToStream(TByteWriter& s) const
{
    const TUsedRect r = ComputeUsedRect();
    s.WriteBool(ExtremesValid_);
    s.WriteBool(ResultsValid_);
    s.WriteI32(ColCount_);
    s.WriteI32(RowCount_);
    s.WriteI32(ValueCount_);
    s.WriteI32(Minimum_.Col);
    s.WriteI32(Minimum_.Row);
    s.WriteSingle(Minimum_.Value);
    s.WriteI32(Maximum_.Col);
    s.WriteI32(Maximum_.Row);
    s.WriteSingle(Maximum_.Value);
    s.WriteI32(r.FirstCol);
    s.WriteI32(r.FirstRow);
    s.WriteI32(r.LastCol);
    s.WriteI32(r.LastRow);
    s.WriteBool(Modified_);
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
    if (h.ColCount != ColCount_ || h.RowCount != RowCount_)
        return false;
    const TUsedRect& r = h.UsedRect;
    if (r.IsEmpty())
        return r == TUsedRect{ColCount_ + 1, RowCount_ + 1, 0, 0};
    return r.FirstCol >= 1 && r.LastCol <= ColCount_ && r.FirstRow >= 1 && r.LastRow <= RowCount_;
}

bool TCotas::LoadFromStream(TByteReader& s)
{
    TSectionHeader h;
    if (!ReadSectionHeader(s, h) || !Fits(h))
        return false;
    if (std::int64_t(s.Remaining()) < h.UsedRect.CellCount() * 4)
        return false;
    return LoadCells(h, [&s](float* to, std::size_t count) { s.ReadSingles(to, count); });
}

bool TCotas::LoadCells(const TSectionHeader& h, const std::function<void(float*, std::size_t)>& read)
{
    if (!Fits(h))
        return false;
    if (ValueCount_ != 0)  // the count never falls below the cells holding values
        std::fill(Cells_.begin(), Cells_.end(), 0.0f);
    const TUsedRect& r = h.UsedRect;
    if (!r.IsEmpty()) {
        const std::int32_t width = r.LastCol - r.FirstCol + 1;
        try {
            if (width == ColCount_) {  // whole rows: one block
                read(Cells_.data() + Index(1, r.FirstRow),
                     std::size_t(width) * std::size_t(r.LastRow - r.FirstRow + 1));
            } else {
                for (std::int32_t row = r.FirstRow; row <= r.LastRow; ++row)
                    read(Cells_.data() + Index(r.FirstCol, row), std::size_t(width));
            }
        } catch (...) {
            ClearCells();
            throw;
        }
    }
    return AcceptLoadedCells(h);
}

void TCotas::ClearCells()
{
    std::fill(Cells_.begin(), Cells_.end(), 0.0f);
    ValueCount_ = 0;
    ExtremesValid_ = false;
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
        ClearCells();
        return false;
    }
    // The extremes are always counted anew from the cells: a stored extreme
    // may name a cell that holds its value without being the lowest or the
    // highest. Where the stored point holds the extreme value found, it is
    // kept, so that among equal values the file's choice stands.
    ResultsValid_ = h.ResultsValid;
    ValueCount_ = counted;
    UsedRect_ = h.UsedRect;
    Modified_ = h.Modified;
    SetAutoExtremes(false);
    ExtremesValid_ = false;
    SetAutoExtremes(true);
    const auto keep = [&](const TCotaPoint& stored, const TCotaPoint& found) {
        return found.Col != 0 && stored.Value == found.Value && stored.Col >= 1 && stored.Col <= ColCount_
               && stored.Row >= 1 && stored.Row <= RowCount_ && GetCell(stored.Col, stored.Row) == stored.Value;
    };
    if (keep(h.Minimum, Minimum_))
        SetMinimum(h.Minimum);
    if (keep(h.Maximum, Maximum_))
        SetMaximum(h.Maximum);
    Saved_ = true;
    return true;
}

}  // namespace nivora

#include "CellChange.h"

#include "data/UCotas.h"

#include <algorithm>
#include <utility>

namespace nivora {

TCellChange::TBookkeeping TCellChange::Read(const TCotas& s)
{
    return {s.ColCount_,      s.RowCount_, s.ValueCount_,   s.Minimum_, s.Maximum_,
            s.ExtremesValid_, s.UsedRect_, s.ResultsValid_, s.Modified_};
}

void TCellChange::Write(TCotas& s, const TBookkeeping& b)
{
    s.ColCount_ = b.ColCount;
    s.RowCount_ = b.RowCount;
    s.ValueCount_ = b.ValueCount;
    s.Minimum_ = b.Minimum;
    s.Maximum_ = b.Maximum;
    s.ExtremesValid_ = b.ExtremesValid;
    s.UsedRect_ = b.UsedRect;
    s.ResultsValid_ = b.ResultsValid;
    s.Modified_ = b.Modified;
}

TCellChange TCellChange::Capture(const TCotas& store, const TUsedRect& rect)
{
    TCellChange c;
    c.Other = Read(store);
    c.Rect = {std::max(rect.FirstCol, 1), std::max(rect.FirstRow, 1), std::min(rect.LastCol, store.ColCount_),
              std::min(rect.LastRow, store.RowCount_)};
    if (c.Rect.IsEmpty())
        return c;
    const auto width = std::size_t(c.Rect.LastCol - c.Rect.FirstCol + 1);
    c.Cells.reserve(std::size_t(c.Rect.CellCount()));
    for (std::int32_t row = c.Rect.FirstRow; row <= c.Rect.LastRow; ++row) {
        const float* from = store.RowData(row) + (c.Rect.FirstCol - 1);
        c.Cells.insert(c.Cells.end(), from, from + width);
    }
    return c;
}

TCellChange TCellChange::CaptureWhole(const TCotas& store)
{
    TCellChange c;
    c.Whole = true;
    c.Other = Read(store);
    c.Rect = {1, 1, store.ColCount_, store.RowCount_};
    c.Cells = store.Cells_;
    return c;
}

void TCellChange::Exchange(TCotas& store)
{
    TBookkeeping now = Read(store);
    if (Whole) {
        std::swap(store.Cells_, Cells);
    } else if (!Rect.IsEmpty()) {
        // A change in place never alters the shape, so the rectangle still
        // lies where it was taken.
        const auto width = std::ptrdiff_t(Rect.LastCol - Rect.FirstCol + 1);
        auto held = Cells.begin();
        for (std::int32_t row = Rect.FirstRow; row <= Rect.LastRow; ++row, held += width) {
            float* at = store.Cells_.data() + std::size_t(row - 1) * std::size_t(store.ColCount_) + (Rect.FirstCol - 1);
            std::swap_ranges(held, held + width, at);
        }
    }
    Write(store, Other);
    Other = now;
    // The grid taken from the store may have room set aside for its growth:
    // a record holds only its cells.
    if (Whole)
        Cells.shrink_to_fit();
    store.NotifyExtremesChange();
}

TUsedRect PasteReach(std::string_view text, std::int32_t col, std::int32_t row)
{
    std::int64_t lines = 1, tabs = 0, widest = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            widest = std::max(widest, ++tabs);
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++lines;
            tabs = 0;
        }
    }
    const auto last = [](std::int32_t first, std::int64_t count) {
        return std::int32_t(std::min<std::int64_t>(std::int64_t(first) + count - 1, MaxGridSize));
    };
    return {col, row, last(col, widest + 1), last(row, lines)};
}

}  // namespace nivora

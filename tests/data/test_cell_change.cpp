// Undo records of the store: random edits undone to the start and redone to
// the end restore every snapshot bit for bit.

#include "calc/CalcSist.h"
#include "data/CellChange.h"
#include "data/StoreSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace nivora;

namespace {

// A store whose results and change flags a test may set, as a systematization would.
struct TFlaggedCotas : TCotas {
    using TCotas::SetModified;
    using TCotas::SetResultsValid;
    using TCotas::TCotas;
};

using nivora::testing::TStoreSnapshot;
using TSnapshot = TStoreSnapshot;

enum class TOp { Type, Paste, Clear, InsertRow, DeleteRow, InsertColumn, DeleteColumn };

// One user action on the store, with its record taken first, as the
// document takes it.
TCellChange Apply(TCotas& s, TOp op, std::mt19937& rng)
{
    auto pick = [&](std::int32_t n) { return std::uniform_int_distribution<std::int32_t>(1, n)(rng); };
    auto value = [&] {
        // Some cells are cleared, some take a new extreme, some repeat one.
        switch (pick(4)) {
        case 1: return 0.0f;
        case 2: return std::uniform_real_distribution<float>(-50.0f, 900.0f)(rng);
        case 3: return s.Maximum().Value > 0 ? s.Maximum().Value : 1.0f;
        default: return std::uniform_real_distribution<float>(500.0f, 510.0f)(rng);
        }
    };
    const std::int32_t c1 = pick(s.ColCount()), r1 = pick(s.RowCount());
    const TUsedRect block{c1, r1, std::min(s.ColCount(), c1 + pick(6) - 1), std::min(s.RowCount(), r1 + pick(6) - 1)};
    switch (op) {
    case TOp::Type: {
        auto rec = TCellChange::Capture(s, {c1, r1, c1, r1});
        s.SetCell(c1, r1, value());
        return rec;
    }
    case TOp::Paste: {
        // A paste may reach past the grid: the record clips it as the
        // paste drops what falls outside.
        TUsedRect reach = block;
        reach.LastCol += 3;
        auto rec = TCellChange::Capture(s, reach);
        s.SetAutoExtremes(false);
        for (std::int32_t r = block.FirstRow; r <= block.LastRow; ++r)
            for (std::int32_t c = block.FirstCol; c <= block.LastCol; ++c)
                s.SetCell(c, r, value());
        s.SetAutoExtremes(true);
        return rec;
    }
    case TOp::Clear: {
        auto rec = TCellChange::Capture(s, block);
        s.ClearRect(block);
        return rec;
    }
    default: {
        auto rec = TCellChange::CaptureWhole(s);
        // The grids stay far below 1000: every insert is made.
        if (op == TOp::InsertRow) {
            EXPECT_TRUE(s.InsertRow(r1));
        }
        if (op == TOp::DeleteRow)
            s.DeleteRow(r1);
        if (op == TOp::InsertColumn) {
            EXPECT_TRUE(s.InsertColumn(c1));
        }
        if (op == TOp::DeleteColumn)
            s.DeleteColumn(c1);
        // The row and column commands keep the used rectangle true.
        EXPECT_EQ(TStoreSnapshot::Text(s.UsedRect()), TStoreSnapshot::Text(s.ComputeUsedRect()));
        return rec;
    }
    }
}

}  // namespace

TEST(CellChange, RandomEditsUndoneAndRedoneBitForBit)
{
    std::mt19937 rng(20261207);
    for (int trial = 0; trial < 60; ++trial) {
        const std::int32_t cols = 1 + std::int32_t(rng() % 12), rows = 1 + std::int32_t(rng() % 12);
        TFlaggedCotas s(cols, rows);
        for (std::int32_t r = 1; r <= rows; ++r)
            for (std::int32_t c = 1; c <= cols; ++c)
                if (rng() % 3)
                    s.SetCell(c, r, 400.0f + float(rng() % 1000) / 7.0f);
        // The used rectangle is the bounds of the cells filled.
        TUsedRect filled{cols + 1, rows + 1, 0, 0};
        for (std::int32_t r = 1; r <= rows; ++r)
            for (std::int32_t c = 1; c <= cols; ++c)
                if (s.GetCell(c, r) != 0.0f)
                    filled = {std::min(filled.FirstCol, c), std::min(filled.FirstRow, r), std::max(filled.LastCol, c),
                              std::max(filled.LastRow, r)};
        ASSERT_EQ(TStoreSnapshot::Text(s.ComputeUsedRect()), TStoreSnapshot::Text(filled));
        s.UpdateUsedRect();
        s.SetResultsValid(trial % 2 == 0);
        s.SetModified(false);

        std::vector<TSnapshot> states{TSnapshot(s)};
        std::vector<TCellChange> history;
        for (int step = 0; step < 40; ++step) {
            history.push_back(Apply(s, TOp(rng() % 7), rng));
            states.emplace_back(s);
        }
        for (std::size_t i = history.size(); i-- > 0;) {
            history[i].Exchange(s);
            ASSERT_EQ(TSnapshot(s).DifferencesFrom(states[i]), "") << "trial " << trial << ", undo to " << i;
        }
        for (std::size_t i = 0; i < history.size(); ++i) {
            history[i].Exchange(s);
            ASSERT_EQ(TSnapshot(s).DifferencesFrom(states[i + 1]), "") << "trial " << trial << ", redo of " << i;
        }
    }
}

TEST(CellChange, KeepsOnlyWhatTheChangeTouches)
{
    TCotas s(1000, 1000);
    struct {
        TUsedRect Rect;
        std::size_t Cells;
        // clang-format off
    } cases[] = {
        {{5, 5, 5, 5}, 1},
        {{1, 1, 1000, 1000}, 1000000},
        {{990, 990, 1200, 1001}, 11 * 11},  // clipped to the grid
        {{1001, 1, 1005, 3}, 0},            // wholly outside
    };
    // clang-format on
    for (const auto& c : cases) {
        const auto rec = TCellChange::Capture(s, c.Rect);
        EXPECT_LE(rec.Bytes(), sizeof(rec) + c.Cells * sizeof(float));
        EXPECT_GE(rec.Bytes(), c.Cells * sizeof(float));
    }
}

#include "grid/TextImport.h"

TEST(CellChange, PasteReachCoversEveryCellAPasteChanges)
{
    std::mt19937 rng(7);
    const char* fields[] = {"", "1", "512,25", "-3.5e2", "x", "1.234,5", "  7 ", "0"};
    const char* ends[] = {"\r\n", "\n", "\r", "\t\r\n", ""};
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = trial % 5 == 0 ? "\xEF\xBB\xBF" : "";
        const int lines = 1 + int(rng() % 6);
        for (int l = 0; l < lines; ++l) {
            const int n = 1 + int(rng() % 6);
            for (int f = 0; f < n; ++f)
                text += std::string(f ? "\t" : "") + fields[rng() % 8];
            text += ends[rng() % 5];
        }
        TTerreno t(12, 12, 20.0f, 20.0f);
        for (std::int32_t r = 1; r <= 12; ++r)
            for (std::int32_t c = 1; c <= 12; ++c)
                t.SetCell(c, r, 100.0f + float(r * 12 + c));
        const std::vector<float> before = t.Cells();
        const std::int32_t col = 1 + std::int32_t(rng() % 6), row = 1 + std::int32_t(rng() % 6);
        const TUsedRect reach = PasteReach(text, col, row);
        ReadElevationText(t, text, col, row, kClipboardLayout, ',');
        if (t.ColCount() != 12 || t.RowCount() != 12) {
            // The paste grew the grid: its reach must have said it would.
            ASSERT_TRUE(reach.LastCol > 12 || reach.LastRow > 12) << text;
            continue;
        }
        for (std::int32_t r = 1; r <= 12; ++r)
            for (std::int32_t c = 1; c <= 12; ++c) {
                const bool inside =
                    c >= reach.FirstCol && c <= reach.LastCol && r >= reach.FirstRow && r <= reach.LastRow;
                if (!inside) {
                    ASSERT_EQ(t.GetCell(c, r), before[std::size_t((r - 1) * 12 + (c - 1))])
                        << "cell " << c << "," << r << " changed outside the reach of: " << text;
                }
            }
    }
}

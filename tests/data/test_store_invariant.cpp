// Nothing enters the store that its project file cannot hold and read back:
// every way a value reaches the cells (the setters, a text import, the row
// and column edits, undo and redo) is tried with values at and past the
// range of a single, and the terrain is then saved through the file writer
// and opened again through the file reader.

#include "calc/CalcSist.h"
#include "data/CellChange.h"
#include "data/SaveOpen.h"
#include "data/UCotas.h"
#include "grid/TextImport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <unistd.h>

using namespace nivora;
namespace fs = std::filesystem;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kTiny = std::numeric_limits<float>::denorm_min();

fs::path TempFile(const std::string& name)
{
    const fs::path d = fs::temp_directory_path() / ("nivora_invariant_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d / name;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Saves through the writer, opens through the reader (from disk and from the
// image), and checks that the reopened store is the one saved.
void ExpectSavesAndReopens(TTerreno& t, const std::string& name)
{
    SCOPED_TRACE(name);
    const fs::path file = TempFile(name + ".NVR");
    SaveProjectFile(file, t, {});
    TLoadedProject loaded;
    ASSERT_NO_THROW(loaded = LoadProjectFile(file)) << "the reader refused what the writer wrote";
    ASSERT_TRUE(ReadProjectImage(ReadFileBytes(file)) != nullptr);
    const TTerreno& back = *loaded.Terrain;
    ASSERT_EQ(back.ColCount(), t.ColCount());
    ASSERT_EQ(back.RowCount(), t.RowCount());
    // Cells outside the used rectangle are not written; a -0.0 there comes
    // back as 0.0, the same missing elevation.
    for (std::int32_t r = 1; r <= t.RowCount(); ++r)
        for (std::int32_t c = 1; c <= t.ColCount(); ++c)
            ASSERT_EQ(back.GetCell(c, r), t.GetCell(c, r)) << c << "," << r;
    EXPECT_EQ(back.ValueCount(), t.ValueCount());
    EXPECT_EQ(back.Minimum().Value, t.Minimum().Value);
    EXPECT_EQ(back.Maximum().Value, t.Maximum().Value);
    fs::remove(file);
}

TTerreno NewTerrain()
{
    TTerreno t(20, 20, 10.0f, 10.0f);
    t.SetCell(2, 2, 500.0f);
    t.SetCell(3, 4, 501.5f);
    return t;
}

}  // namespace

// The setters refuse what a file cannot hold, whatever the position, and
// change nothing; every finite single, the extremes of the range included,
// is stored and comes back from the file.
TEST(StoreInvariant, CellSettersRefuseWhatAFileCannotHold)
{
    struct TCase {
        const char* Name;
        float Value;
        bool Storable;
    };
    // clang-format off
    const TCase cases[] = {
        {"overflow", static_cast<float>(1e39), false},
        {"negative_overflow", static_cast<float>(-1e39), false},
        {"nan", kNaN, false},
        {"negative_nan", -kNaN, false},
        {"largest", FLT_MAX, true},
        {"lowest", -FLT_MAX, true},
        {"subnormal", kTiny, true},
        {"negative_zero", -0.0f, true},
        {"plain", 512.25f, true},
    };
    // clang-format on
    // Inside the grid, past it (the grid would grow) and past 1000 (ignored).
    const std::pair<std::int32_t, std::int32_t> positions[] = {{3, 4}, {25, 31}, {1001, 1}};
    for (const TCase& k : cases)
        for (const auto& [col, row] : positions) {
            SCOPED_TRACE(std::string(k.Name) + " at " + std::to_string(col) + "," + std::to_string(row));
            TTerreno t = NewTerrain();
            const std::vector<float> before = t.Cells();
            const std::int32_t count = t.ValueCount();
            if (!k.Storable) {
                EXPECT_THROW(t.SetCell(col, row, k.Value), TElevationError);
                EXPECT_TRUE(SameBits(t.Cells(), before));
                EXPECT_EQ(t.ValueCount(), count);
                EXPECT_EQ(t.ColCount(), 20);
            } else {
                t.SetCell(col, row, k.Value);
                if (col <= MaxGridSize) {
                    EXPECT_EQ(t.GetCell(col, row), k.Value);
                }
            }
            ExpectSavesAndReopens(t, std::string("cell_") + k.Name + "_" + std::to_string(col));
        }
}

// A row of values is stored whole or, when one value cannot be, not at all:
// not even the cells before it, nor the growth of the grid.
TEST(StoreInvariant, RowOfValuesIsAllOrNothing)
{
    struct TCase {
        const char* Name;
        std::int32_t Col, Row;
        std::vector<float> Values;
        bool Storable;
    };
    // clang-format off
    const TCase cases[] = {
        {"bad_last", 1, 3, {1.0f, 2.0f, FLT_MAX, kInf}, false},
        {"bad_first_growing", 18, 27, {-kInf, 5.0f, 6.0f, 7.0f, 8.0f}, false},
        {"nan_middle", 4, 1, {9.0f, kNaN, 9.5f}, false},
        // Past column 1000 values are dropped unread: no refusal for them.
        {"bad_past_1000", 999, 2, {7.0f, 8.0f, kInf}, true},
        {"extremes_growing", 19, 22, {FLT_MAX, -FLT_MAX, kTiny, -0.0f}, true},
    };
    // clang-format on
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.Name);
        TTerreno t = NewTerrain();
        const std::vector<float> before = t.Cells();
        if (!k.Storable) {
            EXPECT_THROW(t.SetRowCells(k.Col, k.Row, k.Values.data(), k.Values.size()), TElevationError);
            EXPECT_TRUE(SameBits(t.Cells(), before));
            EXPECT_EQ(t.ColCount(), 20);
            EXPECT_EQ(t.RowCount(), 20);
            EXPECT_EQ(t.ValueCount(), 2);
        } else {
            t.SetRowCells(k.Col, k.Row, k.Values.data(), k.Values.size());
            EXPECT_EQ(t.GetCell(k.Col, k.Row), k.Values[0]);
        }
        ExpectSavesAndReopens(t, std::string("row_") + k.Name);
    }
}

// The text that paste and "nivora-cli import" read: a value beyond a single
// is no number (the field clears its cell and is counted as unreadable);
// the largest singles are stored.
TEST(StoreInvariant, TextImportStoresOnlyWhatAFileHolds)
{
    struct TCase {
        const char* Name;
        std::string Text;
        TTextLayout Layout;
        std::int32_t Col, Row;
        std::int64_t Unreadable;
        std::vector<float> FirstRow;
    };
    // clang-format off
    const TCase cases[] = {
        {"clipboard", "1e39\t3,4e38\t-1e39\t-3.4e38\t7,5\r\n", kClipboardLayout, 2, 2, 2,
         {0.0f, 3.4e38f, 0.0f, -3.4e38f, 7.5f}},
        // Just past the largest single (it rounds to infinity) and just below it.
        {"rounding_edge", "3,4028236e38\t3,4028234e38\n", kClipboardLayout, 1, 5, 1, {0.0f, FLT_MAX}},
        {"csv_growing", "x;y;z\n1e40;2,5\n", kDetectLayout, 19, 30, 1, {0.0f, 2.5f}},
        {"nan_inf_words", "nan\tinf\t-inf\t12\n", kClipboardLayout, 1, 1, 3, {0.0f, 0.0f, 0.0f, 12.0f}},
    };
    // clang-format on
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.Name);
        TTerreno t = NewTerrain();
        t.SetCell(k.Col, k.Row, 99.0f);  // an unreadable field clears its cell
        const TTextReadResult r = ReadElevationText(t, k.Text, k.Col, k.Row, k.Layout, ',');
        EXPECT_EQ(r.Unreadable, k.Unreadable);
        for (std::size_t i = 0; i < k.FirstRow.size(); ++i)
            EXPECT_EQ(t.GetCell(k.Col + std::int32_t(i), k.Row), k.FirstRow[i]) << "field " << i;
        ExpectSavesAndReopens(t, std::string("text_") + k.Name);
    }
}

// Row and column edits move the extremes of the range about (and drop them
// at the edge of a full grid); undone and redone, each state saves and opens.
TEST(StoreInvariant, RowColumnEditsAndTheirUndoSaveAndReopen)
{
    struct TCase {
        const char* Name;
        std::int32_t Cols, Rows;
        std::function<bool(TCotas&)> Edit;
    };
    // clang-format off
    const TCase cases[] = {
        {"insert_row", 20, 20, [](TCotas& s) { return s.InsertRow(2); }},
        {"insert_row_full_grid", 7, 1000, [](TCotas& s) { return s.InsertRow(1000); }},
        {"delete_row", 20, 20, [](TCotas& s) { s.DeleteRow(1); return true; }},
        {"insert_column", 20, 20, [](TCotas& s) { return s.InsertColumn(3); }},
        {"insert_column_full_grid", 1000, 5, [](TCotas& s) { return s.InsertColumn(999); }},
        {"delete_column", 20, 20, [](TCotas& s) { s.DeleteColumn(20); return true; }},
        {"clear_rect", 20, 20, [](TCotas& s) { s.ClearRect({1, 1, 2, 20}); return true; }},
    };
    // clang-format on
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.Name);
        TTerreno t(k.Cols, k.Rows, 10.0f, 10.0f);
        // The extremes of the range in the first and last rows and columns.
        t.SetCell(1, 1, FLT_MAX);
        t.SetCell(k.Cols, k.Rows, -FLT_MAX);
        t.SetCell(2, k.Rows, kTiny);
        t.SetCell(k.Cols, 1, -0.5f);
        TCellChange change = TCellChange::CaptureWhole(t);
        const std::vector<float> before = t.Cells();
        const bool changed = k.Edit(t);
        ExpectSavesAndReopens(t, std::string("edit_") + k.Name);
        if (!changed) {
            EXPECT_TRUE(SameBits(t.Cells(), before));
            continue;
        }
        const std::vector<float> after = t.Cells();
        change.Exchange(t);  // undo
        EXPECT_TRUE(SameBits(t.Cells(), before));
        ExpectSavesAndReopens(t, std::string("undo_") + k.Name);
        change.Exchange(t);  // redo
        EXPECT_TRUE(SameBits(t.Cells(), after));
        ExpectSavesAndReopens(t, std::string("redo_") + k.Name);
    }
}

// A refused value inside an edit leaves nothing for undo to put back wrongly:
// the record taken before it still undoes to the state before.
TEST(StoreInvariant, RefusedValueLeavesTheRecordTrue)
{
    TTerreno t = NewTerrain();
    const std::vector<float> before = t.Cells();
    TCellChange record = TCellChange::Capture(t, {1, 1, 30, 30});
    const float row[] = {1.0f, 2.0f, kNaN};
    EXPECT_THROW(t.SetRowCells(19, 25, row, 3), TElevationError);
    record.Exchange(t);
    EXPECT_TRUE(SameBits(t.Cells(), before));
    ExpectSavesAndReopens(t, "refused_then_undone");
}

// A terrain read from a file with very wide spacings, or placed far out,
// grows only as far as its stakes keep coordinates the file can place: past
// that a cell is ignored as one past column 1000 is, and what is stored saves
// and opens again.
TEST(StoreInvariant, GrowthStopsWhereTheStakesLeaveTheFile)
{
    struct TCase {
        const char* Name;
        float Spacing;
        long double Origin;
        std::int32_t LastFitting;  // the largest column and row count the file takes
    };
    // clang-format off
    const TCase cases[] = {
        {"wide_spacing", 3e35f, 0.0L, 568},
        {"far_origin", 1e35f, 1.5e38L, 202},
        {"room_for_all", 1e29f, 5e32L, 1000},
    };
    // clang-format on
    for (const TCase& k : cases) {
        SCOPED_TRACE(k.Name);
        // The file is how such a terrain comes in: the geometry is read with it.
        TTerreno made(20, 20, k.Spacing, k.Spacing);
        made.SetOrigin(k.Origin, -k.Origin);
        made.SetCell(1, 1, 7.0f);
        auto loaded = ReadProjectImage(WriteDocument(made, {}));
        ASSERT_TRUE(loaded != nullptr);
        TTerreno& t = *loaded->Terrain;
        EXPECT_EQ(t.MaxColCount(), k.LastFitting);
        EXPECT_EQ(t.MaxRowCount(), k.LastFitting);
        ASSERT_TRUE(TTerreno::StakesFit(k.Origin, k.Spacing, k.LastFitting));
        if (k.LastFitting < MaxGridSize) {
            ASSERT_FALSE(TTerreno::StakesFit(k.Origin, k.Spacing, k.LastFitting + 1));
        }
        t.SetCell(k.LastFitting, 2, 8.0f);
        t.SetCell(k.LastFitting + 1, 3, 9.0f);
        t.SetCell(4, k.LastFitting + 1, 9.5f);
        EXPECT_EQ(t.GetCell(k.LastFitting, 2), 8.0f);
        EXPECT_EQ(t.ColCount(), k.LastFitting);
        EXPECT_EQ(t.RowCount(), 20);
        // A paste reaching past the limit keeps what lies inside it.
        const std::string wide = "1\t2\t3\t4\t5\t6\t7\t8\t9\t10\n";
        ReadElevationText(t, wide, k.LastFitting - 4, 5, kClipboardLayout, ',');
        EXPECT_EQ(t.GetCell(k.LastFitting, 5), 5.0f);
        ExpectSavesAndReopens(t, std::string("geometry_") + k.Name);
    }
}

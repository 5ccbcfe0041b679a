// The elevation store: counts, extremes (incremental and rescanned), the used
// rectangle, growth and the row/column edits.

#include "data/ByteStream.h"
#include "data/UCotas.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace nivora;

namespace {

// A store whose results and change flags a test may set, as a systematization would.
struct TFlaggedCotas : TCotas {
    using TCotas::SetModified;
    using TCotas::SetResultsValid;
    using TCotas::TCotas;
};

struct Counter {
    int calls = 0;
    void Attach(TCotas& c)
    {
        c.SetOnExtremesChange([this](TCotas&) { ++calls; });
    }
};

}  // namespace

TEST(Cotas, NewGrid)
{
    TCotas c(20, 20);
    EXPECT_EQ(c.ValueCount(), 0);
    EXPECT_EQ(c.Minimum(), (TCotaPoint{0, 0, 1e10f}));
    EXPECT_EQ(c.Maximum(), (TCotaPoint{0, 0, -1e10f}));
    EXPECT_FALSE(c.ExtremesValid());
    EXPECT_TRUE(c.AutoExtremes());
    EXPECT_FALSE(c.ResultsValid() || c.Modified() || c.Saved());
    EXPECT_EQ(c.ComputeUsedRect(), (TUsedRect{21, 21, 0, 0}));
    EXPECT_EQ(c.UsedRect(), (TUsedRect{0, 0, 0, 0}));  // asking changes nothing
    c.UpdateUsedRect();
    EXPECT_EQ(c.UsedRect(), (TUsedRect{21, 21, 0, 0}));
    EXPECT_EQ(c.GetCell(0, 1), 0.0f);
    EXPECT_EQ(c.GetCell(21, 1), 0.0f);
}

TEST(Cotas, SetCellBookkeeping)
{
    TFlaggedCotas c(20, 20);
    Counter events;
    events.Attach(c);
    c.SetSaved(true);
    c.SetResultsValid(true);
    c.SetCell(3, 2, 5.0f);
    EXPECT_EQ(c.ValueCount(), 1);
    EXPECT_EQ(c.Minimum(), (TCotaPoint{3, 2, 5.0f}));
    EXPECT_EQ(c.Maximum(), (TCotaPoint{3, 2, 5.0f}));
    EXPECT_TRUE(c.ExtremesValid());
    EXPECT_FALSE(c.Saved());
    EXPECT_FALSE(c.ResultsValid());
    EXPECT_TRUE(c.Modified());
    const int afterFirst = events.calls;
    EXPECT_GE(afterFirst, 1);

    // The same value again: nothing moves, no event.
    c.SetSaved(true);
    c.SetModified(false);
    c.SetResultsValid(true);
    c.SetCell(3, 2, 5.0f);
    EXPECT_TRUE(c.Saved());
    EXPECT_FALSE(c.Modified());
    EXPECT_TRUE(c.ResultsValid());
    EXPECT_EQ(events.calls, afterFirst);

    // Negative values are measurements too; clearing decrements.
    c.SetCell(4, 4, -2.0f);
    EXPECT_EQ(c.ValueCount(), 2);
    EXPECT_EQ(c.Minimum(), (TCotaPoint{4, 4, -2.0f}));
    c.SetCell(4, 4, 0.0f);
    EXPECT_EQ(c.ValueCount(), 1);
    EXPECT_EQ(c.Minimum(), (TCotaPoint{3, 2, 5.0f}));
}

TEST(Cotas, OutOfRangeAndGrowth)
{
    TCotas c(20, 20);
    c.SetCell(1001, 1, 7.0f);
    c.SetCell(0, 1, 7.0f);
    c.SetCell(1, -3, 7.0f);
    EXPECT_EQ(c.ValueCount(), 0);
    EXPECT_EQ(c.ColCount(), 20);
    c.SetCell(2, 2, 1.0f);
    c.SetCell(25, 30, 9.0f);
    EXPECT_EQ(c.ColCount(), 25);
    EXPECT_EQ(c.RowCount(), 30);
    EXPECT_EQ(c.GetCell(25, 30), 9.0f);
    EXPECT_EQ(c.GetCell(2, 2), 1.0f);  // old cells keep their place
    EXPECT_EQ(c.GetCell(21, 2), 0.0f);
    EXPECT_EQ(c.GetCell(2, 25), 0.0f);
    EXPECT_EQ(c.ValueCount(), 2);
    c.SetCell(1000, 1000, 3.0f);
    EXPECT_EQ(c.ColCount(), 1000);
    EXPECT_EQ(c.RowCount(), 1000);
    EXPECT_FALSE(c.Resize(1, 0));
    EXPECT_FALSE(c.Resize(-1, 0));
    EXPECT_EQ(c.ColCount(), 1000);
    TCotas small(1, 1);
    EXPECT_TRUE(small.Resize(0, 999));
    EXPECT_EQ(small.RowCount(), 1000);
    EXPECT_THROW(TCotas(0, 5), std::invalid_argument);
    EXPECT_THROW(TCotas(5, 1001), std::invalid_argument);
}

TEST(Cotas, TiesAndRescans)
{
    TCotas c(5, 5);
    // Incremental: the older of two equal minima stays.
    c.SetCell(4, 4, 2.0f);
    c.SetCell(1, 1, 2.0f);
    EXPECT_EQ(c.Minimum(), (TCotaPoint{4, 4, 2.0f}));
    // A rescan takes the first in row-major order.
    c.RecomputeExtremes();
    EXPECT_EQ(c.Minimum(), (TCotaPoint{1, 1, 2.0f}));
    EXPECT_EQ(c.Maximum(), (TCotaPoint{1, 1, 2.0f}));

    // Clearing the minimum moves it to the next lowest value.
    TCotas d(5, 5);
    d.SetCell(1, 1, 3.0f);
    d.SetCell(2, 1, 1.0f);
    d.SetCell(3, 1, 2.0f);
    d.SetCell(2, 1, 0.0f);
    EXPECT_TRUE(d.ExtremesValid());
    EXPECT_EQ(d.Minimum(), (TCotaPoint{3, 1, 2.0f}));
    // Raising a cell that holds the minimum value invalidates by value.
    d.SetCell(3, 1, 2.5f);
    EXPECT_EQ(d.Minimum(), (TCotaPoint{3, 1, 2.5f}));
    // Lowering the maximum below another value rescans.
    d.SetCell(1, 1, 2.6f);
    EXPECT_EQ(d.Maximum(), (TCotaPoint{1, 1, 2.6f}));
    d.SetCell(1, 1, 1.0f);
    EXPECT_EQ(d.Minimum(), (TCotaPoint{1, 1, 1.0f}));
    EXPECT_EQ(d.Maximum(), (TCotaPoint{3, 1, 2.5f}));
    // Clearing the last values brings the sentinels back.
    d.SetCell(1, 1, 0.0f);
    d.SetCell(3, 1, 0.0f);
    EXPECT_EQ(d.ValueCount(), 0);
    EXPECT_EQ(d.Minimum(), (TCotaPoint{0, 0, 1e10f}));
    EXPECT_EQ(d.Maximum(), (TCotaPoint{0, 0, -1e10f}));
}

// The rescan finds the first cell in row order holding the lowest and the
// highest elevation, as one plain pass with strict comparisons does: over
// widths around the scan's eight lanes, ties, zeros of both signs, and
// values beyond the sentinels, which never count.
TEST(Cotas, RescanMatchesAPlainPass)
{
    struct Case {
        std::int32_t cols, rows;
        std::vector<float> values;  // drawn from, zero included
    };
    const Case cases[] = {
        {1, 5, {0.0f, 1.0f, 2.0f}},
        {7, 3, {0.0f, -0.0f, 5.0f, 5.0f, 6.0f}},
        {8, 8, {0.0f, 3.0f, 3.0f, -3.0f}},
        {9, 4, {0.0f, 1.5f, -2.5f, 1e10f, -1e10f}},
        {17, 9, {0.0f, 2e10f, -2e10f, 7.0f}},
        {1000, 12, {0.0f, 0.0f, 100.25f, 99.75f, 100.25f}},
        {33, 2, {0.0f}},
        {12, 3, {2e10f, -2e10f, 0.0f}},
    };
    std::mt19937 rng(5);
    for (const Case& k : cases)
        for (int round = 0; round < 20; ++round) {
            TCotas c(k.cols, k.rows);
            std::uniform_int_distribution<std::size_t> pick(0, k.values.size() - 1);
            for (std::int32_t r = 1; r <= k.rows; ++r)
                for (std::int32_t col = 1; col <= k.cols; ++col)
                    c.SetCell(col, r, k.values[pick(rng)]);
            TCotaPoint mn{0, 0, 1e10f}, mx{0, 0, -1e10f};
            for (std::int32_t r = 1; r <= k.rows; ++r)
                for (std::int32_t col = 1; col <= k.cols; ++col) {
                    const float v = c.GetCell(col, r);
                    if (v == 0.0f)
                        continue;
                    if (v < mn.Value)
                        mn = {col, r, v};
                    if (v > mx.Value)
                        mx = {col, r, v};
                }
            c.RecomputeExtremes();
            ASSERT_EQ(c.Minimum(), mn) << k.cols << " x " << k.rows << ", round " << round;
            ASSERT_EQ(c.Maximum(), mx) << k.cols << " x " << k.rows << ", round " << round;
        }
}

TEST(Cotas, AutoExtremesBracketRescansOnce)
{
    TCotas c(10, 10);
    Counter events;
    c.SetCell(5, 5, 10.0f);
    events.Attach(c);
    c.SetAutoExtremes(false);
    c.SetCell(5, 5, 0.0f);  // removes the only extreme: stale, no rescan yet
    EXPECT_FALSE(c.ExtremesValid());
    c.SetCell(1, 1, 4.0f);
    c.SetCell(2, 1, 6.0f);
    EXPECT_EQ(c.Minimum().Value, 10.0f);  // still the stale one
    EXPECT_EQ(events.calls, 0);
    c.SetAutoExtremes(true);
    EXPECT_TRUE(c.ExtremesValid());
    EXPECT_EQ(c.Minimum(), (TCotaPoint{1, 1, 4.0f}));
    EXPECT_EQ(c.Maximum(), (TCotaPoint{2, 1, 6.0f}));
    EXPECT_EQ(events.calls, 2);
}

TEST(Cotas, MatchesRescanAfterRandomEdits)
{
    // Incremental upkeep must always agree with a full rescan in value.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pos(1, 12), val(-3, 3);
    TCotas c(12, 12);
    for (int i = 0; i < 20000; ++i) {
        c.SetCell(pos(rng), pos(rng), static_cast<float>(val(rng)));
        TCotas fresh = c;
        fresh.RecomputeExtremes();
        ASSERT_EQ(c.Minimum().Value, fresh.Minimum().Value) << i;
        ASSERT_EQ(c.Maximum().Value, fresh.Maximum().Value) << i;
        ASSERT_EQ(c.GetCell(c.Minimum().Col, c.Minimum().Row) == c.Minimum().Value || c.ValueCount() == 0, true);
        int counted = 0;
        for (float v : c.Cells())
            counted += v != 0.0f;
        ASSERT_EQ(counted, c.ValueCount());
    }
}

// A row stored at once leaves the store as the same cells set one by one:
// counts, extremes (ties included), flags and growth.
TEST(Cotas, RowCellsMatchCellByCell)
{
    struct Case {
        const char* name;
        std::int32_t col, row;
        std::size_t count;
        bool autoExtremes;
        bool startFilled;
    };
    const Case cases[] = {
        {"inside, kept extremes", 3, 4, 10, true, true},         {"inside, extremes left stale", 1, 2, 20, false, true},
        {"grows down and right", 15, 30, 40, true, false},       {"grows from an empty store", 1, 25, 20, false, false},
        {"past column 1000 is dropped", 990, 2, 30, true, true},
    };
    std::mt19937 rng(11);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TCotas one(20, 20);
        if (k.startFilled)
            for (std::int32_t r = 1; r <= 20; ++r)
                for (std::int32_t c = 1; c <= 20; ++c)
                    one.SetCell(c, r, float(100 + (c * 7 + r * 3) % 11));
        one.SetAutoExtremes(k.autoExtremes);
        TCotas row = one;
        std::vector<float> values(k.count);
        // Zeros, repeats of the present extremes and new ones.
        std::uniform_int_distribution<int> pick(0, 14);
        for (float& v : values)
            v = float(pick(rng) < 3 ? 0 : 95 + pick(rng));
        for (std::size_t i = 0; i < values.size(); ++i)
            one.SetCell(k.col + std::int32_t(i), k.row, values[i]);
        row.SetRowCells(k.col, k.row, values.data(), values.size());
        EXPECT_EQ(row.Cells(), one.Cells());
        EXPECT_EQ(row.ColCount(), one.ColCount());
        EXPECT_EQ(row.RowCount(), one.RowCount());
        EXPECT_EQ(row.ValueCount(), one.ValueCount());
        EXPECT_EQ(row.ExtremesValid(), one.ExtremesValid());
        EXPECT_EQ(row.Minimum(), one.Minimum());
        EXPECT_EQ(row.Maximum(), one.Maximum());
        EXPECT_EQ(row.Modified(), one.Modified());
        EXPECT_EQ(row.Saved(), one.Saved());
    }
}

TEST(Cotas, UsedRect)
{
    TCotas c(20, 20);
    c.SetCell(3, 2, 1.0f);
    c.SetCell(5, 4, 2.0f);
    EXPECT_EQ(c.ComputeUsedRect(), (TUsedRect{3, 2, 5, 4}));
    c.SetCell(20, 1, 1.0f);
    EXPECT_EQ(c.ComputeUsedRect(), (TUsedRect{3, 1, 20, 4}));
}

TEST(Cotas, InsertAndDeleteRowsAndColumns)
{
    TFlaggedCotas c(3, 3);
    // rows: 1 2 3 / 4 5 6 / 7 8 9
    for (int r = 1; r <= 3; ++r)
        for (int col = 1; col <= 3; ++col)
            c.SetCell(col, r, static_cast<float>((r - 1) * 3 + col));
    Counter events;
    events.Attach(c);
    c.SetModified(false);
    c.SetSaved(true);
    EXPECT_TRUE(c.InsertRow(1));
    EXPECT_EQ(c.GetCell(1, 1), 0.0f);
    EXPECT_EQ(c.GetCell(1, 2), 1.0f);
    EXPECT_EQ(c.GetCell(3, 3), 6.0f);
    EXPECT_EQ(c.GetCell(3, 4), 9.0f);  // the last row (7 8 9) moved into a new row
    EXPECT_EQ(c.RowCount(), 4);
    EXPECT_EQ(c.ValueCount(), 9);
    EXPECT_EQ(c.Minimum(), (TCotaPoint{1, 2, 1.0f}));
    EXPECT_EQ(c.Maximum(), (TCotaPoint{3, 4, 9.0f}));  // moved with its row
    EXPECT_EQ(c.UsedRect(), (TUsedRect{1, 2, 3, 4}));
    EXPECT_EQ(events.calls, 1);
    EXPECT_TRUE(c.Modified());
    EXPECT_TRUE(c.Saved());

    TCotas d(3, 2);
    for (int col = 1; col <= 3; ++col) {
        d.SetCell(col, 1, static_cast<float>(col));
        d.SetCell(col, 2, static_cast<float>(10 + col));
    }
    ASSERT_TRUE(d.InsertColumn(2));
    EXPECT_EQ(d.GetCell(1, 1), 1.0f);
    EXPECT_EQ(d.GetCell(2, 1), 0.0f);
    EXPECT_EQ(d.GetCell(3, 1), 2.0f);
    EXPECT_EQ(d.GetCell(3, 2), 12.0f);

    TCotas e(3, 2);
    for (int col = 1; col <= 3; ++col) {
        e.SetCell(col, 1, static_cast<float>(col));
        e.SetCell(col, 2, static_cast<float>(10 + col));
    }
    e.DeleteColumn(3);  // the last column cleared, the others in place
    EXPECT_EQ(e.GetCell(1, 1), 1.0f);
    EXPECT_EQ(e.GetCell(2, 2), 12.0f);
    EXPECT_EQ(e.GetCell(3, 1), 0.0f);
    EXPECT_EQ(e.ValueCount(), 4);
    EXPECT_EQ(e.Maximum(), (TCotaPoint{2, 2, 12.0f}));
    EXPECT_EQ(e.UsedRect(), (TUsedRect{1, 1, 2, 2}));
    e.DeleteColumn(1);
    EXPECT_EQ(e.GetCell(1, 1), 2.0f);
    EXPECT_EQ(e.GetCell(2, 1), 0.0f);
    EXPECT_EQ(e.ValueCount(), 2);
    EXPECT_EQ(e.Minimum(), (TCotaPoint{1, 1, 2.0f}));
    e.DeleteRow(1);
    EXPECT_EQ(e.GetCell(1, 1), 12.0f);
    EXPECT_EQ(e.ValueCount(), 1);
    EXPECT_EQ(e.Minimum(), (TCotaPoint{1, 1, 12.0f}));
    EXPECT_EQ(e.UsedRect(), (TUsedRect{1, 1, 1, 1}));
    e.DeleteRow(7);  // outside: nothing
    EXPECT_EQ(e.ValueCount(), 1);
}

TEST(Cotas, InsertKeepsEveryElevation)
{
    // (grid size, where the values are, insert a row or a column) -> grows,
    // refused. The store grows only when its last row (column) holds values,
    // and refuses at 1000 rather than drop them.
    const struct {
        int cols, rows;
        bool valueInLast;  // a value in the last row (column) inserted across
        bool column;
        bool inserted;
        int grownCols, grownRows;
    } cases[] = {
        {5, 4, false, false, true, 5, 4},       {5, 4, true, false, true, 5, 5},
        {5, 4, false, true, true, 5, 4},        {5, 4, true, true, true, 6, 4},
        {5, 1000, true, false, false, 5, 1000}, {1000, 5, true, true, false, 1000, 5},
        {5, 1000, false, false, true, 5, 1000}, {1000, 5, false, true, true, 1000, 5},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.cols << "x" << k.rows << (k.column ? " column" : " row")
                                        << (k.valueInLast ? " full" : ""));
        TFlaggedCotas c(k.cols, k.rows);
        c.SetCell(2, 2, 7.0f);
        if (k.valueInLast)
            c.SetCell(k.column ? k.cols : 3, k.column ? 3 : k.rows, 9.0f);
        c.SetSaved(true);
        c.SetModified(false);
        const TCotas before = c;
        EXPECT_EQ(k.column ? c.InsertColumn(1) : c.InsertRow(1), k.inserted);
        EXPECT_EQ(c.ColCount(), k.grownCols);
        EXPECT_EQ(c.RowCount(), k.grownRows);
        if (!k.inserted) {
            EXPECT_EQ(c.Cells(), before.Cells());
            EXPECT_FALSE(c.Modified());
            continue;
        }
        // Everything moved by one and is still there, as the bookkeeping says.
        const int dc = k.column ? 1 : 0, dr = k.column ? 0 : 1;
        EXPECT_EQ(c.GetCell(2 + dc, 2 + dr), 7.0f);
        EXPECT_EQ(c.ValueCount(), k.valueInLast ? 2 : 1);
        TCotas rescanned = c;
        rescanned.RecomputeExtremes();
        EXPECT_EQ(c.Minimum(), rescanned.Minimum());
        EXPECT_EQ(c.Maximum(), rescanned.Maximum());
        EXPECT_EQ(c.UsedRect(), rescanned.ComputeUsedRect());
        EXPECT_TRUE(c.Modified());
    }
    TCotas small(3, 3);
    EXPECT_FALSE(small.InsertRow(4));
    EXPECT_FALSE(small.InsertColumn(0));
}

TEST(Cotas, StreamRoundTrip)
{
    TCotas c(20, 20);
    c.SetCell(3, 2, 1.5f);
    c.SetCell(5, 4, -2.5f);
    TByteWriter w;
    c.SaveToStream(w);
    EXPECT_FALSE(c.Saved());  // saved once a file holds it, not when the bytes are made
    // 55 bytes plus the 3 x 3 cells of columns 3..5, rows 2..4, zeros included.
    ASSERT_EQ(w.Bytes().size(), 55u + 9 * 4);
    TCotas back(20, 20);
    TByteReader r(w.Bytes());
    ASSERT_TRUE(back.LoadFromStream(r));
    EXPECT_EQ(back.Cells(), c.Cells());
    EXPECT_EQ(back.ValueCount(), 2);
    EXPECT_EQ(back.Minimum(), c.Minimum());
    EXPECT_EQ(back.Maximum(), c.Maximum());
    EXPECT_EQ(back.UsedRect(), (TUsedRect{3, 2, 5, 4}));
    EXPECT_TRUE(back.Saved());
    EXPECT_TRUE(back.Modified());

    TCotas empty(20, 20);
    TByteWriter we;
    empty.SaveToStream(we);
    EXPECT_EQ(we.Bytes().size(), 55u);
    TCotas emptyBack(20, 20);
    TByteReader re(we.Bytes());
    ASSERT_TRUE(emptyBack.LoadFromStream(re));
    EXPECT_EQ(emptyBack.ValueCount(), 0);
    EXPECT_TRUE(emptyBack.ExtremesValid());  // the closing bracket rescans stale extremes
    EXPECT_EQ(emptyBack.Minimum().Value, 1e10f);

    // A store of other dimensions refuses the section and stays as it was.
    TCotas other(21, 20);
    TByteReader ro(w.Bytes());
    EXPECT_FALSE(other.LoadFromStream(ro));
    EXPECT_EQ(other.ValueCount(), 0);
}

TEST(Cotas, ClearRect)
{
    // 1  2  3  4
    // 5  .  7  8
    // 9 10 11 12
    const struct {
        TUsedRect rect;
        std::int32_t count;
        TCotaPoint minimum, maximum;
        bool changed;
    } cases[] = {
        {{2, 1, 3, 2}, 8, {1, 1, 1.0f}, {4, 3, 12.0f}, true},
        {{1, 1, 1, 1}, 10, {2, 1, 2.0f}, {4, 3, 12.0f}, true},
        {{3, 3, 9, 9}, 9, {1, 1, 1.0f}, {2, 3, 10.0f}, true},  // past the edge: clipped, no growth
        {{-2, -2, 1, 2}, 9, {2, 1, 2.0f}, {4, 3, 12.0f}, true},
        {{1, 1, 4, 3}, 0, {0, 0, kMinimumSentinel}, {0, 0, kMaximumSentinel}, true},
        {{2, 2, 2, 2}, 11, {1, 1, 1.0f}, {4, 3, 12.0f}, false},  // already empty
        {{3, 1, 2, 3}, 11, {1, 1, 1.0f}, {4, 3, 12.0f}, false},  // an empty rectangle
    };
    for (const auto& c : cases) {
        TFlaggedCotas s(4, 3);
        for (std::int32_t row = 1; row <= 3; ++row)
            for (std::int32_t col = 1; col <= 4; ++col)
                if (col != 2 || row != 2)
                    s.SetCell(col, row, float((row - 1) * 4 + col));
        s.SetResultsValid(true);
        s.SetSaved(true);
        Counter events;
        events.Attach(s);
        s.ClearRect(c.rect);
        const std::string at = std::to_string(c.rect.FirstCol) + "," + std::to_string(c.rect.FirstRow) + ","
                               + std::to_string(c.rect.LastCol) + "," + std::to_string(c.rect.LastRow);
        EXPECT_EQ(s.ColCount(), 4) << at;
        EXPECT_EQ(s.RowCount(), 3) << at;
        EXPECT_EQ(s.ValueCount(), c.count) << at;
        EXPECT_EQ(s.Minimum(), c.minimum) << at;
        EXPECT_EQ(s.Maximum(), c.maximum) << at;
        EXPECT_TRUE(s.ExtremesValid()) << at;
        EXPECT_TRUE(s.AutoExtremes()) << at;
        EXPECT_EQ(s.Saved(), !c.changed) << at;
        EXPECT_EQ(s.ResultsValid(), !c.changed) << at;
        EXPECT_LE(events.calls, 2) << "the extremes are rescanned once, not per stake";
    }
}

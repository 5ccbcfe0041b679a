// A plan's design layer: every reader of a design sees plane + height, the
// plan's volumes and counts come from that surface, the layer follows its
// plan to the working plan, survives a save and a reopening, and is dropped
// or kept soundly when the grid or the plan's slopes change.

#include "calc/CalcSist.h"
#include "calc/FieldReport.h"
#include "calc/StakeCoordinates.h"
#include "data/NumberFormat.h"
#include "data/ProjectExtension.h"
#include "data/SaveOpen.h"
#include "export/ExportData.h"
#include "grid/GridText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace nivora;

namespace {

// A 6 x 5 field with unequal spacings (Lx 20, Ly 12,5) and a hole at (4, 2).
std::unique_ptr<TTerreno> Field(long double x0 = 0, long double y0 = 0)
{
    auto t = std::make_unique<TTerreno>(6, 5, 20.0f, 12.5f);
    t->SetOrigin(x0, y0);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 6; ++c)
            if (!(c == 4 && r == 2))
                t->SetCell(c, r, 100.0f + 0.35f * float(c) - 0.2f * float(r) + 0.07f * float((c * 7 + r * 3) % 5));
    return t;
}

// User plan `slot` with these slopes, moved to ratio 1.
void PlanAt(TTerreno& t, int slot, const char* sx, const char* sy)
{
    t.SetPlanText(slot, &TPlano::SxText, sx);
    t.SetPlanText(slot, &TPlano::SyText, sy);
    t.SetPlanText(slot, &TPlano::RatioText, "1");
    ASSERT_TRUE(ParsePlanInputs(t, slot, '.'));
    ASSERT_TRUE(RecalculatePlan(t, slot).Computed);
}

// Heights that differ at every stake, with none at (2, 3).
TDesignSurface Bumps(const TTerreno& t, TDesignSurface::TKind kind = TDesignSurface::TKind::Optimised)
{
    TDesignSurface s;
    s.Kind = kind;
    s.Ratio = 1;
    s.Reset(t.ColCount(), t.RowCount());
    for (int r = 1; r <= t.RowCount(); ++r)
        for (int c = 1; c <= t.ColCount(); ++c)
            s.Heights[std::size_t((r - 1) * t.ColCount() + (c - 1))] =
                (c == 2 && r == 3) ? TDesignSurface::kNone : 0.03f * float(c) - 0.05f * float(r % 3) + 0.011f;
    return s;
}

long double PlaneAt(const TTerreno& t, const TPlano& p, int c, int r)
{
    return static_cast<long double>(p.Sx) * t.StakeX(c) + static_cast<long double>(p.Sy) * t.StakeY(r)
           + static_cast<long double>(p.OriginElevation);
}

struct TVolumes {
    long double Cut = 0, Fill = 0, MaxCut = 0, MaxFill = 0;
    int CutCount = 0, FillCount = 0;
};

// The plan's figures summed here from the plane and the heights.
TVolumes Expected(const TTerreno& t, const TPlano& p, const TDesignSurface& s, const TUsedRect& area)
{
    TVolumes v;
    const long double a = static_cast<long double>(t.Lx()) * static_cast<long double>(t.Ly());
    for (int r = area.FirstRow; r <= area.LastRow; ++r)
        for (int c = area.FirstCol; c <= area.LastCol; ++c) {
            const float z = t.GetCell(c, r);
            if (z == 0.0f)
                continue;
            const float h = s.HeightAt(c, r);
            const long double d = PlaneAt(t, p, c, r) + (h == TDesignSurface::kNone ? 0 : h) - z;
            if (d < 0) {
                v.Cut -= d * a;
                v.MaxCut = std::max(v.MaxCut, -d);
                ++v.CutCount;
            } else {
                v.Fill += d * a;
                v.MaxFill = std::max(v.MaxFill, d);
                ++v.FillCount;
            }
        }
    return v;
}

double D(const Real48& r) { return static_cast<double>(static_cast<long double>(r)); }

}  // namespace

// The volumes, counts and deepest cut and fill of a layered plan are those of
// plane + height, over the area of the run, whichever area that is.
TEST(DesignLayer, VolumesAndCountsComeFromTheLayer)
{
    const struct {
        const char* what;
        TUsedRect selection;
        long double x0, y0;
        // clang-format off
    } cases[] = {
        {"whole grid", {0, 0, 0, 0}, 0, 0},
        {"from an odd row and column", {2, 3, 6, 5}, 0, 0},
        {"two rows from an even row", {1, 2, 5, 3}, 0, 0},
        {"survey coordinates", {0, 0, 0, 0}, 512345.5L, 7012345.25L},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto t = Field(c.x0, c.y0);
        t->SetSelection(c.selection);
        PlanAt(*t, 3, "0.012", "-0.01");
        const TDesignSurface s = Bumps(*t);
        t->SetDesignSurface(3, s);
        const TPlano& p = t->Plans()[3];
        const TVolumes v = Expected(*t, p, s, t->GetSelection());
        EXPECT_NEAR(D(p.CutVolume), double(v.Cut), 1e-6);
        EXPECT_NEAR(D(p.FillVolume), double(v.Fill), 1e-6);
        EXPECT_NEAR(D(p.MaxCut), double(v.MaxCut), 1e-9);
        EXPECT_NEAR(D(p.MaxFill), double(v.MaxFill), 1e-9);
        EXPECT_EQ(p.CutCount, v.CutCount);
        EXPECT_EQ(p.FillCount, v.FillCount);
        // The plan is the current one: the working plan follows.
        EXPECT_EQ(t->Plans()[0], p);
        // Without the layer the figures are the plane's again.
        t->SetDesignSurface(3, std::nullopt);
        const TVolumes plane = Expected(*t, t->Plans()[3], TDesignSurface{}, t->GetSelection());
        EXPECT_NEAR(D(t->Plans()[3].CutVolume), double(plane.Cut), 1e-6);
        EXPECT_GT(std::fabs(double(plane.Cut - v.Cut)), 1.0);
    }
}

// Every reader of the working plan's design gives plane + height: the
// accessor, the computed grid views, the field report, the export data and
// the first stake's design; a stake the layer has none for takes the plane.
TEST(DesignLayer, EveryReaderGivesTheLayersDesign)
{
    auto t = Field();
    PlanAt(*t, 5, "0.01", "-0.015");
    const TDesignSurface s = Bumps(*t);
    t->SetDesignSurface(5, s);
    const TPlano& p = t->Plans()[5];
    const TExportData exported(*t, t->GetSelection(), true);
    const TFieldReport report = BuildFieldReport(*t);
    ASSERT_FALSE(report.Lines.empty());
    // clang-format off
    const struct { int c, r; } stakes[] = {{1, 1}, {6, 1}, {2, 3}, {5, 4}, {3, 5}, {6, 5}};
    // clang-format on
    for (const auto& k : stakes) {
        SCOPED_TRACE(std::to_string(k.c) + "," + std::to_string(k.r));
        const float h = s.HeightAt(k.c, k.r);
        const long double want = PlaneAt(*t, p, k.c, k.r) + (h == TDesignSurface::kNone ? 0 : h);
        const long double z = t->GetCell(k.c, k.r);
        EXPECT_NEAR(double(t->DesignElevation(k.c, k.r)), double(want), 1e-9);
        EXPECT_NEAR(double(t->DesignElevation(5, k.c, k.r)), double(want), 1e-9);
        EXPECT_NEAR(double(t->CutFill(k.c, k.r)), double(want - z), 1e-9);
        EXPECT_NEAR(double(t->CutFill(5, k.c, k.r)), double(want - z), 1e-9);
        EXPECT_EQ(CellText(*t, gvDesign, 4, k.c, k.r, ','), FormatFixed(want, 4, 10, ','));
        EXPECT_EQ(CellText(*t, gvCutFill, 4, k.c, k.r, ','), FormatFixed(want - z, 4, 10, ','));
        EXPECT_NEAR(exported.Design(k.c, k.r), double(want), 1e-9);
        EXPECT_NEAR(exported.CutFill(k.c, k.r), double(want - z), 1e-9);
        bool listed = false;
        for (const TReportLine& line : report.Lines)
            if (line.Col == k.c && line.Row == k.r) {
                listed = true;
                EXPECT_NEAR(double(line.Design), double(want), 1e-9);
                EXPECT_NEAR(double(line.CutFill), double(want - z), 1e-9);
            }
        EXPECT_TRUE(listed);
    }
    // The report's totals are the plan's.
    EXPECT_NEAR(double(report.CutVolume), D(p.CutVolume), 1e-6);
    EXPECT_NEAR(double(report.FillVolume), D(p.FillVolume), 1e-6);
    const auto first = FirstStakeDesign(*t, 5, {1, 1, 6, 5});
    ASSERT_TRUE(first);
    EXPECT_NEAR(double(first->Design), double(PlaneAt(*t, p, 1, 1) + s.HeightAt(1, 1)), 1e-9);
}

// The layer belongs to its plan: the working plan has it while that plan is
// current, another plan's design is its plane, and a plan asked by slot
// answers with its own layer whichever plan is current.
TEST(DesignLayer, FollowsItsPlanToTheWorkingPlan)
{
    auto t = Field();
    PlanAt(*t, 3, "0.01", "-0.015");
    PlanAt(*t, 4, "0.02", "0");
    const TDesignSurface s = Bumps(*t);
    t->SetDesignSurface(3, s);
    // Plan 4 is current; plan 3's layer does not reach the working plan.
    EXPECT_EQ(t->CurrentPlan(), 4);
    EXPECT_EQ(t->DesignSurface(0), nullptr);
    EXPECT_NEAR(double(t->DesignElevation(5, 4)), double(PlaneAt(*t, t->Plans()[4], 5, 4)), 1e-9);
    EXPECT_NEAR(double(t->DesignElevation(3, 5, 4)), double(PlaneAt(*t, t->Plans()[3], 5, 4) + s.HeightAt(5, 4)), 1e-9);
    const TPlano before = t->Plans()[3];
    // Recalculating plan 3 makes it current with its layer, and meets its
    // ratio on the layered surface (the layer left it elsewhere).
    EXPECT_GT(std::fabs(D(before.CutFillRatio) - 1), 0.1);
    ASSERT_TRUE(ParsePlanInputs(*t, 3, '.'));
    ASSERT_TRUE(RecalculatePlan(*t, 3).Computed);
    ASSERT_NE(t->DesignSurface(0), nullptr);
    EXPECT_EQ(*t->DesignSurface(0), s);
    EXPECT_NEAR(double(t->DesignElevation(5, 4)), double(PlaneAt(*t, t->Plans()[3], 5, 4) + s.HeightAt(5, 4)), 1e-9);
    EXPECT_NEAR(D(t->Plans()[3].CutFillRatio), 1.0, 0.001);
}

// What changes of the grid and of the plan do to a layer.
TEST(DesignLayer, EditsKeepOrDropItSoundly)
{
    enum TEdit { ElevationTyped, RowInserted, RowDeleted, ColumnInserted, ColumnDeleted, SlopeTyped, RatioTyped };
    const struct {
        const char* what;
        TEdit edit;
        bool layerKept;    // the plan still has a layer
        bool heightsKept;  // with its heights
        // clang-format off
    } cases[] = {
        {"an elevation typed: the layer stays under its stakes", ElevationTyped, true, true},
        {"a row inserted: heights dropped, kind kept", RowInserted, true, false},
        {"a row deleted", RowDeleted, true, false},
        {"a column inserted", ColumnInserted, true, false},
        {"a column deleted", ColumnDeleted, true, false},
        {"a slope typed: the layer no longer fits the plane", SlopeTyped, false, false},
        {"the ratio typed: kept, the recalculation balances it", RatioTyped, true, true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto t = Field();
        PlanAt(*t, 3, "0.01", "-0.015");
        const TDesignSurface s = Bumps(*t);
        t->SetDesignSurface(3, s);
        t->SetSaved(true);
        switch (c.edit) {
        case ElevationTyped: t->SetCell(2, 2, 99.0f); break;
        case RowInserted: ASSERT_TRUE(t->InsertRow(2)); break;
        case RowDeleted: t->DeleteRow(2); break;
        case ColumnInserted: ASSERT_TRUE(t->InsertColumn(3)); break;
        case ColumnDeleted: t->DeleteColumn(3); break;
        case SlopeTyped: t->SetPlanText(3, &TPlano::SxText, "0.02"); break;
        case RatioTyped: t->SetPlanText(3, &TPlano::RatioText, "1.2"); break;
        }
        const TDesignSurface* now = t->DesignSurface(3);
        ASSERT_EQ(now != nullptr, c.layerKept);
        if (now) {
            EXPECT_EQ(now->Kind, s.Kind);
            EXPECT_EQ(now->Heights == s.Heights, c.heightsKept);
            if (!c.heightsKept) {
                // Without heights the plan stands on its plane.
                EXPECT_TRUE(now->Heights.empty());
                EXPECT_NEAR(double(t->DesignElevation(3, 5, 4)), double(PlaneAt(*t, t->Plans()[3], 5, 4)), 1e-9);
            }
        }
        if (c.edit != ElevationTyped && c.edit != RatioTyped) {
            EXPECT_FALSE(t->Saved());
        }
    }
}

// A layer read from a file is the one saved, with the plan's figures; the
// file without layers keeps the bytes of the given format.
TEST(DesignLayer, SavedAndReopened)
{
    auto t = Field(300000.5L, 8000000.25L);
    PlanAt(*t, 3, "0.01", "-0.015");
    PlanAt(*t, 7, "0.004", "0.002");
    const std::vector<std::uint8_t> plain = WriteDocument(*t, TViewState{});
    TDesignSurface settled = Bumps(*t, TDesignSurface::TKind::Settled);
    settled.SettleDepth = 0.3;
    settled.SettlePercent = 10;
    settled.Ratio = 1.3;
    t->SetDesignSurface(3, settled);
    t->SetDesignSurface(7, Bumps(*t));
    const std::vector<std::uint8_t> image = WriteDocument(*t, TViewState{});
    ASSERT_GT(image.size(), plain.size());

    const auto back = ReadProjectImage(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ExtensionState, TExtensionState::Read);
    TTerreno& b = *back->Terrain;
    EXPECT_EQ(b.Extension(), t->Extension());
    ASSERT_NE(b.DesignSurface(3), nullptr);
    EXPECT_EQ(b.DesignSurface(3)->SettlePercent, 10);
    EXPECT_EQ(b.Plans(), t->Plans());
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 6; ++c) {
            EXPECT_EQ(b.DesignElevation(c, r), t->DesignElevation(c, r));
            EXPECT_EQ(b.CutFill(3, c, r), t->CutFill(3, c, r));
        }
    b.RestoreLastArea();
    const TFieldReport before = BuildFieldReport(*t), after = BuildFieldReport(b);
    ASSERT_EQ(before.Lines.size(), 29u);
    EXPECT_EQ(ReportTotals(after, ','), ReportTotals(before, ','));
    EXPECT_EQ(FieldReportCsv(after, 3, ','), FieldReportCsv(before, 3, ','));
    EXPECT_EQ(WriteDocument(b, back->View), image);

    // Dropped again, the file is the plain one.
    t->SetDesignSurface(3, std::nullopt);
    t->SetDesignSurface(7, std::nullopt);
    EXPECT_EQ(WriteDocument(*t, TViewState{}), plain);
}

// Sections that do not hold together damage the block as the block's rules
// say; the given content still opens.
TEST(DesignLayer, DamagedSectionsAreIgnored)
{
    TProjectExtension e;
    TDesignSurface s;
    s.Kind = TDesignSurface::TKind::Optimised;
    s.Reset(3, 2);
    s.Heights = {0.1f, -0.2f, 0.0f, TDesignSurface::kNone, 0.25f, 0.5f};
    s.Ratio = 1.2;
    e.DesignSurfaces[4] = s;
    const auto sound = WriteExtensionBlock(e);
    ASSERT_EQ(ReadExtensionBlock(sound).State, TExtensionState::Read);
    EXPECT_EQ(ReadExtensionBlock(sound).Extension, e);

    // Offsets in the section: 12 block header, 8 section header, then
    // version (2), count (2), slot, kind, columns, rows, parameter count.
    constexpr std::size_t kSection = 12 + 8;
    constexpr std::size_t kRecord = kSection + 4;
    const auto withCheck = [](std::vector<std::uint8_t> b) {
        const std::uint32_t c = Crc32(std::span<const std::uint8_t>(b.data(), b.size() - 4));
        for (int i = 0; i < 4; ++i)
            b[b.size() - 4 + std::size_t(i)] = std::uint8_t(c >> (8 * i));
        return b;
    };
    const auto altered = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        auto b = sound;
        std::copy(bytes.begin(), bytes.end(), b.begin() + std::ptrdiff_t(at));
        return withCheck(b);
    };
    const std::size_t heights = kRecord + 16 + 3 * 8;
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        TExtensionState state;
        // clang-format off
    } cases[] = {
        {"slot 1 (the best plan has no layer)", altered(kRecord, {1, 0}), TExtensionState::Damaged},
        {"slot 11", altered(kRecord, {11, 0}), TExtensionState::Damaged},
        {"kind 3", altered(kRecord + 2, {3, 0}), TExtensionState::Damaged},
        {"more columns than heights", altered(kRecord + 4, {4, 0, 0, 0}), TExtensionState::Damaged},
        {"a grid larger than any", altered(kRecord + 4, {0x40, 0x42, 0x0F, 0}), TExtensionState::Damaged},
        {"an infinite height", altered(heights + 4, {0, 0, 0x80, 0x7F}), TExtensionState::Damaged},
        {"a ratio not a number", altered(kRecord + 16 + 6, {0xF8, 0x7F}), TExtensionState::Damaged},
        {"two records said, one there", altered(kSection + 2, {2, 0}), TExtensionState::Damaged},
        {"no record said: the heights are extra bytes", altered(kSection + 2, {0, 0}), TExtensionState::Read},
        {"the check altered", [&] { auto b = sound; b.back() ^= 1; return b; }(), TExtensionState::Damaged},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TExtensionRead r = ReadExtensionBlock(c.bytes);
        EXPECT_EQ(r.State, c.state);
        if (c.state == TExtensionState::Damaged) {
            EXPECT_TRUE(r.Extension.Empty());
        }
    }

    // A file whose layer section is damaged opens with its elevations and
    // plans, without the block.
    auto t = Field();
    PlanAt(*t, 3, "0.01", "-0.015");
    t->SetDesignSurface(3, Bumps(*t));
    auto image = WriteDocument(*t, TViewState{});
    image[image.size() - 10] ^= 0x10;  // a height, under a check that now fails
    const auto back = ReadProjectImage(image);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ExtensionState, TExtensionState::Damaged);
    EXPECT_EQ(back->Terrain->DesignSurface(3), nullptr);
    EXPECT_EQ(back->Terrain->Plans(), t->Plans());
}

// A surface given as design elevations: the plan takes their least-squares
// plane (the mean slopes), the layer the rest, and every stake is designed
// to the elevation given, also with survey coordinates.
TEST(DesignLayer, DesignElevationsGiveTheMeanPlane)
{
    for (const long double x0 : {0.0L, 650000.0L}) {
        SCOPED_TRACE(double(x0));
        auto t = Field(x0, 7400000);
        const std::size_t cols = 6;
        std::vector<double> h(30);
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 6; ++c)
                h[std::size_t(r - 1) * cols + std::size_t(c - 1)] =
                    101.0 + 0.004 * 20 * (c - 1) - 0.002 * 12.5 * (r - 1) + ((c + r) % 2 ? 0.05 : -0.05);
        h[cols * 2 + 1] = std::numeric_limits<double>::quiet_NaN();  // (2, 3) left to the plane
        TDesignSurface kind;
        kind.Kind = TDesignSurface::TKind::Optimised;
        ASSERT_TRUE(t->SetDesignElevations(6, kind, h));
        const TPlano& p = t->Plans()[6];
        // The alternating bumps leave the slopes of the trend, nearly: the
        // hole at (2, 3) tilts them a little.
        EXPECT_NEAR(D(p.Sx), 0.004, 2e-4);
        EXPECT_NEAR(D(p.Sy), -0.002, 2e-4);
        EXPECT_TRUE(p.Valid);
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 6; ++c)
                if (!(c == 2 && r == 3)) {
                    EXPECT_NEAR(double(t->DesignElevation(6, c, r)), h[std::size_t(r - 1) * cols + std::size_t(c - 1)],
                                2e-6);
                }
        EXPECT_EQ(t->DesignSurface(6)->HeightAt(2, 3), TDesignSurface::kNone);
        const TVolumes v = Expected(*t, p, *t->DesignSurface(6), t->GetSelection());
        EXPECT_NEAR(D(p.CutVolume), double(v.Cut), 1e-6);
    }
    auto t = Field();
    EXPECT_FALSE(t->SetDesignElevations(6, {}, std::vector<double>(29, 100.0)));  // not the grid's size
    EXPECT_FALSE(t->SetDesignElevations(1, {}, std::vector<double>(30, 100.0)));  // the best plan
    std::vector<double> line(30, std::numeric_limits<double>::quiet_NaN());
    for (int c = 0; c < 6; ++c)
        line[std::size_t(c)] = 100.0 + c;
    EXPECT_FALSE(t->SetDesignElevations(6, {}, line));  // one row: no plane
    EXPECT_EQ(t->DesignSurface(6), nullptr);
}

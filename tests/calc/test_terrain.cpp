// The terrain: best-fit plane, origin elevation, per-stake results, volumes,
// the ratio adjustment and the runs built on them.

#include "calc/CalcSist.h"
#include "calc/ResultTable.h"
#include "data/ByteStream.h"

#include "FourStakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace nivora;
using nivora::testing::FourStakes;
using nivora::testing::SystematizedFourStakes;

namespace {

// Records what a computation tells the user.
struct ProgressRecorder : IProgress {
    std::vector<std::string> messages;
    std::vector<std::pair<int, int>> sets;
    int gaugeShown = 0;
    void Start(const std::string& m) override { messages.push_back(m); }
    void Set(int done, int total) override { sets.emplace_back(done, total); }
    void ShowGauge() override { ++gaugeShown; }
};

double D(const Real48& r) { return static_cast<double>(static_cast<long double>(r)); }

// Types the three texts of a user's plan, as in the results table.
void TypeUserPlan(TTerreno& t, int slot, const char* sx, const char* sy, const char* ratio)
{
    t.SetPlanText(slot, &TPlano::SxText, sx);
    t.SetPlanText(slot, &TPlano::SyText, sy);
    t.SetPlanText(slot, &TPlano::RatioText, ratio);
}

}  // namespace

TEST(Terrain, StakeCoordinates)
{
    TTerreno t(10, 10, 0.1f, 20.0f);
    t.SetOrigin(12.345L, 0.0L);
    EXPECT_EQ(t.StakeX(1), static_cast<float>(12.345L));
    t.SetOrigin(0.0L, -50.0L);
    EXPECT_EQ(t.StakeX(4), 0.3f);
    EXPECT_EQ(t.StakeY(3), -10.0f);
}

TEST(Terrain, FourStakeBestPlane)
{
    TTerreno t = FourStakes();
    ProgressRecorder rec;
    t.SetProgress(&rec);
    ASSERT_TRUE(t.Modified());  // the elevations were just typed
    ASSERT_TRUE(t.ComputeBestPlane());
    const TPlano& p = t.Plans()[0];
    EXPECT_NEAR(D(p.Sx), -0.025, 1e-12);
    EXPECT_NEAR(D(p.Sy), 0.025, 1e-12);
    EXPECT_NEAR(D(p.OriginElevation), 10.75, 1e-10);
    const long double design[2][2] = {{10.75L, 10.25L}, {11.25L, 10.75L}};
    const long double cutFill[2][2] = {{0.75L, -0.75L}, {-0.75L, 0.75L}};
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c) {
            EXPECT_NEAR(static_cast<double>(t.DesignElevation(c, r)), static_cast<double>(design[r - 1][c - 1]), 1e-9);
            EXPECT_NEAR(static_cast<double>(t.CutFill(c, r)), static_cast<double>(cutFill[r - 1][c - 1]), 1e-9);
        }
    // Volumes: each stake stands for 400 m2.
    EXPECT_EQ(D(t.CellArea()), 400.0);
    EXPECT_NEAR(D(p.CutVolume), 600.0, 1e-7);
    EXPECT_NEAR(D(p.FillVolume), 600.0, 1e-7);
    EXPECT_NEAR(D(p.CutFillRatio), 1.0, 1e-9);
    EXPECT_NEAR(D(p.MaxCut), 0.75, 1e-9);
    EXPECT_NEAR(D(p.MaxFill), 0.75, 1e-9);
    EXPECT_EQ(p.CutCount, 2);
    EXPECT_EQ(p.FillCount, 2);
    EXPECT_NEAR(D(t.AreaHa()), 0.16, 1e-12);
    EXPECT_TRUE(p.Valid);
    EXPECT_EQ(t.Plans()[1], p);
    EXPECT_TRUE(t.PlaneComputed());
    EXPECT_TRUE(t.ResultsValid());
    EXPECT_FALSE(t.Modified());
    // One progress report per row, messages in order.
    EXPECT_EQ(rec.messages, (std::vector<std::string>{"Calculando o melhor plano.",
                                                      "Calculando a relação entre os volumes de Corte e de Aterro."}));
    EXPECT_EQ(rec.sets, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {0, 1}, {1, 1}}));

    // The origin elevation for the same slopes is the same.
    t.ComputePlane(-0.025L, 0.025L, 0.0L);
    rec.messages.clear();
    ASSERT_TRUE(t.ComputeOrigin(-0.025L, 0.025L));
    EXPECT_NEAR(D(t.Plans()[0].OriginElevation), 10.75, 1e-10);
    EXPECT_EQ(rec.messages.front(), "Calculando a cota da origem.");
}

TEST(Terrain, AdjustRatio)
{
    TTerreno t = FourStakes();
    ProgressRecorder rec;
    t.SetProgress(&rec);
    ASSERT_TRUE(t.ComputeBestPlane());
    rec.messages.clear();
    const TAdjustResult r = t.AdjustRatio(2.0L);
    EXPECT_EQ(r.Steps, 1);
    EXPECT_TRUE(r.Converged);
    EXPECT_EQ(rec.messages, std::vector<std::string>{"Ajustando a relação Corte/Aterro: Passo 1 de ±3."});
    EXPECT_EQ(rec.gaugeShown, 1);  // the volumes pass keeps the message
    const TPlano& p = t.Plans()[0];
    EXPECT_NEAR(D(p.OriginElevation), 10.5, 1e-10);
    EXPECT_NEAR(D(p.CutVolume), 800.0, 1e-7);
    EXPECT_NEAR(D(p.FillVolume), 400.0, 1e-7);
    EXPECT_NEAR(D(p.CutFillRatio), 2.0, 1e-9);
    EXPECT_NEAR(D(p.MaxCut), 1.0, 1e-9);
    EXPECT_NEAR(D(p.MaxFill), 0.5, 1e-9);
    EXPECT_NEAR(D(p.Sx), -0.025, 1e-12);  // slopes never move
    EXPECT_EQ(t.Plans()[1], p);           // CurrentPlan 1 receives every step

    // A ratio below one raises the plane.
    TTerreno u = FourStakes();
    ASSERT_TRUE(u.ComputeBestPlane());
    const TAdjustResult r2 = u.AdjustRatio(0.5L);
    EXPECT_TRUE(r2.Converged);
    EXPECT_GT(D(u.Plans()[0].OriginElevation), 10.75);
    EXPECT_NEAR(D(u.Plans()[0].FillVolume) / D(u.Plans()[0].CutVolume), 2.0, 0.005);

    // Without current results nothing moves and nothing is said.
    TTerreno v = FourStakes();
    ASSERT_TRUE(v.ComputeBestPlane());
    v.SetCell(1, 1, 10.5f);
    ProgressRecorder quiet;
    v.SetProgress(&quiet);
    const TPlano before = v.Plans()[0];
    EXPECT_EQ(v.AdjustRatio(2.0L).Steps, 0);
    EXPECT_EQ(v.Plans()[0], before);
    EXPECT_TRUE(quiet.messages.empty());
}

TEST(Terrain, ZeroResidualIsFillAndMissingStakesCountForNothing)
{
    TTerreno t = FourStakes();
    ASSERT_TRUE(t.Resize(1, 0));  // a third column without elevations inside the selection
    t.SetSelection({1, 1, 3, 2});
    t.ComputePlane(0.0L, 0.0L, 10.0L);
    const TPlano& p = t.Plans()[0];
    // Residuals 0, 1, 2, 0: two cuts, two fills of depth 0.
    EXPECT_EQ(p.CutCount, 2);
    EXPECT_EQ(p.FillCount, 2);
    EXPECT_EQ(D(p.FillVolume), 0.0);
    EXPECT_NEAR(D(p.CutVolume), 1200.0, 1e-9);
    EXPECT_NEAR(D(t.AreaHa()), 0.16, 1e-12);
    EXPECT_EQ(D(p.MaxFill), 0.0);
    // No fill to divide by: the ratio is undefined and the plan no result.
    EXPECT_FALSE(p.RatioDefined());
    EXPECT_FALSE(p.Valid);
    EXPECT_EQ(t.CutFill(3, 1), TTerreno::NoValue);
    EXPECT_EQ(t.CutFill(0, 1), TTerreno::NoValue);
}

TEST(Terrain, GroundThatIsAPlane)
{
    // Exactly on z = 10 + 0.5 x + 0.25 y: every residual is 0, both volumes 0.
    TTerreno t(4, 3, 1.0f, 1.0f);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            t.SetCell(c, r, 10.0f + 0.5f * (c - 1) + 0.25f * (r - 1));
    const TSystematizeResult run = Systematize(t, false, 1.3L);
    ASSERT_TRUE(run.Computed);
    const TPlano& p = t.Plans()[0];
    EXPECT_EQ(D(p.Sx), 0.5);
    EXPECT_EQ(D(p.Sy), 0.25);
    EXPECT_EQ(D(p.OriginElevation), 10.0);
    EXPECT_EQ(D(p.CutVolume), 0.0);
    EXPECT_EQ(D(p.FillVolume), 0.0);
    EXPECT_FALSE(p.RatioDefined());
    EXPECT_FALSE(p.Valid);
    // The adjustment cannot move such a plane to any ratio: it stops at once
    // and says so.
    EXPECT_FALSE(run.Adjust.Converged);
    EXPECT_EQ(run.Adjust.Steps, 1);
}

TEST(Terrain, AdjustmentIsBounded)
{
    // Four stakes and a steep ratio: the loop must end, within its bound, and
    // say truthfully whether it got there.
    TTerreno t(3, 3, 10.0f, 10.0f);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c)
            t.SetCell(c, r, 10.0f + 0.1f * c + 0.37f * r * c);
    ASSERT_TRUE(t.ComputeBestPlane());
    const TAdjustResult r = t.AdjustRatio(37.0L);
    EXPECT_GE(r.Steps, 1);
    EXPECT_LE(r.Steps, TTerreno::kMaxAdjustSteps);
    // Converged says exactly whether the plan holds the requested ratio.
    const bool within = t.Plans()[0].RatioDefined() && std::fabs(D(t.Plans()[0].CutFillRatio) - 37.0) < 0.001;
    EXPECT_EQ(r.Converged, within);
}

TEST(Terrain, ComputableBlocks)
{
    TTerreno t(3, 3, 10.0f, 10.0f);
    for (int c = 1; c <= 3; ++c)
        t.SetCell(c, 1, 5.0f);
    t.SetSelection({1, 1, 3, 1});  // one row high
    EXPECT_FALSE(t.HasComputableBlock());
    t.SetCell(1, 2, 5.0f);
    t.SetSelection({1, 1, 2, 2});  // (2, 2) missing
    EXPECT_FALSE(t.HasComputableBlock());
    TTerreno u(3, 3, 10.0f, 10.0f);
    u.SetCell(2, 2, 1.0f);
    u.SetCell(3, 2, 1.0f);
    u.SetCell(2, 3, 1.0f);
    u.SetCell(3, 3, 1.0f);
    u.SetCell(1, 1, 1.0f);
    u.SetSelection({1, 1, 3, 3});  // the only complete block is the lower right one
    EXPECT_TRUE(u.HasComputableBlock());
    // A zero selection falls back to the used rectangle.
    u.SetSelection({0, 0, 0, 0});
    EXPECT_EQ(u.GetSelection(), (TUsedRect{1, 1, 3, 3}));
}

TEST(Terrain, SystematizeRuns)
{
    TTerreno t(3, 1, 10.0f, 10.0f);
    for (int c = 1; c <= 3; ++c)
        t.SetCell(c, 1, 5.0f + c);
    // Elevations in a single row: no block, no computation.
    const TSystematizeResult r = Systematize(t, false, -1);
    EXPECT_FALSE(r.Computed);
    EXPECT_EQ(t.LastArea(), (TUsedRect{1, 1, 3, 1}));
    EXPECT_FALSE(t.ResultsValid());

    // A run over a selection covers only it.
    TTerreno u(6, 6, 10.0f, 10.0f);
    std::mt19937 rng(3);
    for (int row = 1; row <= 6; ++row)
        for (int c = 1; c <= 6; ++c)
            u.SetCell(c, row, 100.0f + static_cast<float>(rng() % 100) / 50.0f);
    u.SetSelection({2, 2, 4, 5});
    const TSystematizeResult s = Systematize(u, true, 1.3L);
    ASSERT_TRUE(s.Computed);
    EXPECT_TRUE(s.Adjust.Converged);
    EXPECT_EQ(u.LastArea(), (TUsedRect{2, 2, 4, 5}));
    EXPECT_EQ(u.Plans()[0].CutCount + u.Plans()[0].FillCount, 12);
    EXPECT_EQ(u.ValueCount(), 36);  // the store's own count is kept
    EXPECT_NEAR(D(u.Plans()[0].CutFillRatio), 1.3, 0.001);
}

TEST(Terrain, UserPlanRecalculation)
{
    TTerreno t = FourStakes();
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    TypeUserPlan(t, 2, "0,01", "0", "2");
    EXPECT_FALSE(ParsePlanInputs(t, 2, '.'));  // "0,01" is not a number with "."
    ASSERT_TRUE(ParsePlanInputs(t, 2, ','));
    EXPECT_NEAR(D(t.Plans()[2].Sx), 0.01, 1e-12);
    const TSystematizeResult r = RecalculatePlan(t, 2);
    ASSERT_TRUE(r.Computed);
    EXPECT_TRUE(r.Adjust.Converged);
    EXPECT_EQ(t.CurrentPlan(), 2);
    EXPECT_TRUE(t.Plans()[2].Valid);
    EXPECT_NEAR(D(t.Plans()[2].CutFillRatio), 2.0, 0.001);
    EXPECT_EQ(t.Plans()[2].RatioText.Str(), "2");  // the typed texts stay
    // The best plan is untouched by the user's plan.
    EXPECT_NEAR(D(t.Plans()[1].CutFillRatio), 1.0, 1e-9);
}

// What each run writes: the runs mark the document as changed; a
// systematization stores only into the best plan's slot, whichever plan was
// recalculated last; a recalculation after an elevation edit still meets
// the typed ratio.
TEST(Terrain, RunsStoreIntoTheirOwnSlotsAndMarkTheDocument)
{
    TTerreno t = FourStakes();
    t.SetSaved(true);
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    EXPECT_FALSE(t.Saved());

    TypeUserPlan(t, 2, "0,01", "0", "2");
    ASSERT_TRUE(ParsePlanInputs(t, 2, ','));
    t.SetSaved(true);
    ASSERT_TRUE(RecalculatePlan(t, 2).Computed);
    EXPECT_FALSE(t.Saved());
    ASSERT_EQ(t.CurrentPlan(), 2);
    const TPlano recalculated = t.Plans()[2];

    const TSystematizeResult run = Systematize(t, false, 1.5L);
    ASSERT_TRUE(run.Adjust.Converged);
    EXPECT_EQ(t.CurrentPlan(), 1);
    EXPECT_EQ(t.Plans()[2], recalculated);                  // the user's plan is left alone
    EXPECT_NEAR(D(t.Plans()[1].CutFillRatio), 1.5, 0.001);  // the adjusted best plan
    EXPECT_EQ(t.Plans()[1].SxText.Str(), "");               // no typed text of the user's plan
    EXPECT_EQ(t.Plans()[0], t.Plans()[1]);

    // An edit makes the results stale; the plan still gets its ratio.
    t.SetCell(2, 2, 10.5f);
    ASSERT_FALSE(t.ResultsValid());
    TypeUserPlan(t, 3, "0", "0", "1,5");
    ASSERT_TRUE(ParsePlanInputs(t, 3, ','));
    const TSystematizeResult r = RecalculatePlan(t, 3);
    ASSERT_TRUE(r.Computed);
    EXPECT_TRUE(r.Adjust.Converged);
    EXPECT_TRUE(t.ResultsValid());
    EXPECT_NEAR(D(t.Plans()[3].CutFillRatio), 1.5, 0.001);
    // The other computed plan follows the new elevations.
    EXPECT_NE(D(t.Plans()[2].OriginElevation), D(recalculated.OriginElevation));
    EXPECT_NEAR(D(t.Plans()[2].CutFillRatio), 2.0, 0.001);
}

namespace {

// A 6 x 5 field, spacings 20 x 25, far from the coordinate origin.
TTerreno BumpyField(bool edited)
{
    TTerreno t(6, 5, 20.0f, 25.0f);
    t.SetOrigin(312000, 7455980);
    for (int row = 1; row <= 5; ++row)
        for (int c = 1; c <= 6; ++c)
            t.SetCell(c, row, 530.0f + 0.02f * float(c) - 0.03f * float(row) + float((c * 7 + row * 3) % 5) * 0.11f);
    if (edited)
        t.SetCell(3, 3, t.GetCell(3, 3) + 0.7f);
    return t;
}

void ComputeUserPlan(TTerreno& t, int slot, const char* sx, const char* sy, const char* ratio)
{
    TypeUserPlan(t, slot, sx, sy, ratio);
    ASSERT_TRUE(ParsePlanInputs(t, slot, ','));
    ASSERT_TRUE(RecalculatePlan(t, slot).Computed);
}

void ExpectSamePlan(const TPlano& a, const TPlano& b)
{
    EXPECT_EQ(a.Valid, b.Valid);
    EXPECT_EQ(D(a.Sx), D(b.Sx));
    EXPECT_EQ(D(a.Sy), D(b.Sy));
    EXPECT_NEAR(D(a.OriginElevation), D(b.OriginElevation), 1e-9);
    EXPECT_NEAR(D(a.CutFillRatio), D(b.CutFillRatio), 1e-9);
    EXPECT_EQ(a.CutCount, b.CutCount);
}

}  // namespace

// After an elevation edit, "Recalcular" (or a new run) computes the table
// again: the best plan with the area and ratio of the last run, every other
// computed plan from its slopes and ratio, just as if the edited elevations
// had been there from the start. A typed plan never computed stays so.
TEST(Terrain, StaleResultsAreComputedAgainAsTheUserLastAskedForThem)
{
    enum TRedo { kRecalculate, kRecalculateAfterSelecting, kRecalculateAfterReading, kRunAgain };
    const struct {
        const char* name;
        long double ratio;  // of the run before the edit; -1 for none
        TRedo redo;
        // clang-format off
    } cases[] = {
        {"recalculate, run with ratio 1,3", 1.3L, kRecalculate},
        {"recalculate, run without ratio", -1, kRecalculate},
        {"recalculate after selecting a block", 0.5L, kRecalculateAfterSelecting},
        {"recalculate after reading the file", 1.3L, kRecalculateAfterReading},
        {"systematize again", 1.3L, kRunAgain},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTerreno t = BumpyField(false);
        ASSERT_TRUE(Systematize(t, false, c.ratio).Computed);
        ComputeUserPlan(t, 2, "0,001", "-0,002", "2");
        ComputeUserPlan(t, 3, "0", "0", "0,8");
        TypeUserPlan(t, 4, "0,5", "0", "1");  // typed, never computed
        if (c.redo == kRecalculateAfterReading) {
            TByteWriter w;
            t.SaveToStream(w);
            TTerreno read(6, 5, 20.0f, 25.0f);  // as the file's header makes it
            TByteReader r(w.Bytes());
            ASSERT_TRUE(read.LoadFromStream(r));
            read.RestoreLastArea();
            t = read;
        }
        if (c.redo == kRecalculateAfterSelecting)
            t.SetSelection({1, 1, 2, 2});
        t.SetCell(3, 3, BumpyField(true).GetCell(3, 3));
        ASSERT_FALSE(t.ResultsValid());
        if (c.redo == kRunAgain) {
            ASSERT_TRUE(Systematize(t, false, c.ratio).Computed);
        } else {
            ASSERT_TRUE(ParsePlanInputs(t, 3, ','));  // as "Recalcular" does
            ASSERT_TRUE(RecalculatePlan(t, 3).Computed);
        }
        EXPECT_TRUE(t.ResultsValid());

        TTerreno ref = BumpyField(true);
        ASSERT_TRUE(Systematize(ref, false, c.ratio).Computed);
        ComputeUserPlan(ref, 2, "0,001", "-0,002", "2");
        ComputeUserPlan(ref, 3, "0", "0", "0,8");
        // A file keeps the ratio reached, within 0.001 of the one asked for.
        const bool read = c.redo == kRecalculateAfterReading;
        if (c.ratio > 0) {
            EXPECT_NEAR(D(t.Plans()[1].CutFillRatio), double(c.ratio), read ? 0.002 : 0.001);
        }
        if (!read)
            ExpectSamePlan(t.Plans()[1], ref.Plans()[1]);
        ExpectSamePlan(t.Plans()[2], ref.Plans()[2]);
        if (c.redo != kRecalculateAfterSelecting)  // then it covers the block selected
            ExpectSamePlan(t.Plans()[3], ref.Plans()[3]);
        EXPECT_FALSE(t.Plans()[4].Valid);
        EXPECT_EQ(t.LastArea(), (TUsedRect{1, 1, 6, 5}));
        EXPECT_EQ(t.CurrentPlan(), c.redo == kRunAgain ? 1 : 3);
        EXPECT_EQ(t.Plans()[0], t.Plans()[std::size_t(t.CurrentPlan())]);
    }
}

// What the results table and nivora-cli type into a plan, and what the file
// reading leaves for the area of the run: each change of a plan is one to
// save, a text or value typed again is none.
TEST(Terrain, TypedPlansAreChangesToSave)
{
    TTerreno t = SystematizedFourStakes();
    const TTerreno::TPlans before = t.Plans();
    const struct {
        const char* what;
        std::function<bool(TTerreno&)> edit;
        bool changed;
        // clang-format off
    } steps[] = {
        {"a text", [](TTerreno& u) { return u.SetPlanText(2, &TPlano::SxText, "0,01"); }, true},
        {"the same text", [](TTerreno& u) { return u.SetPlanText(2, &TPlano::SxText, "0,01"); }, false},
        {"no plan's slot", [](TTerreno& u) { return !u.SetPlanText(0, &TPlano::SyText, "1"); }, false},
        {"past the slots", [](TTerreno& u) { return !u.SetPlanText(11, &TPlano::SyText, "1"); }, false},
        {"the other texts", [](TTerreno& u) { return u.SetPlanText(2, &TPlano::SyText, "-")
                                                     && u.SetPlanText(2, &TPlano::RatioText, "250"); }, true},
        {"tidied", [](TTerreno& u) {
             TidyPlanTexts(u, 2, true, ',');
             return u.Plans()[2].SyText.Str().empty();  // the lone minus emptied
         }, true},
        {"tidied again", [](TTerreno& u) { TidyPlanTexts(u, 2, true, ','); return true; }, false},
        {"a slope", [](TTerreno& u) { return u.SetPlanText(2, &TPlano::SyText, "0"); }, true},
        {"read", [](TTerreno& u) { return ParsePlanInputs(u, 2, ','); }, true},
        {"read again", [](TTerreno& u) { return ParsePlanInputs(u, 2, ','); }, false},
    };
    // clang-format on
    for (const auto& step : steps) {
        t.SetSaved(true);
        EXPECT_TRUE(step.edit(t)) << step.what;
        EXPECT_EQ(t.Saved(), !step.changed) << step.what;
    }
    const TPlano& p = t.Plans()[2];
    EXPECT_EQ(p.SxText.Str(), "0,01");
    EXPECT_EQ(p.SyText.Str(), "0");
    EXPECT_EQ(p.RatioText.Str(), "100");
    EXPECT_NEAR(D(p.CutFillRatio), 100.0, 1e-12);
    for (int slot : {0, 1, 3})
        EXPECT_EQ(t.Plans()[std::size_t(slot)], before[std::size_t(slot)]) << slot;

    // The area of the run: a file does not keep it, the used area stands for
    // it while the results are current.
    t.SetSelection({1, 1, 1, 1});
    ASSERT_FALSE(Systematize(t, true, -1).Computed);  // a run that finds no block still marks its area
    ASSERT_EQ(t.LastArea(), (TUsedRect{1, 1, 1, 1}));
    t.RestoreLastArea();
    EXPECT_EQ(t.LastArea(), (TUsedRect{1, 1, 2, 2}));
    Systematize(t, true, -1);
    t.SetCell(2, 2, 10.5f);
    t.RestoreLastArea();
    EXPECT_EQ(t.LastArea(), (TUsedRect{1, 1, 1, 1}));
}

TEST(Terrain, DegenerateSelections)
{
    // A valid plan from an earlier run; row 1 holds one elevation.
    TTerreno t(5, 5, 10.0f, 10.0f);
    t.SetCell(1, 1, 3.0f);
    t.SetCell(1, 2, 3.0f);
    t.SetCell(2, 2, 4.0f);
    t.SetCell(1, 3, 5.0f);
    t.SetCell(2, 3, 3.5f);
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    ASSERT_TRUE(t.PlaneComputed());
    ASSERT_TRUE(t.Plans()[0].Valid);
    ProgressRecorder rec;
    t.SetProgress(&rec);
    // No elevation in the selection: no origin, no valid plan, no hang.
    t.SetSelection({3, 3, 5, 5});
    EXPECT_FALSE(t.ComputeOrigin(0.01L, 0.0L));
    EXPECT_FALSE(t.Plans()[0].Valid);
    // A selection one row high reports a total of 0.
    rec.sets.clear();
    t.SetSelection({1, 1, 5, 1});
    EXPECT_TRUE(t.ComputeOrigin(0.0L, 0.0L));
    EXPECT_EQ(rec.sets.front(), std::make_pair(0, 0));
    EXPECT_NEAR(D(t.Plans()[0].OriginElevation), 3.0, 1e-12);

    // Map limits over an empty store: no division by zero.
    TTerreno empty(5, 5, 10.0f, 10.0f);
    empty.SetSelection({0, 0, 0, 0});
    const TMapLimits m = empty.MapLimits();
    EXPECT_EQ(m.SubdivisionLimitX, 0);
    EXPECT_EQ(m.SubdivisionLimitY, 0);
    EXPECT_EQ(m.MinElevation, 1e10f);
}

TEST(Terrain, SelectionExtremesAndMapLimits)
{
    TTerreno t(20, 10, 10.0f, 10.0f);
    t.SetCell(1, 1, 50.0f);
    t.SetCell(20, 5, 120.0f);
    t.SetCell(10, 10, 10.0f);
    t.SetSelection({5, 1, 20, 9});
    float lo = 0, hi = 0;
    t.SelectionExtremes(lo, hi);
    EXPECT_EQ(lo, 120.0f);
    EXPECT_EQ(hi, 120.0f);
    t.SetSelection({1, 1, 20, 10});  // the whole grid: the store's extremes
    t.SelectionExtremes(lo, hi);
    EXPECT_EQ(lo, 10.0f);
    EXPECT_EQ(hi, 120.0f);
    const TMapLimits m = t.MapLimits();
    EXPECT_EQ(m.SubdivisionLimitX, 49);  // 1000 / 20 - 1
    EXPECT_EQ(m.SubdivisionLimitY, 99);
}

namespace {

struct Fit {
    long double a, b, c;  // z = a x + b y + c
};

// A plain reference: means first, then centred sums, then the 2 x 2 system.
Fit ReferenceFit(const TTerreno& t)
{
    long double n = 0, mx = 0, my = 0, mz = 0;
    for (int r = 1; r <= t.RowCount(); ++r)
        for (int c = 1; c <= t.ColCount(); ++c)
            if (float z = t.GetCell(c, r); z != 0.0f) {
                n += 1;
                mx += t.StakeX(c);
                my += t.StakeY(r);
                mz += z;
            }
    mx /= n;
    my /= n;
    mz /= n;
    long double sxx = 0, syy = 0, sxy = 0, sxz = 0, syz = 0;
    for (int r = 1; r <= t.RowCount(); ++r)
        for (int c = 1; c <= t.ColCount(); ++c)
            if (float z = t.GetCell(c, r); z != 0.0f) {
                const long double x = t.StakeX(c) - mx, y = t.StakeY(r) - my, zz = z - mz;
                sxx += x * x;
                syy += y * y;
                sxy += x * y;
                sxz += x * zz;
                syz += y * zz;
            }
    const long double det = sxx * syy - sxy * sxy;
    Fit f;
    f.a = (sxz * syy - syz * sxy) / det;
    f.b = (syz * sxx - sxz * sxy) / det;
    f.c = mz - f.a * mx - f.b * my;
    return f;
}

}  // namespace

class PlaneAccuracy : public ::testing::TestWithParam<std::tuple<int, double, double>> {};

TEST_P(PlaneAccuracy, AgreesWithReferenceToTheDisplayedDigits)
{
    const auto [size, originX, originY] = GetParam();
    TTerreno t(size, size, 20.0f, 20.0f);
    t.SetOrigin(originX, originY);
    std::mt19937 rng(static_cast<unsigned>(size));
    std::normal_distribution<float> noise(0.0f, 0.05f);
    t.SetAutoExtremes(false);
    for (int r = 1; r <= size; ++r)
        for (int c = 1; c <= size; ++c) {
            if ((c + r * 7) % 23 == 0)
                continue;  // some stakes without elevation
            const float z =
                850.0f + 0.002f * c - 0.0035f * r + 0.4f * std::sin(c * 0.05f) * std::cos(r * 0.03f) + noise(rng);
            t.SetCell(c, r, z);
        }
    t.SetAutoExtremes(true);
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    const Fit ref = ReferenceFit(t);
    const TPlano& p = t.Plans()[0];
    // 6 decimals for slopes, 3 for elevations, 1 for volumes per hectare.
    EXPECT_NEAR(D(p.Sx), static_cast<double>(ref.a), 5e-7);
    EXPECT_NEAR(D(p.Sy), static_cast<double>(ref.b), 5e-7);
    EXPECT_NEAR(D(p.OriginElevation), static_cast<double>(ref.c), 5e-4);
    // The design elevation at the far corner, where errors in the slopes
    // add up the most.
    const long double refCorner = ref.a * t.StakeX(size) + ref.b * t.StakeY(size) + ref.c;
    EXPECT_NEAR(static_cast<double>(t.DesignElevation(size, size)), static_cast<double>(refCorner), 5e-4);
    // The best plane balances cut and fill.
    const double perHa = D(p.CutVolume) / D(t.AreaHa());
    EXPECT_NEAR(perHa, D(p.FillVolume) / D(t.AreaHa()), 0.05);
}

INSTANTIATE_TEST_SUITE_P(GridsAndOrigins, PlaneAccuracy,
                         ::testing::Values(std::make_tuple(50, 0.0, 0.0), std::make_tuple(200, 100000.0, -100000.0),
                                           std::make_tuple(1000, 500000.0, 7000000.0),
                                           std::make_tuple(1000, -100000.0, 100000.0)));

// The one rule for a typed cut/fill ratio, used by the systematize dialog and
// the results table: a number outside 0,01..100 becomes the nearest bound,
// written with the separator in use; anything else stays as typed.
TEST(Terrain, RatioTextsAreKeptWithinTheirBounds)
{
    const struct {
        const char* typed;
        char sep;
        const char* kept;
        // clang-format off
    } cases[] = {
        {"0,001", ',', "0,01"}, {"0.001", '.', "0.01"}, {"-3", ',', "0,01"},    {"0", '.', "0.01"},
        {"250", ',', "100"},    {"1e3", '.', "100"},    {"100,5", ',', "100"},  {"0,01", ',', "0,01"},
        {"100", '.', "100"},    {"1,30", ',', "1,30"},  {"1.30", '.', "1.30"},  {"", ',', ""},
        {"0.001", ',', "0.001"},  // not a number with ",": left for the reader to refuse
        {"abc", '.', "abc"},    {"-", ',', "-"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(TidyRatioText(c.typed, c.sep), c.kept) << c.typed << " sep " << c.sep;
        TPlano plan;
        plan.SxText.Assign("-");
        plan.RatioText.Assign(c.typed);
        TidyPlanTexts(plan, true, c.sep);
        EXPECT_EQ(plan.RatioText.Str(), c.kept) << c.typed << " sep " << c.sep;
        EXPECT_EQ(plan.SxText.Str(), "") << "a lone minus left by the edit is emptied";
    }
}

// A terrain owns its elevations: a copy, made or assigned over a terrain of
// another size, holds the same cells, bookkeeping and results, and an edit of
// either afterwards leaves the other as it was.
TEST(Terrain, CopiesOwnTheirElevations)
{
    // clang-format off
    const struct {
        const char* what;
        std::function<TTerreno(const TTerreno&)> copy;
    } kCases[] = {
        {"made",     [](const TTerreno& t) { return TTerreno(t); }},
        {"assigned", [](const TTerreno& t) { TTerreno c(2, 7, 5.0f, 1.0f); c = t; return c; }},
    };
    // clang-format on
    for (const auto& k : kCases) {
        TTerreno t = SystematizedFourStakes();
        ASSERT_TRUE(t.InsertColumn(1));  // 3 x 2, the first column empty
        t.SetSaved(true);
        const TTerreno c = k.copy(t);
        EXPECT_EQ(c.ColCount(), 3) << k.what;
        EXPECT_EQ(c.RowCount(), 2) << k.what;
        EXPECT_EQ(c.Cells(), t.Cells()) << k.what;
        EXPECT_EQ(c.UsedRect(), t.UsedRect()) << k.what;
        EXPECT_EQ(c.Minimum(), t.Minimum()) << k.what;
        EXPECT_EQ(c.Maximum(), t.Maximum()) << k.what;
        EXPECT_EQ(c.ValueCount(), 4) << k.what;
        EXPECT_TRUE(c.Saved()) << k.what;
        EXPECT_EQ(c.ResultsValid(), t.ResultsValid()) << k.what;
        EXPECT_EQ(c.Lx(), t.Lx()) << k.what;
        EXPECT_EQ(c.Ly(), t.Ly()) << k.what;
        EXPECT_EQ(c.Plans(), t.Plans()) << k.what;

        const std::vector<float> before = c.Cells();
        t.SetCell(1, 1, 99.0f);
        t.DeleteRow(2);
        EXPECT_EQ(c.Cells(), before) << k.what << ": the original's edit reached the copy";
        EXPECT_EQ(c.RowCount(), 2) << k.what;
        EXPECT_EQ(c.ValueCount(), 4) << k.what;
        EXPECT_FLOAT_EQ(c.GetCell(1, 1), 0.0f) << k.what;
    }
}

// The cut-and-fill bitmap: palette, cells, the area drawn, plans without cut
// or fill, progress, and the row-by-row fill against one FillCell a stake.

#include "calc/CutFillMap.h"

#include "FourStakes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace nivora;
using nivora::testing::SystematizedFourStakes;

namespace {

struct ProgressRecorder : IProgress {
    std::vector<std::string> messages;
    std::vector<std::pair<int, int>> sets;
    void Start(const std::string& m) override { messages.push_back(m); }
    void Set(int done, int total) override { sets.emplace_back(done, total); }
};

// The one index of every pixel of the rectangle, or -1 when they differ.
int UniformIndex(const QImage& image, const QRect& r)
{
    const int first = image.pixelIndex(r.topLeft());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixelIndex(x, y) != first)
                return -1;
    return first;
}

// The index of stake (c, r) of the map, checked to fill its whole cell.
int StakeIndex(const TCutFillMap& m, int c, int r)
{
    const QRect cell((c - m.Area.FirstCol) * m.CellWidth, (r - m.Area.FirstRow) * m.CellHeight, m.CellWidth,
                     m.CellHeight);
    return UniformIndex(m.Bitmap, cell);
}

}  // namespace

TEST(CutFillPalette, WhiteThenRedsThenBlues)
{
    const QList<QRgb>& p = CutFillPalette();
    ASSERT_EQ(p.size(), 256);
    EXPECT_EQ(p[0], qRgb(255, 255, 255));
    EXPECT_EQ(p[1], qRgb(255, 0, 0));
    EXPECT_EQ(p[2], qRgb(254, 0, 0));
    EXPECT_EQ(p[127], qRgb(129, 0, 0));
    EXPECT_EQ(p[128], qRgb(0, 0, 128));
    EXPECT_EQ(p[255], qRgb(0, 0, 255));
}

TEST(FillCell, BothCornersInclusiveAndClippedToTheBitmap)
{
    QImage image(10, 6, QImage::Format_Indexed8);
    image.fill(0);
    FillCell(image, QRect(QPoint(2, 1), QPoint(4, 3)), 200);
    FillCell(image, QRect(QPoint(8, 4), QPoint(15, 9)), 7);  // over the corner
    FillCell(image, QRect(QPoint(-5, -5), QPoint(-1, -1)), 9);
    int painted = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            painted += image.pixelIndex(x, y) != 0;
    EXPECT_EQ(painted, 9 + 4);
    EXPECT_EQ(UniformIndex(image, QRect(QPoint(2, 1), QPoint(4, 3))), 200);
    EXPECT_EQ(UniformIndex(image, QRect(QPoint(8, 4), QPoint(9, 5))), 7);
    QImage rgb(4, 4, QImage::Format_RGB32);
    EXPECT_THROW(FillCell(rgb, QRect(0, 0, 2, 2), 1), std::invalid_argument);
}

TEST(BuildCutFillMap, FourStakeExample)
{
    const TTerreno t = SystematizedFourStakes();
    const TCutFillMap m = BuildCutFillMap(t, nullptr);
    ASSERT_EQ(m.Bitmap.format(), QImage::Format_Indexed8);
    EXPECT_EQ(m.Bitmap.colorTable(), CutFillPalette());
    EXPECT_EQ(m.Bitmap.size(), QSize(16, 16));
    EXPECT_EQ(m.CellWidth, 8);
    EXPECT_EQ(m.CellHeight, 8);
    EXPECT_EQ(m.Area, (TUsedRect{1, 1, 2, 2}));
    // Fills of 0.75 = MaxFill pure blue, cuts of 0.75 = MaxCut pure red.
    EXPECT_EQ(StakeIndex(m, 1, 1), 255);
    EXPECT_EQ(StakeIndex(m, 2, 2), 255);
    EXPECT_EQ(StakeIndex(m, 2, 1), 1);
    EXPECT_EQ(StakeIndex(m, 1, 2), 1);
    EXPECT_EQ(m.Bitmap.pixel(15, 0), qRgb(255, 0, 0));
}

TEST(BuildCutFillMap, CellsKeepTheSpacingProportions)
{
    const TCutFillMap wide = BuildCutFillMap(SystematizedFourStakes(20.0f, 10.0f), nullptr);
    EXPECT_EQ(wide.CellWidth, 16);
    EXPECT_EQ(wide.CellHeight, 8);
    EXPECT_EQ(wide.Bitmap.size(), QSize(32, 16));
    EXPECT_EQ(StakeIndex(wide, 2, 1), 1);

    const TCutFillMap tall = BuildCutFillMap(SystematizedFourStakes(10.0f, 25.0f), nullptr);
    EXPECT_EQ(tall.CellWidth, 8);
    EXPECT_EQ(tall.CellHeight, 20);
    EXPECT_EQ(tall.Bitmap.size(), QSize(16, 40));
    EXPECT_EQ(StakeIndex(tall, 1, 2), 1);
    // 1000 to 1: the cell stops at its longest side instead of 8000 pixels.
    EXPECT_EQ(BuildCutFillMap(SystematizedFourStakes(1000.0f, 1.0f), nullptr).Bitmap.size(),
              QSize(2 * kMaxMapCellSide, 16));
}

TEST(BuildCutFillMap, StakesWithoutElevationAreWhite)
{
    // Three stakes wide, the middle one of the last row never measured.
    TTerreno t(3, 3, 20.0f, 20.0f);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            t.SetCell(c, r, 10.0f + 0.1f * c + 0.37f * (r % 2) + 0.05f * (c == 3 && r == 3));
    t.SetCell(2, 3, 0.0f);
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    const TCutFillMap m = BuildCutFillMap(t, nullptr);
    EXPECT_EQ(m.Bitmap.width(), 24);
    EXPECT_EQ(m.Bitmap.height(), 24);
    EXPECT_EQ(StakeIndex(m, 2, 3), 0);
    EXPECT_EQ(m.Bitmap.pixel(12, 20), qRgb(255, 255, 255));
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            if (c != 2 || r != 3) {
                EXPECT_NE(StakeIndex(m, c, r), 0) << c << "," << r;
            }
}

// The map keeps what its readout needs, as drawn: a later plan or edit of the
// terrain does not change it.
TEST(BuildCutFillMap, KeepsTheCutsAndFillsItDrew)
{
    TTerreno t(3, 3, 20.0f, 20.0f);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            t.SetCell(c, r, 10.0f + 0.1f * c + 0.37f * (r % 2));
    t.SetCell(2, 3, 0.0f);
    t.SetSelection({2, 1, 3, 3});
    ASSERT_TRUE(Systematize(t, true, -1).Computed);
    const TCutFillMap m = BuildCutFillMap(t, nullptr);
    const TTerreno drawn = t;
    ASSERT_TRUE(Systematize(t, false, 1.5L).Computed);
    t.SetCell(3, 1, 20.0f);
    for (int r = 1; r <= 3; ++r)
        for (int c = 2; c <= 3; ++c) {
            EXPECT_EQ(m.CutFill(c, r), drawn.CutFill(c, r)) << c << "," << r;
            EXPECT_EQ(m.Readout(c, r, ','), CutFillReadout(drawn, c, r, ',')) << c << "," << r;
        }
    EXPECT_EQ(m.CutFill(2, 3), TTerreno::NoValue);
    EXPECT_EQ(m.CutFill(1, 1), TTerreno::NoValue);  // outside the area drawn
    EXPECT_EQ(m.Readout(1, 1, ','), "");
    EXPECT_EQ(m.MaxCut, static_cast<long double>(drawn.Plans()[0].MaxCut));
}

TEST(BuildCutFillMap, NotSystematizedSinceReadIsOneWhiteCell)
{
    TTerreno t(2, 2, 20.0f, 10.0f);
    t.SetCell(1, 1, 10.0f);
    ASSERT_EQ(t.LastArea(), (TUsedRect{0, 0, 0, 0}));
    ProgressRecorder rec;
    const TCutFillMap m = BuildCutFillMap(t, &rec);
    EXPECT_EQ(m.Bitmap.size(), QSize(16, 8));
    EXPECT_EQ(UniformIndex(m.Bitmap, m.Bitmap.rect()), 0);
    EXPECT_EQ(m.Bitmap.pixel(0, 0), qRgb(255, 255, 255));
    // One row: its only report has nothing left to do.
    EXPECT_EQ(rec.sets, (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST(BuildCutFillMap, APlanWithoutRatioStillDraws)
{
    // The plane lowered under every stake: all cut, no fill volume, so the
    // plan has no ratio and is not left valid.
    TTerreno t = SystematizedFourStakes();
    t.ComputePlane(t.Plans()[0].Sx, t.Plans()[0].Sy, 5.0L);
    ASSERT_FALSE(t.Plans()[0].RatioDefined());
    ASSERT_FALSE(t.Plans()[0].Valid);
    ASSERT_EQ(static_cast<long double>(t.Plans()[0].MaxFill), 0.0L);
    const TCutFillMap m = BuildCutFillMap(t, nullptr);
    const long double maxCut = t.Plans()[0].MaxCut;
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 2; ++c) {
            const int index = StakeIndex(m, c, r);
            EXPECT_GE(index, 1);
            EXPECT_LE(index, 127);
            EXPECT_EQ(index, CutFillIndex(t.CutFill(c, r), maxCut, 0.0L));
        }
    EXPECT_EQ(StakeIndex(m, 1, 2), 1);  // the deepest cut
}

TEST(BuildCutFillMap, ReportsEveryRow)
{
    TTerreno t(3, 3, 20.0f, 20.0f);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            t.SetCell(c, r, 10.0f + 0.3f * c * r);
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    ProgressRecorder rec;
    BuildCutFillMap(t, &rec);
    EXPECT_EQ(rec.messages, std::vector<std::string>{"Gerando o mapa de cortes e aterros"});
    EXPECT_EQ(rec.sets, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
}

TEST(BuildCutFillMap, AreasNoGridCanHaveAreRefusedBeforeAnyProgress)
{
    TTerreno t = SystematizedFourStakes();
    ProgressRecorder rec;
    // A run over the area makes it the area the map draws.
    const auto runOver = [&t](const TUsedRect& area) {
        t.SetSelection(area);
        Systematize(t, true, -1);
        ASSERT_EQ(t.LastArea(), area);
    };
    runOver({1, 1, 1001, 2});
    EXPECT_THROW(BuildCutFillMap(t, &rec), std::invalid_argument);
    runOver({3, 3, 2, 2});
    EXPECT_THROW(BuildCutFillMap(t, &rec), std::invalid_argument);
    runOver({-2147483647 - 1, 1, 2147483647, 2});
    EXPECT_THROW(BuildCutFillMap(t, &rec), std::invalid_argument);
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_TRUE(rec.sets.empty());
    // Beyond the grid but of a grid's size: the stakes there have no elevation.
    runOver({1, 1, 3, 2});
    const TCutFillMap m = BuildCutFillMap(t, &rec);
    EXPECT_EQ(m.Bitmap.size(), QSize(24, 16));
    EXPECT_EQ(StakeIndex(m, 3, 1), 0);
    EXPECT_EQ(StakeIndex(m, 2, 1), 1);
}

// The row-by-row fill against the plain way, one FillCell a stake, on an
// uneven grid with holes, cells 20 x 8 and an area reaching past the grid.
TEST(BuildCutFillMap, SameBitmapAsOneFillCellAStake)
{
    TTerreno t(37, 23, 25.0f, 10.0f);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> z(100.0f, 103.0f);
    std::uniform_int_distribution<int> hole(0, 9);
    for (int r = 1; r <= 23; ++r)
        for (int c = 1; c <= 37; ++c)
            t.SetCell(c, r, hole(rng) == 0 ? 0.0f : z(rng));
    t.SetSelection({3, 2, 40, 24});
    ASSERT_TRUE(Systematize(t, true, 1.2L).Computed);
    const TCutFillMap m = BuildCutFillMap(t, nullptr);
    ASSERT_EQ(m.CellWidth, 20);
    ASSERT_EQ(m.CellHeight, 8);

    QImage plain(38 * 20, 23 * 8, QImage::Format_Indexed8);
    plain.fill(99);
    const TPlano& p = t.Plans()[0];
    for (int r = 2; r <= 24; ++r)
        for (int c = 3; c <= 40; ++c) {
            const int x = (c - 3) * 20, y = (r - 2) * 8;
            FillCell(plain, QRect(QPoint(x, y), QPoint(x + 19, y + 7)),
                     CutFillIndex(t.CutFill(c, r), p.MaxCut, p.MaxFill));
        }
    ASSERT_EQ(m.Bitmap.size(), plain.size());
    for (int y = 0; y < plain.height(); ++y)
        ASSERT_EQ(std::memcmp(m.Bitmap.constScanLine(y), plain.constScanLine(y), std::size_t(plain.width())), 0)
            << "row " << y;
    // Both shades, white and the extremes all occur.
    std::vector<int> seen(256);
    for (int r = 2; r <= 24; ++r)
        for (int c = 3; c <= 40; ++c)
            ++seen[std::size_t(StakeIndex(m, c, r))];
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
    EXPECT_GT(seen[255], 0);
}

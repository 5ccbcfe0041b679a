// The block diagram: the same picture every time it is drawn, the cut and
// fill colours where the worked plan has them, the exaggeration asked for,
// and a full 1000 x 1000 grid within a second.

#include "BenchGrids.h"
#include "calc/BlockDiagram.h"
#include "calc/CalcSist.h"
#include "WorkedGrid.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <ctime>

using namespace nivora;
using namespace nivora::testing;

namespace {

QImage Draw(const TTerreno& t, const TBlockOptions& options = {}, double* used = nullptr, bool* drawn = nullptr)
{
    QImage image(kBlockWidth, kBlockHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    const bool ok = DrawBlockDiagram(p, QSizeF(image.size()), t, t.LastArea(), options, used);
    if (drawn)
        *drawn = ok;
    return image;
}

}  // namespace

TEST(BlockDiagram, WorkedPlanInItsColours)
{
    TTerreno t = Worked();
    ASSERT_TRUE(Systematize(t, false, -1).Computed);
    // clang-format off
    const struct { double asked, used; } cases[] = {{0, 0.25 * 100 / (10.44 - 6.74)}, {5, 5}, {40, 40}};
    // clang-format on
    for (const auto& c : cases) {
        double used = 0;
        bool drawn = false;
        const QImage a = Draw(t, {c.asked}, &used, &drawn);
        ASSERT_TRUE(drawn);
        EXPECT_NEAR(used, c.used, 0.05) << c.asked;
        EXPECT_EQ(a, Draw(t, {c.asked})) << c.asked;
        int red = 0, blue = 0, other = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QColor p = a.pixelColor(x, y);
                if (p.red() > p.blue() + 20)
                    ++red;
                else if (p.blue() > p.red() + 20)
                    ++blue;
                else if (p != Qt::white)
                    ++other;
            }
        EXPECT_GT(red, 1000) << c.asked;
        EXPECT_GT(blue, 1000) << c.asked;
        EXPECT_GT(other, 100) << c.asked;  // the natural surface's wire frame
    }
    // A higher exaggeration draws a taller field.
    EXPECT_NE(Draw(t, {5}), Draw(t, {40}));
}

TEST(BlockDiagram, NothingWithoutABlockOfStakes)
{
    TTerreno t(5, 4, 25.0f, 25.0f);
    t.SetCell(2, 2, 8.0f);
    t.SetCell(3, 3, 8.0f);
    t.UpdateUsedRect();
    bool drawn = true;
    Draw(t, {}, nullptr, &drawn);
    EXPECT_FALSE(drawn);
}

TEST(BlockDiagram, FullGridWithinASecond)
{
    auto t = bench::FullGrid(1000);
    ASSERT_TRUE(Systematize(*t, false, 1.3L).Computed);
    const std::clock_t start = std::clock();
    const QImage a = Draw(*t);
    const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    std::printf("1000 x 1000: %.3f s of processor time\n", seconds);
    EXPECT_LE(seconds, 1.0);
    EXPECT_EQ(a, Draw(*t));
}

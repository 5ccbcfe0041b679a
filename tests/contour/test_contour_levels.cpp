// Contour levels: the equidistant proposal, the generation of the level list
// and the request handed to the map builder.

#include "contour/ContourLevels.h"

#include <gtest/gtest.h>

using namespace nivora;

using Texts = std::vector<std::string>;

TEST(ContourLevels, ElevationsFrom100To110)
{
    const TEquidistant e = DefaultEquidistant(100.0f, 110.0f);
    EXPECT_EQ(e.Step, 2.0L);
    EXPECT_EQ(e.Min, 100.0L);
    EXPECT_EQ(e.Max, 110.0L);
    Texts list;
    AddEquidistantLevels(list, e, '.');
    EXPECT_EQ(list, (Texts{"100", "102", "104", "106", "108", "110"}));
}

// Span 3.4: seven divisions of 0.5 exceed it least.
TEST(ContourLevels, ElevationsFrom100_3To103_7)
{
    const TEquidistant e = DefaultEquidistant(100.3f, 103.7f);
    EXPECT_EQ(e.Step, 0.5L);
    EXPECT_EQ(e.Min, 100.5L);
    EXPECT_EQ(e.Max, 103.5L);
    Texts list;
    AddEquidistantLevels(list, e, ',');
    EXPECT_EQ(list, (Texts{"100,5", "101", "101,5", "102", "102,5", "103", "103,5"}));
}

TEST(ContourLevels, AtMostTwentyEntriesCountingThoseTypedBefore)
{
    Texts list{"100.05", "100.15"};
    AddEquidistantLevels(list, {100.0L, 110.0L, 0.1L}, '.');
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list.front(), "100");
    EXPECT_EQ(list.back(), "101.7");  // 18 generated: 100 .. 101.7
}

// Text order, as the sorted list shows them: 10 before 9.5.
TEST(ContourLevels, TextOrder)
{
    Texts list{"9.5"};
    AddEquidistantLevels(list, {10.0L, 10.0L, 1.0L}, '.');
    EXPECT_EQ(list, (Texts{"10", "9.5"}));
    TContourRequest request;
    ASSERT_TRUE(SetRequestLevels(request, list, '.'));
    EXPECT_EQ(request.LevelCount, 2);
    EXPECT_EQ(request.LevelList(), (std::vector<long double>{10.0L, 9.5L}));
}

TEST(ContourLevels, MaximumBelowMinimumAddsTheMinimum)
{
    Texts list;
    AddEquidistantLevels(list, {105.0L, 101.0L, 2.0L}, '.');
    EXPECT_EQ(list, (Texts{"105"}));
}

TEST(ContourLevels, RepeatedTextIsNotAddedAgain)
{
    Texts list{"102"};
    AddEquidistantLevels(list, {100.0L, 104.0L, 2.0L}, '.');
    EXPECT_EQ(list, (Texts{"100", "102", "104"}));
}

// Each level from the bounds: repeated additions would overshoot the
// maximum or miss 0.
TEST(ContourLevels, EveryLevelUpToTheMaximumAsShown)
{
    const struct {
        long double min, max, step;
        Texts levels;
    } cases[] = {
        {41.25L, 42.15L, 0.15L, {"41,25", "41,4", "41,55", "41,7", "41,85", "42", "42,15"}},
        {0.1L, 0.7L, 0.1L, {"0,1", "0,2", "0,3", "0,4", "0,5", "0,6", "0,7"}},
        {-1.2L, 0.3L, 0.3L, {"-0,3", "-0,6", "-0,9", "-1,2", "0", "0,3"}},
        {530.85L, 531.2L, 0.05L, {"530,85", "530,9", "530,95", "531", "531,05", "531,1", "531,15", "531,2"}},
        {99.7L, 100.6L, 0.3L, {"100", "100,3", "100,6", "99,7"}},
        {41.25L, 42.14L, 0.15L, {"41,25", "41,4", "41,55", "41,7", "41,85", "42"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(double(c.min));
        Texts list;
        AddEquidistantLevels(list, {c.min, c.max, c.step}, ',');
        EXPECT_EQ(list, c.levels);
    }
}

// An interval too small to move the level, or one that moves it without
// changing its text, must not keep the generation going.
TEST(ContourLevels, TinyIntervalsEnd)
{
    Texts list;
    AddEquidistantLevels(list, {100.0L, 200.0L, 1e-30L}, '.');
    EXPECT_EQ(list, (Texts{"100"}));
    list.clear();
    AddEquidistantLevels(list, {100.0L, 100.001L, 1e-12L}, '.');
    EXPECT_FALSE(list.empty());
    EXPECT_LE(list.size(), 20u);
}

TEST(ContourLevels, EqualExtremesProposeTheOneElevation)
{
    const TEquidistant e = DefaultEquidistant(101.5f, 101.5f);
    EXPECT_EQ(e.Min, 101.5L);
    EXPECT_EQ(e.Max, 101.5L);
    EXPECT_GT(e.Step, 0.0L);
}

TEST(ContourLevels, Request)
{
    TContourRequest request;
    request.TakeLimits({98.5f, 104.25f, 9, 49});
    EXPECT_EQ(request.MinElevation, 98.5f);
    EXPECT_EQ(request.MaxElevation, 104.25f);
    EXPECT_EQ(request.SubdivisionLimitX, 9.0f);
    EXPECT_EQ(request.SubdivisionLimitY, 49.0f);
    EXPECT_FALSE(SetRequestLevels(request, {}, '.'));
    EXPECT_FALSE(SetRequestLevels(request, {"100", "abc"}, '.'));
    EXPECT_EQ(request.LevelCount, 0);
    EXPECT_FALSE(SetRequestLevels(request, Texts(21, "100"), '.'));
    ASSERT_TRUE(SetRequestLevels(request, {"100,25", "99"}, ','));
    EXPECT_EQ(request.LevelList(), (std::vector<long double>{100.25L, 99.0L}));
}

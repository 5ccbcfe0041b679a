// The WinSurf listing.

#include "grid/WinSurfText.h"

#include "calc/CalcSist.h"

#include <gtest/gtest.h>

using namespace nivora;

TEST(WinSurf, ColumnsTopDownWithMirroredY)
{
    TTerreno t(20, 20, 20.0f, 30.0f);
    t.SetCell(1, 1, 101.5f);
    t.SetCell(1, 2, 99.25f);
    // The column is listed from the top row down; the top row gets the largest Y.
    EXPECT_EQ(WinSurfListing(t, 3, '.'), "0.000\t30.000\t101.500\r\n0.000\t0.000\t99.250");
    EXPECT_EQ(WinSurfListing(t, 0, ','), "0\t30\t102\r\n0\t0\t99");
    EXPECT_EQ(WinSurfListing(t, 2, ','), "0,00\t30,00\t101,50\r\n0,00\t0,00\t99,25");
}

TEST(WinSurf, MirrorsWithinTheUsedRectangleAndSkipsMissingStakes)
{
    TTerreno t(10, 10, 10.0f, 10.0f);
    t.SetOrigin(500.0L, 1000.0L);
    // Used rectangle: columns 3..4, rows 5..7; (4, 6) has no elevation.
    t.SetCell(3, 5, 1.0f);
    t.SetCell(3, 7, 3.0f);
    t.SetCell(4, 5, 4.0f);
    t.SetCell(4, 7, 6.0f);
    EXPECT_EQ(WinSurfListing(t, 1, '.'),
              "520.0\t1060.0\t1.0\r\n520.0\t1040.0\t3.0\r\n530.0\t1060.0\t4.0\r\n530.0\t1040.0\t6.0");
    TTerreno empty(5, 5, 10.0f, 10.0f);
    EXPECT_EQ(WinSurfListing(empty, 3, '.'), "");
}

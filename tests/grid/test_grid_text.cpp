// Cell texts and the clipboard text format.

#include "grid/GridText.h"

#include "calc/CalcSist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace nivora;

TEST(GridText, CellTexts)
{
    TTerreno t(4, 3, 20.0f, 0.1f);
    t.SetOrigin(500000.0L, 0.0L);
    t.SetCell(1, 1, 100.1f);
    t.SetCell(2, 1, -3.0f);
    EXPECT_EQ(CellText(t, gvNatural, 3, 0, 0, ','), "");
    EXPECT_EQ(CellText(t, gvNatural, 3, 1, 0, ','), "500000");
    EXPECT_EQ(CellText(t, gvNatural, 3, 2, 0, ','), "500020");
    // StakeY(4), the single nearest 0,3, in the shortest text that reads
    // back to it: no float noise.
    EXPECT_EQ(CellText(t, gvNatural, 3, 0, 4, ','), "0,3");
    EXPECT_EQ(CellText(t, gvNatural, 3, 0, 2, '.'), "0.1");
    EXPECT_EQ(CellText(TTerreno(2, 2, 0.05f, 0.05f), gvNatural, 3, 2, 0, ','), "0,05");
    EXPECT_EQ(CellText(t, gvNatural, 3, 1, 1, ','), "100,100");
    EXPECT_EQ(CellText(t, gvNatural, 0, 2, 1, '.'), "-3");
    EXPECT_EQ(CellText(t, gvNatural, 3, 3, 1, ','), "");  // missing elevation
    // Computed views are empty outside the last run's area.
    EXPECT_EQ(CellText(t, gvDesign, 3, 1, 1, ','), "");
    // A run over stake (1, 1) alone computes no plane but sets the area the
    // computed views cover; then the plane z = 10.
    t.SetSelection({1, 1, 1, 1});
    Systematize(t, true, -1);
    t.ComputePlane(0.0L, 0.0L, 10.0L);
    EXPECT_EQ(CellText(t, gvDesign, 3, 1, 1, ','), "10,000");
    EXPECT_EQ(CellText(t, gvCutFill, 2, 1, 1, ','), "-90,10");
    EXPECT_EQ(CellText(t, gvCutFill, 2, 2, 1, ','), "");
}

TEST(GridText, CopyClampsAndEndsLines)
{
    TTerreno t(3, 2, 10.0f, 10.0f);
    t.SetCell(1, 1, 1.0f);
    t.SetCell(3, 1, 3.0f);
    t.SetCell(1, 2, 4.0f);
    t.SetCell(3, 2, 6.0f);
    EXPECT_EQ(CopyText(t, gvNatural, 2, {1, 1, 3, 2}, ','), "1,00\t\t3,00\r\n4,00\t\t6,00\r\n");
    // Wider than the store: fields only up to its last column.
    EXPECT_EQ(CopyText(t, gvNatural, 0, {2, 1, 9, 1}, '.'), "\t3\r\n");
    // Wholly to the right: one empty line per row.
    EXPECT_EQ(CopyText(t, gvNatural, 0, {5, 1, 6, 2}, '.'), "\r\n\r\n");
}

TEST(GridText, ParseLine)
{
    EXPECT_EQ(ParseClipboardLine("10,5", ','), std::vector<float>{10.5f});
    EXPECT_EQ(ParseClipboardLine("10.5", ','), std::vector<float>{10.5f});
    EXPECT_EQ(ParseClipboardLine("10.5", '.'), std::vector<float>{10.5f});
    EXPECT_EQ(ParseClipboardLine("1\t\t3", ','), (std::vector<float>{1, 0, 3}));
    EXPECT_EQ(ParseClipboardLine("1\t\t3\t", ','), (std::vector<float>{1, 0, 3, 0}));
    EXPECT_EQ(ParseClipboardLine("palavra\t2", ','), (std::vector<float>{0, 2}));
    EXPECT_TRUE(ParseClipboardLine("", ',').empty());
    EXPECT_EQ(ParseClipboardLine("\t", ','), (std::vector<float>{0, 0}));
    // A 25-digit token is read from its first 20 characters.
    EXPECT_EQ(ParseClipboardLine("1234567890123456789012345", '.'), std::vector<float>{1.2345678901234567e19f});
    // Too large for a single: no elevation.
    EXPECT_EQ(ParseClipboardLine("1e39", '.'), std::vector<float>{0});
    EXPECT_EQ((SplitClipboardLines("a\r\nb\rc\nd")), (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ((SplitClipboardLines("a\r\n\r\n")), (std::vector<std::string_view>{"a", ""}));
}

TEST(GridText, PasteAtCell)
{
    TTerreno t(20, 20, 10.0f, 10.0f);
    t.SetCell(6, 1, 9.0f);
    EXPECT_EQ(PasteText(t, "1\t\t3", 5, 1, ',').Lines, 1);
    EXPECT_EQ(t.GetCell(5, 1), 1.0f);
    EXPECT_EQ(t.GetCell(6, 1), 0.0f);  // an empty field clears
    EXPECT_EQ(t.GetCell(7, 1), 3.0f);
    EXPECT_EQ(t.ValueCount(), 2);
    EXPECT_EQ(t.Minimum().Value, 1.0f);
    EXPECT_EQ(t.Selection(), (TUsedRect{5, 1, 7, 1}));
    // Growing past the grid and stopping at 1000.
    PasteText(t, "7\t8\t9\r\n", 999, 25, '.');
    EXPECT_EQ(t.ColCount(), 1000);
    EXPECT_EQ(t.RowCount(), 25);
    EXPECT_EQ(t.GetCell(1000, 25), 8.0f);
    EXPECT_EQ(t.Maximum().Value, 8.0f);
}

// The copy writes natural elevations without the general formatting; it must
// give the cells' texts byte for byte: magnitudes from the tiny to those
// written in scientific form, halves that round away from zero, signs, and
// every number of decimals.
TEST(GridText, CopyGivesTheCellTextsOfEveryValue)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-12, 13);
    TTerreno t(60, 50, 1.0f, 1.0f);
    for (int row = 1; row <= 50; ++row)
        for (int col = 1; col <= 60; ++col) {
            float z = unit(rng) * std::pow(10.0f, float(exponent(rng)));
            if (col % 7 == 0)  // an exact half at some number of decimals
                z = float(int(rng() % 20001) - 10000) / float(1 << (rng() % 12)) + 0.5f / float(1 << (rng() % 4));
            if (col % 11 == 0)
                z = 0.0f;
            t.SetCell(col, row, z);
        }
    for (int decimals = 0; decimals <= 8; ++decimals)
        for (char sep : {',', '.'}) {
            std::string expected;
            for (int row = 1; row <= 50; ++row) {
                for (int col = 1; col <= 60; ++col)
                    expected += CellText(t, gvNatural, decimals, col, row, sep) + (col < 60 ? "\t" : "\r\n");
            }
            ASSERT_EQ(CopyText(t, gvNatural, decimals, {1, 1, 60, 50}, sep), expected) << decimals << " decimals";
        }
}

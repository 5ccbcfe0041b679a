// Reading elevations from text: layouts, encodings, counts, the stream and
// the in-memory reader giving the same grid, and memory bounded by the grid.

#include "calc/CalcSist.h"
#include "grid/GridText.h"
#include "grid/TextImport.h"
#include "data/NumberUtils.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <sstream>
#include <streambuf>

using namespace nivora;

// Live heap bytes and their peak, for the memory bound below.
namespace {
std::atomic<std::int64_t> gLive{0};
std::atomic<std::int64_t> gPeak{0};
}  // namespace

void* operator new(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    const std::int64_t live = gLive += std::int64_t(malloc_usable_size(p));
    std::int64_t peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
    return p;
}
void operator delete(void* p) noexcept
{
    if (p)
        gLive -= std::int64_t(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

std::string Utf16(std::string_view ascii, bool bigEndian, bool mark)
{
    std::string out;
    if (mark)
        out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(bigEndian ? '\0' : c);
        out.push_back(bigEndian ? c : '\0');
    }
    return out;
}

// The first row's cells and the counts of a text read at (1, 1).
struct TRead {
    TTextReadResult Result;
    std::vector<float> Row1, Row2;
};

TRead Read(std::string_view text, const TTextLayout& layout)
{
    TTerreno t(4, 4, 10.0f, 10.0f);
    TRead r;
    r.Result = ReadElevationText(t, text, 1, 1, layout, ',');
    for (int c = 1; c <= 4; ++c) {
        r.Row1.push_back(t.GetCell(c, 1));
        r.Row2.push_back(t.GetCell(c, 2));
    }
    return r;
}

using V = std::vector<float>;

TEST(TextImport, LayoutsEncodingsAndCounts)
{
    const TTextLayout semicolonComma{';', ',', TTextLayout::hNone};
    struct Case {
        const char* name;
        std::string text;
        TTextLayout layout;
        char separator;
        bool header;
        V row1, row2;
        std::int64_t elevations, unreadable;
        // clang-format off
    } cases[] = {
        {"tabs", "1\t2\r\n3", kDetectLayout, '\t', false, {1, 2, 0, 0}, {3, 0, 0, 0}, 3, 0},
        {"semicolons, decimal comma, header", "Cota A;Cota B\n1,5;2,5\n", kDetectLayout, ';', true,
         {1.5f, 2.5f, 0, 0}, {0, 0, 0, 0}, 2, 0},
        {"commas, decimal point, header", "\"a\",\"b\"\r\n1.5,2.5,\"3\"\r\n", kDetectLayout, ',', true,
         {1.5f, 2.5f, 3, 0}, {0, 0, 0, 0}, 3, 0},
        {"commas that cannot be decimal", "1,2,3\n", kDetectLayout, ',', false, {1, 2, 3, 0}, {0, 0, 0, 0}, 3, 0},
        {"one column of decimal commas", "12,5\n13,5\n", kDetectLayout, '\t', false, {12.5f, 0, 0, 0},
         {13.5f, 0, 0, 0}, 2, 0},
        {"header only when nothing in it reads", "1;x\n2;3\n", kDetectLayout, ';', false, {1, 0, 0, 0},
         {2, 3, 0, 0}, 3, 1},
        {"the clipboard keeps a header line as fields", "Cota\t\n5", kClipboardLayout, '\t', false, {0, 0, 0, 0},
         {5, 0, 0, 0}, 1, 1},
        {"a given mark refuses the other", "1.5;2,5\n", semicolonComma, ';', false, {0, 2.5f, 0, 0},
         {0, 0, 0, 0}, 1, 1},
        {"unreadable fields are counted and clear", "1.234,5\t9 m\t\xE2\x88\x92" "5\t4", kClipboardLayout, '\t',
         false, {0, 0, 0, 4}, {0, 0, 0, 0}, 1, 3},
        {"UTF-8 mark", "\xEF\xBB\xBF" "7\t8", kClipboardLayout, '\t', false, {7, 8, 0, 0}, {0, 0, 0, 0}, 2, 0},
        {"UTF-16 LE with mark", Utf16("7\t8\r\n9,5", false, true), kClipboardLayout, '\t', false,
         {7, 8, 0, 0}, {9.5f, 0, 0, 0}, 3, 0},
        {"UTF-16 BE with mark", Utf16("7;8", true, true), kDetectLayout, ';', false, {7, 8, 0, 0},
         {0, 0, 0, 0}, 2, 0},
        {"UTF-16 LE without mark", Utf16("7\t8", false, false), kClipboardLayout, '\t', false, {7, 8, 0, 0},
         {0, 0, 0, 0}, 2, 0},
        {"UTF-16 minus is no number", Utf16("\t", false, true) + "\x12\x22" + std::string("5\0", 2),
         kClipboardLayout, '\t', false, {0, 0, 0, 0}, {0, 0, 0, 0}, 0, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRead r = Read(c.text, c.layout);
        EXPECT_EQ(r.Result.Layout.Separator, c.separator);
        EXPECT_EQ(r.Result.HeaderSkipped, c.header);
        EXPECT_EQ(r.Row1, c.row1);
        EXPECT_EQ(r.Row2, c.row2);
        EXPECT_EQ(r.Result.Elevations, c.elevations);
        EXPECT_EQ(r.Result.Unreadable, c.unreadable);
        EXPECT_EQ(r.Result.Outside, 0);
        // The stream reader sees the same.
        std::istringstream in(c.text);
        TTerreno t(4, 4, 10.0f, 10.0f);
        const TTextReadResult s = ReadElevationText(t, in, 1, 1, c.layout, ',');
        EXPECT_EQ(s.Elevations, c.elevations);
        EXPECT_EQ(s.Unreadable, c.unreadable);
        EXPECT_EQ(t.GetCell(1, 1), c.row1[0]);
    }
}

// A paste over older elevations: every field there is sets its cell, and
// only a separator that ends every line of a text of several lines is taken
// for a line ending. Both readers, over a 4 x 3 block of 7, 8, 9, 6.
TEST(TextImport, EveryFieldOverwritesOlderElevations)
{
    const TTextLayout semicolons{';', 0, TTextLayout::hNone};
    struct Case {
        const char* name;
        std::string text;
        TTextLayout layout;
        V row1, row2;
        std::int64_t fields, cleared, unreadable;
        // clang-format off
    } cases[] = {
        {"one line ending in a tab", "1\t2\t", kClipboardLayout, {1, 2, 0, 6}, {7, 8, 9, 6}, 3, 1, 0},
        {"a spreadsheet row with empty last cells", "1\t2\t\t\r\n3\t4\t5\t6\r\n", kClipboardLayout,
         {1, 2, 0, 0}, {3, 4, 5, 6}, 8, 2, 0},
        {"one line of two ends in a tab", "1\t2\t\n3\t4\n", kClipboardLayout, {1, 2, 0, 6}, {3, 4, 9, 6}, 5, 1, 0},
        {"every line ends in a tab: a line ending", "1\t2\t\r\n3\t4\t\r\n", kClipboardLayout, {1, 2, 9, 6},
         {3, 4, 9, 6}, 4, 0, 0},
        {"every line ends in a tab, an empty line between", "1\t\r\n\r\n2\t", kClipboardLayout, {1, 8, 9, 6},
         {7, 8, 9, 6}, 2, 0, 0},
        {"last line without its break", "1\t\r\n2\t3", kClipboardLayout, {1, 0, 9, 6}, {2, 3, 9, 6}, 4, 1, 0},
        {"a lone CR ends the line too", "\t5\t\r6", kClipboardLayout, {0, 5, 0, 6}, {6, 8, 9, 6}, 4, 2, 0},
        {"the same with semicolons", "1;;\n2;3;4;5\n", semicolons, {1, 0, 0, 6}, {2, 3, 4, 5}, 7, 2, 0},
        {"words clear, counted apart from the empty fields", "x\t2", kClipboardLayout, {0, 2, 9, 6}, {7, 8, 9, 6}, 2, 0, 1},
        {"quoted numbers", "\"102,616\"\t\"-1.5\"\t\" 3 \"\t\"\"", kClipboardLayout, {102.616f, -1.5f, 3, 0},
         {7, 8, 9, 6}, 4, 1, 0},
        {"a separator between quotes is part of the field", "\"1;5\";\"2,5\";\"\"\"4\"\"\"\n", semicolons,
         {0, 2.5f, 0, 6}, {7, 8, 9, 6}, 3, 0, 2},
        {"quotes that do not enclose the field", "\"1\"2\t1\"\t\"3", kClipboardLayout, {0, 0, 0, 6},
         {7, 8, 9, 6}, 3, 0, 3},
    };
    // clang-format on
    const float old[4] = {7, 8, 9, 6};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool stream : {false, true}) {
            SCOPED_TRACE(stream ? "stream" : "text");
            TTerreno t(4, 3, 10.0f, 10.0f);
            for (int row = 1; row <= 3; ++row)
                t.SetRowCells(1, row, old, 4);
            std::istringstream in(c.text);
            const TTextReadResult r = stream ? ReadElevationText(t, in, 1, 1, c.layout, ',')
                                             : ReadElevationText(t, c.text, 1, 1, c.layout, ',');
            V row1, row2;
            for (int col = 1; col <= 4; ++col) {
                row1.push_back(t.GetCell(col, 1));
                row2.push_back(t.GetCell(col, 2));
            }
            EXPECT_EQ(row1, c.row1);
            EXPECT_EQ(row2, c.row2);
            EXPECT_EQ(r.Fields, c.fields);
            EXPECT_EQ(r.Cleared, c.cleared);
            EXPECT_EQ(r.Unreadable, c.unreadable);
            EXPECT_EQ(t.ColCount(), 4);
        }
    }
}

// A spreadsheet's 28 x 22 sheet, rows ending in empty cells written as one
// tab each, pasted over a block of 1: no 1 is left and the count is right.
TEST(TextImport, SpreadsheetSheetOverOlderBlock)
{
    TTerreno t(28, 22, 20.0f, 20.0f);
    const std::vector<float> ones(28, 1.0f);
    for (int row = 1; row <= 22; ++row)
        t.SetRowCells(1, row, ones.data(), ones.size());
    std::string text;
    int values = 0;
    for (int row = 1; row <= 22; ++row) {
        for (int col = 1; col <= 28; ++col) {
            // Rows 3 and 17 end in two empty cells, row 9 in one; row 5 has
            // five empty cells inside.
            const bool empty = ((row == 3 || row == 17) && col >= 27) || (row == 9 && col == 28)
                               || (row == 5 && col >= 10 && col <= 14);
            if (!empty) {
                text += "102," + std::to_string(600 + col);
                ++values;
            }
            if (col < 28)
                text += '\t';
        }
        text += "\r\n";
    }
    ASSERT_EQ(values, 606);
    const TTextReadResult r = PasteText(t, text, 1, 1, ',');
    EXPECT_EQ(t.ValueCount(), 606);
    EXPECT_EQ(r.Cleared, 10);
    EXPECT_EQ(t.GetCell(28, 9), 0.0f);
    EXPECT_EQ(t.GetCell(27, 17), 0.0f);
    EXPECT_EQ(t.Minimum().Value, 102.601f);
}

// A quoted field split between the pieces a stream is read in: its comma
// and its closing quote may come in the next piece.
TEST(TextImport, QuotedFieldAcrossStreamPieces)
{
    const TTextLayout commas{',', 0, TTextLayout::hNone};
    for (std::size_t pad = 65525; pad <= 65540; ++pad) {
        SCOPED_TRACE(pad);
        const std::string text = std::string(pad, 'x') + "\n\"102,616\",\"3\"\"\",7\n";
        TTerreno a(3, 2, 10.0f, 10.0f);
        TTerreno b(3, 2, 10.0f, 10.0f);
        std::istringstream in(text);
        const TTextReadResult ra = ReadElevationText(a, in, 1, 1, commas, ',');
        const TTextReadResult rb = ReadElevationText(b, text, 1, 1, commas, ',');
        EXPECT_EQ(a.GetCell(1, 2), 102.616f);
        EXPECT_EQ(a.GetCell(2, 2), 0.0f);
        EXPECT_EQ(a.GetCell(3, 2), 7.0f);
        EXPECT_EQ(ra.Unreadable, 2);  // the long first line and 3"
        EXPECT_EQ(rb.Unreadable, 2);
        EXPECT_EQ(a.Cells(), b.Cells());
    }
}

TEST(TextImport, FieldsOutsideTheGridAreCountedNotStored)
{
    TTerreno t(20, 20, 10.0f, 10.0f);
    // Rows 998 to 1002: three fields past column 1000 (one of them empty),
    // and a field on row 1002.
    const TTextReadResult r = PasteText(t, "1\t2\t3\t\t5\r\n6\r\n7\t\r\n\r\n8", 999, 998, '.');
    EXPECT_EQ(r.Lines, 5);
    EXPECT_EQ(r.Elevations, 4);
    EXPECT_EQ(r.Outside, 3);  // 3 and 5 beyond column 1000, 8 beyond row 1000
    EXPECT_EQ(r.Unreadable, 0);
    EXPECT_EQ(t.GetCell(1000, 998), 2.0f);
    EXPECT_EQ(t.GetCell(999, 1000), 7.0f);
    EXPECT_EQ(t.RowCount(), 1000);
    EXPECT_EQ(t.ValueCount(), 4);
    EXPECT_EQ(t.Selection(), (TUsedRect{999, 998, 1000, 1000}));
}

TEST(TextImport, TextWithoutFieldsYieldsNothing)
{
    for (std::string_view text : {"", "\r\n\r\n\n", "\xEF\xBB\xBF", "\xFF\xFE"}) {
        TTerreno t(20, 20, 10.0f, 10.0f);
        const TTextReadResult r = ReadElevationText(t, text, 1, 1, kDetectLayout);
        EXPECT_EQ(r.Fields, 0);
        EXPECT_EQ(r.Elevations, 0);
        EXPECT_EQ(t.ColCount(), 20);
    }
}

// ---- The fast reading and the full rules give the same values ----

// The full rules, as a paste has always read a field: the first 20
// characters, both marks standing for the locale's separator, the typed
// number's syntax, a value beyond single precision giving 0.
float FullRules(std::string_view field, char sep)
{
    std::string token(field.substr(0, 20));
    for (char& c : token)
        if (c == ',' || c == '.')
            c = sep;
    long double v = 0.0L;
    if (token.empty() || !ParseNumber(token, v, sep))
        return 0.0f;
    const auto f = static_cast<float>(v);
    return std::isfinite(f) ? f : 0.0f;
}

std::string RandomField(std::mt19937& rng)
{
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const auto digits = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(char('0' + pick(10)));
        return s;
    };
    std::string f;
    switch (pick(9)) {
    case 0: return {};
    case 1:  // a long token, read from its first 20 characters
        f = digits(15 + pick(15));
        if (pick(2))
            f.insert(std::size_t(pick(int(f.size()))), 1, pick(2) ? ',' : '.');
        return f;
    case 2:  // an exponent, complete or not
        f = digits(1 + pick(4)) + (pick(2) ? "," : ".") + digits(pick(4)) + (pick(2) ? "E" : "e");
        if (pick(2))
            f += pick(2) ? "-" : "+";
        return f + digits(pick(3) * pick(3));
    case 3:  // not a number
        return std::vector<std::string>{"m",
                                        "9 m",
                                        "1.234,5",
                                        "\xE2\x88\x92"
                                        "5",
                                        "-",
                                        ".",
                                        "+,",
                                        "1e400",
                                        "--1",
                                        "1,2,3"}[std::size_t(pick(10))];
    case 8: {  // 19 digits a hair from halfway between two singles, where
               // rounding twice through a double would go the wrong way
        const float low = std::ldexp(float(1 + pick(1 << 23)) / float(1 << 23), pick(10));
        const double half = (double(low) + double(std::nextafter(low, 2e9f))) / 2;
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, half, std::chars_format::fixed, 30);
        f.assign(buf, r.ptr);
        f.resize(20);  // 19 significant digits and the point
        if (pick(2) && f.back() != '9')
            ++f.back();
        if (pick(2))
            std::replace(f.begin(), f.end(), '.', ',');
        return f;
    }
    case 4:  // spaces around
        return std::string(std::size_t(pick(3)), ' ') + digits(1 + pick(5)) + std::string(std::size_t(pick(3)), ' ');
    default:  // the common shapes
        if (pick(3) == 0)
            f.push_back(pick(2) ? '-' : '+');
        f += digits(pick(8));
        if (pick(4))
            f += (pick(2) ? "," : ".") + digits(pick(10));
        return f;
    }
}

TEST(TextImport, FastReadingGivesTheFullRulesValue)
{
    std::mt19937 rng(20261207);
    for (char sep : {',', '.'}) {
        for (int i = 0; i < 200000; ++i) {
            const std::string field = RandomField(rng);
            float fast = 0.0f;
            ReadClipboardField(field, sep, fast);
            ASSERT_EQ(std::bit_cast<std::uint32_t>(fast), std::bit_cast<std::uint32_t>(FullRules(field, sep)))
                << "field \"" << field << "\" separator " << sep;
        }
    }
}

// Whole texts: lines ending in CR, LF or CR LF, lines ending in a tab, empty
// lines, large enough for the stream to read them in several pieces.
TEST(TextImport, GeneratedTextsReadAsByTheFullRules)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        const char sep = round % 2 ? '.' : ',';
        std::string text;
        std::vector<std::vector<float>> expected;
        while (text.size() < 200000) {
            std::vector<float> row;
            const std::size_t lineStart = text.size();
            const int fields = int(rng() % 30);
            for (int k = 0; k < fields; ++k) {
                const std::string f = RandomField(rng);
                if (k > 0)
                    text.push_back('\t');
                text += f;
                row.push_back(FullRules(f, sep));
            }
            // A line that ends in a tab has no empty field after it.
            if (fields > 0 && rng() % 5 == 0)
                text.push_back('\t');
            static const char* const kBreaks[] = {"\r\n", "\n", "\r"};
            // (An empty line after a lone CR must not make a CR LF of it.)
            const bool afterCR = !text.empty() && text.back() == '\r';
            text += text.size() == lineStart && afterCR ? "\r" : kBreaks[rng() % 3];
            expected.push_back(row);
        }
        // Both readers, and the line splitter of a single line.
        TTerreno a(1, 1, 1.0f, 1.0f);
        TTerreno b(1, 1, 1.0f, 1.0f);
        PasteText(a, text, 1, 1, sep);
        std::istringstream in(text);
        ReadElevationText(b, in, 1, 1, kClipboardLayout, sep);
        ASSERT_EQ(a.ColCount(), b.ColCount());
        ASSERT_EQ(a.RowCount(), b.RowCount());
        ASSERT_EQ(a.Cells(), b.Cells());
        for (std::size_t r = 0; r < expected.size() && r < 1000; ++r)
            for (std::size_t k = 0; k < expected[r].size(); ++k)
                ASSERT_EQ(std::bit_cast<std::uint32_t>(a.GetCell(std::int32_t(k + 1), std::int32_t(r + 1)) + 0.0f),
                          std::bit_cast<std::uint32_t>(expected[r][k] + 0.0f))
                    << "round " << round << " row " << r + 1 << " field " << k + 1;
    }
}

// ---- Memory stays bounded by the grid ----

// A stream of `size` bytes made of one line repeated, produced as read.
class TRepeatBuf : public std::streambuf {
public:
    TRepeatBuf(std::string line, std::uint64_t size) : Left_(size)
    {
        while (Block_.size() < 65536)
            Block_ += line;
    }

protected:
    int_type underflow() override
    {
        if (Left_ == 0)
            return traits_type::eof();
        const std::size_t n = std::size_t(std::min<std::uint64_t>(Left_, Block_.size()));
        Left_ -= n;
        setg(Block_.data(), Block_.data(), Block_.data() + n);
        return traits_type::to_int_type(Block_[0]);
    }

private:
    std::string Block_;
    std::uint64_t Left_;
};

TEST(TextImport, HundredMegabytesInBoundedMemory)
{
    constexpr std::uint64_t kSize = 100u << 20;
    constexpr std::int64_t kBound = 16 << 20;  // the grid's 4 MB, its growth, and a piece of text
    std::string wide;
    for (int k = 0; k < 1500; ++k)
        wide += "123,25\t";
    wide += "\r\n";
    for (const std::string& line : {std::string("\n"), wide}) {
        TRepeatBuf buf(line, kSize);
        std::istream in(&buf);
        TTerreno t(20, 20, 10.0f, 10.0f);
        const std::int64_t before = gLive.load();
        gPeak = before;
        const TTextReadResult r = ReadElevationText(t, in, 1, 1, kClipboardLayout, ',');
        EXPECT_LT(gPeak.load() - before, kBound);
        EXPECT_EQ(r.Lines, std::int64_t((kSize + line.size() - 1) / line.size()));
        if (line.size() > 1) {
            EXPECT_EQ(r.Elevations, 1000 * 1000);
            EXPECT_EQ(t.ColCount(), 1000);
            EXPECT_EQ(t.RowCount(), 1000);
            EXPECT_GT(r.Outside, r.Elevations);
        } else {
            EXPECT_EQ(r.Fields, 0);
        }
    }
    // The clipboard's text is in memory already: reading it keeps no copy.
    const std::string newlines(kSize, '\n');
    TTerreno t(20, 20, 10.0f, 10.0f);
    const std::int64_t before = gLive.load();
    gPeak = before;
    PasteText(t, newlines, 1, 1, ',');
    EXPECT_LT(gPeak.load() - before, kBound);
}

}  // namespace

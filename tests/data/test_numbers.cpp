// Typed-number parsing, the sign rules, integer helpers, the round interval
// and the formatting module, in both decimal-separator conventions.

#include "data/NumberFormat.h"
#include "data/NumberUtils.h"
#include "grid/TextImport.h"
#include "survey/PointFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace nivora;

namespace {

struct ParseCase {
    const char* text;
    char sep;
    bool ok;
    long double value;
};

class ParseNumberTable : public testing::TestWithParam<ParseCase> {};

}  // namespace

TEST_P(ParseNumberTable, Reads)
{
    const ParseCase& c = GetParam();
    long double v = -12345.0L;
    EXPECT_EQ(ParseNumber(c.text, v, c.sep), c.ok) << "'" << c.text << "' sep '" << c.sep << "'";
    if (c.ok)
        EXPECT_EQ(v, c.value) << c.text;
    else
        EXPECT_EQ(v, -12345.0L) << "value must stay untouched on failure";
}

INSTANTIATE_TEST_SUITE_P(
    CommaAndPoint, ParseNumberTable,
    testing::Values(ParseCase{"  12,5  ", ',', true, 12.5L}, ParseCase{"12.5", ',', false, 0},
                    ParseCase{"12.5", '.', true, 12.5L}, ParseCase{"12,5", '.', false, 0},
                    ParseCase{"1E3", ',', true, 1000.0L}, ParseCase{"1e-2", '.', true, 0.01L},
                    ParseCase{"", ',', false, 0}, ParseCase{"   ", ',', false, 0}, ParseCase{"-", ',', false, 0},
                    ParseCase{"+7", ',', true, 7.0L}, ParseCase{"-0,5", ',', true, -0.5L},
                    ParseCase{",5", ',', true, 0.5L}, ParseCase{"5,", ',', true, 5.0L}, ParseCase{",", ',', true, 0.0L},
                    ParseCase{"1,3,", ',', false, 0}, ParseCase{"1.000,5", ',', false, 0},  // no thousands separators
                    // an exponent without its digits is no number
                    ParseCase{"1E", ',', false, 0}, ParseCase{"5e-", '.', false, 0}, ParseCase{"2e+ ", '.', false, 0},
                    ParseCase{"E5", ',', false, 0}, ParseCase{",E2", ',', true, 0.0L}, ParseCase{"-E", '.', false, 0},
                    ParseCase{"1 2", ',', false, 0}, ParseCase{"--1", ',', false, 0}, ParseCase{"12a", ',', false, 0},
                    ParseCase{"\t1", ',', false, 0}, ParseCase{"1e5000", '.', false, 0},  // beyond the extended range
                    ParseCase{"1e-6000", '.', true, 0.0L},                                // below it: zero
                    ParseCase{"2,5e+2", ',', true, 250.0L}));

// Every reader of numbers goes by the one grammar: a typed number with the
// user's comma or point, with either mark (the ratio, the import's boxes,
// nivora-cli), a survey point's coordinate and a pasted elevation. Where they
// differ it is by what their values may hold (an elevation is a single, a
// coordinate a double with a digit) or by quotes, which only fields have.
TEST(NumberGrammar, EveryReaderReadsTheSameTexts)
{
    const struct {
        const char* text;
        // One column each: ParseNumber with ',' and with '.', ParseEitherMark,
        // ParsePointNumber with ',' and with '.', ReadClipboardField; '+'
        // reads `value` (in the reader's type), '-' refuses.
        const char* reads;
        long double value;
        // clang-format off
    } cases[] = {
        {"12,5",          "+-++-+", 12.5L},
        {"12.5",          "-++-++", 12.5L},
        {"-0,25",         "+-++-+", -0.25L},
        {"+7",            "++++++", 7},
        {"5,",            "+-++-+", 5},
        {",5",            "+-++-+", 0.5L},
        {"  12,5  ",      "+-++-+", 12.5L},   // blanks around
        {"\" 12,5 \"",    "---+-+", 12.5L},   // a quoted field is its content, blanks and all
        {"\"1.5e2\"",     "----++", 150},
        {"1,5e3",         "+-++-+", 1500},
        {"-1.5E-2",       "-++-++", -0.015L},
        {"2,5e+2",        "+-++-+", 250},
        {"1e3",           "++++++", 1000},
        {",",             "+-+--+", 0},       // a lone mark is 0 in a box, no coordinate
        {"-,e3",          "+-+--+", 0},
        {"1.234,5",       "------", 0},       // no thousands separators
        {"1,234.5",       "------", 0},
        {"1.234",         "-++-++", 1.234L},
        {"1,2,3",         "------", 0},
        {"\xE2\x88\x92" "5", "------", 0},    // the Unicode minus is no sign
        {"--1",           "------", 0},
        {"+-1",           "------", 0},
        {"-",             "------", 0},
        {"",              "------", 0},
        {"   ",           "------", 0},
        {"\t1",           "------", 0},
        {"1 2",           "------", 0},
        {"12a",           "------", 0},
        {"0x10",          "------", 0},
        {"E5",            "------", 0},
        {"1E",            "------", 0},
        {"5e-",           "------", 0},
        {"nan",           "------", 0},
        {"NaN",           "------", 0},
        {"inf",           "------", 0},
        {"-infinity",     "------", 0},
        {"1e39",          "++++++" "", 1e39L},
        {"1e400",         "+++---", 1e400L},  // beyond a double: no coordinate
        {"1e5000",        "------", 0},       // beyond the extended range: nothing
        {"1e-400",        "++++++", 1e-400L}, // below a double: its 0
        {"1e-6000",       "++++++", 0},
        // A field of more than 64 characters is no coordinate; a paste reads
        // the first 20.
        {"0.1000000000000000000000000000000000000000000000000000000000000000", "-++--+", 0.1L},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        ASSERT_EQ(std::string(c.reads).size(), 6u);
        const auto reads = [&](int column) { return c.reads[column] == '+'; };
        for (const char sep : {',', '.'}) {
            long double v = -12345;
            EXPECT_EQ(ParseNumber(c.text, v, sep), reads(sep == ',' ? 0 : 1)) << "ParseNumber " << sep;
            EXPECT_EQ(v, reads(sep == ',' ? 0 : 1) ? c.value : -12345) << "ParseNumber " << sep;
        }
        long double either = -12345;
        EXPECT_EQ(ParseEitherMark(c.text, either), reads(2));
        EXPECT_EQ(either, reads(2) ? c.value : -12345);
        for (const char decimal : {',', '.'}) {
            double v = -12345;
            const bool ok = reads(decimal == ',' ? 3 : 4);
            EXPECT_EQ(ParsePointNumber(c.text, decimal, v), ok) << "ParsePointNumber " << decimal;
            if (ok) {
                EXPECT_EQ(v, static_cast<double>(c.value)) << "ParsePointNumber " << decimal;
            }
        }
        float f = -12345;
        const bool pasted = ReadClipboardField(c.text, ',', f);
        EXPECT_EQ(pasted, reads(5) && std::isfinite(static_cast<float>(c.value))) << "ReadClipboardField";
        EXPECT_EQ(f, pasted ? static_cast<float>(c.value) : 0.0f) << "ReadClipboardField";
    }
}

// A coordinate is rounded once, to the double nearest the text: through the
// extended value first, this one would land on the halfway point between two
// doubles and round down to 1.
TEST(NumberGrammar, ACoordinateIsRoundedOnce)
{
    double v = 0;
    ASSERT_TRUE(ParsePointNumber("1.000000000000000111022302462515654042363166809082031251", '.', v));
    EXPECT_EQ(v, 1.0 + 0x1p-52);
    long double extended = 0;
    ASSERT_TRUE(ParseNumber("1.000000000000000111022302462515654042363166809082031251", extended, '.'));
    EXPECT_EQ(static_cast<double>(extended), 1.0);
}

TEST(UnquoteField, OnlyAWhollyQuotedFieldIsItsContent)
{
    struct Case {
        std::string_view field;
        bool quoted;
        std::string_view content;
        // clang-format off
    } cases[] = {
        {"\"102,616\"", true, "102,616"},
        {"\"\"", true, ""},
        {"\"a\"\"b\"", true, "a\"b"},
        {"\"\"\"\"", true, "\""},
        {"\" 3 \"", true, " 3 "},
        {"102,616", false, ""},
        {"\"", false, ""},
        {"\"1", false, ""},
        {"1\"", false, ""},
        {"\"1\"2", false, ""},
        {" \"1\"", false, ""},
        {"\"a\"b\"", false, ""},  // a lone quote inside
        {"\"a\"\"\"", true, "a\""},
        {"\"a\"\"\"\"", false, ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        std::string content = "untouched";
        EXPECT_EQ(UnquoteField(c.field, content), c.quoted);
        EXPECT_EQ(content, c.quoted ? std::string(c.content) : std::string("untouched"));
    }
}

TEST(NumberFormat, ShortestTextReadsBackToTheSameValue)
{
    const struct {
        long double value;
        const char* text;
        // clang-format off
    } cases[] = {
        {0.05f, "0,05"},                 // not 0,050000001
        {-0.05f, "-0,05"},
        {312000.0f, "312000"},           // never 3,12E5
        {7455980.5f, "7455980,5"},
        {16777216.0f, "16777216"},
        {0.1f + 0.2f, "0,3"},            // the single nearest: 0,3 reads back to it
        {1e-7f, "1E-7"},
        {0.0L, "0"},
        {0.05L, "0,05"},                 // not a single: ten digits at most
        {1.0L / 3, "0,3333333333"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(FormatShortest(c.value, ','), c.text);
        long double back = 0;
        ASSERT_TRUE(ParseNumber(FormatShortest(c.value, '.'), back, '.'));
        if (static_cast<long double>(static_cast<float>(c.value)) == c.value) {
            EXPECT_EQ(static_cast<float>(back), static_cast<float>(c.value));
        }
    }
}

TEST(TypedNumbers, AcceptAnExponentStillToCome)
{
    // Key by key a text may stop at the exponent's letter or sign; reading
    // it still fails (the table above).
    const struct {
        const char* text;
        char sep;
        bool typed;
        // clang-format off
    } cases[] = {
        {"1E", ',', true},   {"5e-", '.', true},   {"2,5e+", ',', true}, {",e", ',', true},
        {"12", '.', true},   {"1e5", '.', true},   {"", '.', false},     {"-", '.', true},
        // a sign that leads a number still to come, and only that
        {"+", ',', true},    {" -", ',', true},    {"--", ',', false},   {"-+", '.', false},
        {"1-", '.', false},  {"- ", '.', false},   {"-,", ',', true},    {"-5", ',', true},
        {"e", '.', false},   {"-e", '.', false},   {"1ee", '.', false},  {"1e-+", '.', false},
        {"1e5e", '.', false}, {"1 e", '.', false}, {"1,5e", '.', false}, {"1e5000", '.', false},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(IsTypedNumber(c.text, c.sep), c.typed) << "'" << c.text << "'";
    EXPECT_FALSE(CheckNumberText("1E", nrPositive, ',').ok);
}

// The one key filter of the dialogs' boxes, the grid's cells and the results
// table's typed plans: what each kind of box lets a key add, with either
// decimal separator.
TEST(TypedNumbers, NumberBoxKeys)
{
    const struct {
        const char* before;
        const char* after;
        char32_t key;
        TNumberBox box;
        char sep;
        char typed;  // 0: discarded
        // clang-format off
    } cases[] = {
        // "," and "." both type the separator in use
        {"12", "", U'.', nbNumber, ',', ','},   {"12", "", U',', nbNumber, '.', '.'},
        {"1,5", "", U'.', nbNumber, ',', 0},    {"1.5", "", U',', nbNumber, '.', 0},
        {"1,5", "", U'e', nbNumber, ',', 'e'},  {"1.5e", "", U'-', nbNumber, '.', '-'},
        {"", "", U'-', nbNumber, ',', '-'},     {"12", "", U'a', nbNumber, '.', 0},
        {"-", "", U'-', nbNumber, ',', 0},      {"", "5", U'-', nbNumber, ',', '-'},
        {"5", "", U'-', nbNumber, ',', 0},
        {"12", "", U' ', nbNumber, ',', ' '},   {"12", "", U'\u00e9', nbNumber, ',', 0},
        {"12", "", U'\u0663', nbNumber, '.', 0},  // a digit of another script
        // the grid judges where the key goes, and keeps to what a single holds
        {"1", "5", U',', nbElevation, ',', ','}, {"1", "5", U',', nbElevation, '.', '.'},
        {"1,", "5", U',', nbElevation, ',', 0},  {"", "", U'7', nbElevation, '.', '7'},
        {"", "", U',', nbElevation, ',', ','},   {"", "", U'-', nbElevation, ',', '-'},
        {"", "", U'+', nbElevation, '.', '+'},   {"-", "", U'+', nbElevation, ',', 0},
        {"-", "", U'5', nbElevation, ',', '5'},  {"1", "", U'-', nbElevation, ',', 0},
        {"1e3", "", U'9', nbElevation, '.', 0},  {"1e3", "", U'7', nbElevation, '.', '7'},
        {"1e", "", U'+', nbElevation, ',', '+'}, {"", "", U'\t', nbElevation, '.', 0},
        // the results table: digits, the separator and a minus that leads
        {"", "", U'-', nbPlanText, ',', '-'},   {"-", "", U'.', nbPlanText, ',', ','},
        {"-0", "", U',', nbPlanText, '.', '.'}, {"0,5", "", U',', nbPlanText, ',', 0},
        {"1", "", U'e', nbPlanText, '.', 0},    {"1", "", U'+', nbPlanText, ',', 0},
        {"1", "", U'-', nbPlanText, ',', 0},    {"1", "", U' ', nbPlanText, '.', 0},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(NumberBoxKey(c.before, c.after, c.key, c.box, c.sep), c.typed)
            << "'" << c.before << "' + " << unsigned(c.key) << " + '" << c.after << "' box " << int(c.box) << " sep "
            << c.sep;
}

TEST(NumberRules, MessagesAndKinds)
{
    auto c = CheckNumberText("0", nrPositive, ',');
    EXPECT_FALSE(c.ok);
    EXPECT_FALSE(c.isError);  // a warning box
    EXPECT_STREQ(c.message, "A caixa de edição deve conter um número positivo.");
    c = CheckNumberText("abc", nrPositive, ',');
    EXPECT_TRUE(c.isError);
    EXPECT_STREQ(c.message, "A caixa de edição contém um número inválido.");
    c = CheckNumberText("", nrAny, ',');
    EXPECT_TRUE(c.isError);
    EXPECT_STREQ(c.message, "A caixa de edição não pode ficar vazia.");
    EXPECT_STREQ(CheckNumberText("-1", nrPositiveOrZero, '.').message,
                 "A caixa de edição deve conter um número positivo ou nulo.");
    EXPECT_TRUE(CheckNumberText("0", nrPositiveOrZero, '.').ok);
    EXPECT_STREQ(CheckNumberText("0", nrNegative, '.').message, "A caixa de edição deve conter um número negativo.");
    // The negative-or-zero message has no full stop.
    EXPECT_STREQ(CheckNumberText("0,1", nrNegativeOrZero, ',').message,
                 "A caixa de edição deve conter um número negativo ou nulo");
    EXPECT_TRUE(CheckNumberText("-3", static_cast<TNumberRule>(9), '.').ok);
    c = CheckNumberText(" 2,5 ", nrPositive, ',');
    EXPECT_TRUE(c.ok);
    EXPECT_EQ(c.value, 2.5L);
}

TEST(IntegerHelpers, CeilFloorMinMax)
{
    EXPECT_EQ(CeilInt(-1.5L), -1);
    EXPECT_EQ(FloorInt(-1.5L), -2);
    EXPECT_EQ(CeilInt(2.0L), 2);
    EXPECT_EQ(FloorInt(2.0L), 2);
    EXPECT_EQ(CeilInt(2.0001L), 3);
    EXPECT_EQ(FloorInt(-0.0001L), -1);
    EXPECT_EQ(FloorInt(1e20L), INT32_MAX);  // saturates instead of wrapping
    EXPECT_EQ(CeilInt(-1e20L), INT32_MIN);
    EXPECT_EQ(MinSingle(1.0f, 2.0f), 1.0f);
    EXPECT_EQ(MinSingle(2.0f, 1.0f), 1.0f);
    EXPECT_EQ(MaxSingle(1.0f, 2.0f), 2.0f);
    EXPECT_EQ(MaxSingle(2.0f, 1.0f), 2.0f);
}

TEST(RoundedStep, WorkedExamples)
{
    int count = -1;
    // 7.3 over 5..10: 1.5 with 5 (n = 10 ties at 0.2 excess and loses).
    EXPECT_NEAR(static_cast<double>(RoundedStep(5, 10, count, 7.3L)), 1.5, 1e-12);
    EXPECT_EQ(count, 5);
    // 10 over 5..10: 2 with 5, exact, stops.
    EXPECT_NEAR(static_cast<double>(RoundedStep(5, 10, count, 10.0L)), 2.0, 1e-12);
    EXPECT_EQ(count, 5);
    // The map graduation: 6..10 over 200 m gives 25 m in 8 intervals.
    EXPECT_NEAR(static_cast<double>(RoundedStep(6, 10, count, 200.0L)), 25.0, 1e-9);
    EXPECT_EQ(count, 8);
    // Large mantissas: 0.97 over 5 -> 0.194 -> 0.2.
    EXPECT_NEAR(static_cast<double>(RoundedStep(5, 5, count, 0.97L)), 0.2, 1e-12);
    // An empty range has no step, and the loop still ends.
    count = 42;
    EXPECT_EQ(RoundedStep(5, 10, count, 0.0L), 0.0L);
    EXPECT_EQ(count, 42);
}

TEST(NumberFormat, Fixed)
{
    EXPECT_EQ(FormatFixed(10.75L, 3, 15, ','), "10,750");
    EXPECT_EQ(FormatFixed(-0.025L, 6, 15, ','), "-0,025000");
    EXPECT_EQ(FormatFixed(3750.0L, 1, 15, '.'), "3750.0");
    EXPECT_EQ(FormatFixed(0.0L, 3, 15, ','), "0,000");
    EXPECT_EQ(FormatFixed(12.0L, 0, 15, ','), "12");
    // Halves away from zero on exact binary halves.
    EXPECT_EQ(FormatFixed(0.125L, 2, 15, '.'), "0.13");
    EXPECT_EQ(FormatFixed(-0.125L, 2, 15, '.'), "-0.13");
    EXPECT_EQ(FormatFixed(2.5L, 0, 15, '.'), "3");
    // A value that rounds to zero loses its sign.
    EXPECT_EQ(FormatFixed(-0.0004L, 3, 15, ','), "0,000");
    EXPECT_EQ(FormatFixed(0.00051L, 3, 15, ','), "0,001");
    EXPECT_EQ(FormatFixed(9.9996L, 3, 15, ','), "10,000");
    // Precision limits the significant digits: 10 digits, then zeros.
    EXPECT_EQ(FormatFixed(123456.789012345L, 8, 10, '.'), "123456.78900000");
    // The single 100.1f shown with 3 decimals is 100.100, not its binary tail.
    EXPECT_EQ(FormatFixed(100.1f, 3, 10, ','), "100,100");
    // More digits before the separator than the precision: scientific.
    EXPECT_EQ(FormatFixed(1.5e12L, 3, 10, ','), "1,5E12");
    EXPECT_EQ(FormatFixed(-9999.99L, 3, 10, ','), "-9999,990");
    // Extended values beyond a double keep their own digits: a third in
    // 64 bits is 0.333333333333333333342..., a double stops at ...3331483.
    EXPECT_EQ(FormatFixed(1.0L / 3.0L, 21, 30, '.'), "0.333333333333333333342");
    EXPECT_EQ(FormatFixed(static_cast<long double>(1.0 / 3.0), 21, 30, '.'), "0.333333333333333314830");
}

TEST(NumberFormat, General)
{
    EXPECT_EQ(FormatGeneral(5.0L, 10, ','), "5");
    EXPECT_EQ(FormatGeneral(1.3L, 10, ','), "1,3");
    EXPECT_EQ(FormatGeneral(0.01L, 10, ','), "0,01");
    EXPECT_EQ(FormatGeneral(-50.0L, 10, '.'), "-50");
    EXPECT_EQ(FormatGeneral(0.0L, 8, '.'), "0");
    // 8 significant digits, as the grid headers use.
    EXPECT_EQ(FormatGeneral(500000.03125L, 8, ','), "500000,03");
    EXPECT_EQ(FormatGeneral(123456789.0L, 8, ','), "1,2345679E8");
    EXPECT_EQ(FormatGeneral(12345678.0L, 8, ','), "12345678");
    EXPECT_EQ(FormatGeneral(0.00001L, 10, '.'), "0.00001");
    EXPECT_EQ(FormatGeneral(0.000001L, 10, '.'), "1E-6");
    EXPECT_EQ(FormatGeneral(0.1f, 10, '.'), "0.1000000015");
    EXPECT_EQ(FormatGeneral(0.1f, 8, '.'), "0.1");
    EXPECT_EQ(FormatGeneral(99999.5L, 5, '.'), "1E5");
}

#pragma once
// Number helpers shared by every dialog, window and the batch front end:
// parsing typed text, integer ceiling and floor, single-precision min/max and
// the round interval used for contour levels and map graduations.

#include <cstdint>
#include <string>
#include <string_view>

namespace nivora {

// Sign rules for typed numbers. Any other value accepts any number.
enum TNumberRule : std::uint8_t {
    nrAny = 0,
    nrPositive = 1,
    nrPositiveOrZero = 2,
    nrNegative = 3,
    nrNegativeOrZero = 4,
};

// The characters a number's text may take for its decimal separator: one, or
// either of two.
struct TDecimalMarks {
    char One = ',';
    char Other = 0;  // 0 for none
    constexpr bool Is(char c) const { return c != 0 && (c == One || c == Other); }
};
// "12,5" and "12.5" alike, as every number field of the program takes them.
inline constexpr TDecimalMarks kEitherMark{',', '.'};

// A number's text taken apart by the program's one grammar of numbers:
// leading spaces, an optional sign, digits, optionally a decimal mark and
// digits, optionally "E" or "e" with an optional sign and digits, then
// trailing spaces; nothing else (no thousands separators, no "nan" or "inf",
// no other minus than "-"). The mantissa's runs of digits may be empty, but
// a digit or the mark must stand before the exponent, and an exponent has its
// digits.
struct TNumberText {
    bool Negative = false;
    std::string_view IntDigits;
    bool HasMark = false;
    std::string_view FracDigits;
    bool HasExponent = false;
    bool ExpNegative = false;
    std::string_view ExpDigits;
    // Whether the mantissa has a digit: "," and "-,e3" have none.
    bool HasDigits() const { return !IntDigits.empty() || !FracDigits.empty(); }
};
// False, `number` untouched, when the text does not follow the grammar.
bool ScanNumber(std::string_view text, TDecimalMarks marks, TNumberText& number);
// The value of a scanned text rounded once to the type. False, value
// untouched, when it overflows the type's range; a value too small for the
// type is 0.
bool NumberValue(const TNumberText& number, long double& value);
bool NumberValue(const TNumberText& number, double& value);

// Reads a number typed by the user (ScanNumber) with the given decimal
// separator, in the extended range. False, value untouched, on anything else
// or on overflow of the extended range.
bool ParseNumber(std::string_view text, long double& value, char decimalSeparator);
// The same with either decimal mark ("12,5" or "12.5").
bool ParseEitherMark(std::string_view text, long double& value);

// A field of exported text wholly enclosed in double quotes ("102,616", as
// spreadsheets write fields in CSV) stands for its content, each doubled
// quote inside standing for one. True and `content` set for such a field;
// false, `content` untouched, for any other (no quotes, or quotes that do not
// enclose the whole field, or a lone quote inside).
bool UnquoteField(std::string_view field, std::string& content);

// The check of a number box as it is typed, key by key: a number ParseNumber
// reads, a lone sign that begins one ("-", "+"), or one whose exponent has
// only its letter and perhaps its sign so far ("1E", "2,5e-"). Such a text is
// not a number yet: reading it fails.
bool IsTypedNumber(std::string_view text, char decimalSeparator);

// The kinds of number box, by what their text may hold as it is typed.
enum TNumberBox : std::uint8_t {
    nbNumber,     // a dialog's box: a number on its way (IsTypedNumber)
    nbElevation,  // a grid cell: the same, and its value so far fits a single
    nbPlanText,   // a plan's typed text in the results table: digits, the
                  // separator and "-" only, reading as a number or a lone "-"
};

// The key filter of every number box: the character a typed key puts in the
// box, or 0 when the key is discarded. "," and "." stand for the decimal
// separator; any other key is kept only when the text it makes, `before` the
// key and `after` it, can stand in a box of that kind. The caller leaves out
// of `before` and `after` the characters the key replaces, and passes on
// keys that type no character (Backspace, Ctrl and Alt combinations).
char NumberBoxKey(std::string_view before, std::string_view after, char32_t key, TNumberBox box, char decimalSeparator);

// Result of checking a typed number against a sign rule: the message to show
// (empty when accepted) and whether it is an error (empty or unreadable text)
// or a warning (wrong sign).
struct TNumberCheck {
    bool ok = false;
    bool isError = false;
    const char* message = "";
    long double value = 0.0L;
};
TNumberCheck CheckNumberText(std::string_view text, TNumberRule rule, char decimalSeparator);

std::int32_t CeilInt(long double x);
std::int32_t FloorInt(long double x);
float MinSingle(float a, float b);
float MaxSingle(float a, float b);

// Chooses, among divisions of range into n equal intervals
// (minCount <= n <= maxCount), the round interval whose n-fold exceeds range
// the least. Mantissas are taken from 10, 15, 20, 25, 30, 40, 50, 75, 80, 100.
// Every intermediate is kept as a 6-byte real.
long double RoundedStep(int minCount, int maxCount, int& count, long double range);

}  // namespace nivora

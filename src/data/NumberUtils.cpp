#include "NumberUtils.h"

#include "Real48.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <string>
#include <utility>

namespace nivora {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool UnquoteField(std::string_view field, std::string& content)
{
    if (field.size() < 2 || field.front() != '"' || field.back() != '"')
        return false;
    const std::string_view inner = field.substr(1, field.size() - 2);
    std::string out;
    out.reserve(inner.size());
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] == '"') {
            // Inside the quotes a quote is only ever written doubled.
            if (i + 1 >= inner.size() || inner[i + 1] != '"')
                return false;
            ++i;
        }
        out.push_back(inner[i]);
    }
    content = std::move(out);
    return true;
}

namespace {

// The run of digits at text[i]; i moves past it.
std::string_view Digits(std::string_view text, std::size_t& i)
{
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return text.substr(start, i - start);
}

// A sign at text[i], taken when there: true for "-".
bool Sign(std::string_view text, std::size_t& i)
{
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return text[i++] == '-';
    return false;
}

void Spaces(std::string_view text, std::size_t& i)
{
    while (i < text.size() && text[i] == ' ')
        ++i;
}

// The scanned number in the syntax from_chars reads: "int.frac" and perhaps
// "e-exp", empty runs written as 0.
std::string Normalised(const TNumberText& n)
{
    std::string s;
    s.reserve(n.IntDigits.size() + n.FracDigits.size() + n.ExpDigits.size() + 6);
    s.append(n.IntDigits.empty() ? std::string_view("0") : n.IntDigits);
    s.push_back('.');
    s.append(n.FracDigits.empty() ? std::string_view("0") : n.FracDigits);
    if (n.HasExponent) {
        s.push_back('e');
        if (n.ExpNegative)
            s.push_back('-');
        s.append(n.ExpDigits);
    }
    return s;
}

// Out of range: too large for the type (a failure), or so small that it is
// zero for every purpose of this program. A negative exponent can still leave
// a huge value ("1" followed by 6000 digits with "e-10"): the decimal
// magnitude decides.
bool Underflows(const TNumberText& n)
{
    if (!n.HasExponent || !n.ExpNegative)
        return false;
    long double exponent = 0.0L;
    for (char c : n.ExpDigits)
        exponent = exponent * 10.0L + (c - '0');
    return static_cast<long double>(n.IntDigits.size()) - exponent <= 0.0L;
}

template <class T>
bool Value(const TNumberText& n, T& value)
{
    const std::string normal = Normalised(n);
    T v = 0;
    const auto [ptr, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), v);
    if (ec == std::errc::result_out_of_range) {
        if (!Underflows(n))
            return false;
        v = 0;
    } else if (ec != std::errc() || ptr != normal.data() + normal.size()) {
        return false;
    }
    value = n.Negative ? -v : v;
    return true;
}

}  // namespace

bool ScanNumber(std::string_view text, TDecimalMarks marks, TNumberText& number)
{
    TNumberText n;
    std::size_t i = 0;
    Spaces(text, i);
    n.Negative = Sign(text, i);
    n.IntDigits = Digits(text, i);
    if (i < text.size() && marks.Is(text[i])) {
        n.HasMark = true;
        n.FracDigits = Digits(text, ++i);
    }
    if (!n.HasDigits() && !n.HasMark)
        return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        n.HasExponent = true;
        n.ExpNegative = Sign(text, ++i);
        n.ExpDigits = Digits(text, i);
        // "1E" or "5e-" is a number still being typed, not a number: the
        // typing check (IsTypedNumber) lets it through, reading does not.
        if (n.ExpDigits.empty())
            return false;
    }
    Spaces(text, i);
    if (i != text.size())
        return false;
    number = n;
    return true;
}

bool NumberValue(const TNumberText& number, long double& value) { return Value(number, value); }

bool NumberValue(const TNumberText& number, double& value) { return Value(number, value); }

bool ParseNumber(std::string_view text, long double& value, char decimalSeparator)
{
    TNumberText n;
    return ScanNumber(text, {decimalSeparator, 0}, n) && NumberValue(n, value);
}

bool ParseEitherMark(std::string_view text, long double& value)
{
    TNumberText n;
    return ScanNumber(text, kEitherMark, n) && NumberValue(n, value);
}

bool IsTypedNumber(std::string_view text, char decimalSeparator)
{
    long double v = 0.0L;
    if (ParseNumber(text, v, decimalSeparator))
        return true;
    // A sign that leads the number: negative elevations are typed "-" first.
    const std::size_t first = text.find_first_not_of(' ');
    if (first != std::string_view::npos && text.substr(first).size() == 1 && (text[first] == '-' || text[first] == '+'))
        return true;
    // A complete mantissa followed by the exponent letter and perhaps its sign.
    std::size_t end = text.size();
    if (end > 0 && (text[end - 1] == '+' || text[end - 1] == '-'))
        --end;
    if (end == 0 || (text[end - 1] != 'E' && text[end - 1] != 'e'))
        return false;
    const std::string_view mantissa = text.substr(0, end - 1);
    if (mantissa.empty() || mantissa.back() == ' ' || mantissa.find_first_of("Ee") != std::string_view::npos)
        return false;
    return ParseNumber(mantissa, v, decimalSeparator);
}

char NumberBoxKey(std::string_view before, std::string_view after, char32_t key, TNumberBox box, char sep)
{
    if (key == U',' || key == U'.')
        key = static_cast<unsigned char>(sep);
    // Every character a number is written with is ASCII.
    if (key < 0x20 || key > 0x7E)
        return 0;
    const char c = static_cast<char>(key);
    if (box == nbPlanText && !(IsDigit(c) || c == sep || c == '-'))
        return 0;
    std::string text;
    text.reserve(before.size() + 1 + after.size());
    text.append(before).append(1, c).append(after);
    long double v = 0;
    switch (box) {
    case nbNumber: return IsTypedNumber(text, sep) ? c : 0;
    case nbElevation:
        // An exponent still without digits leaves the value of the text before it.
        if (!IsTypedNumber(text, sep))
            return 0;
        return !ParseNumber(text, v, sep) || std::isfinite(static_cast<float>(v)) ? c : 0;
    case nbPlanText: return text == "-" || ParseNumber(text, v, sep) ? c : 0;
    }
    return 0;
}

TNumberCheck CheckNumberText(std::string_view text, TNumberRule rule, char decimalSeparator)
{
    TNumberCheck r;
    if (text.empty()) {
        r.isError = true;
        r.message = "A caixa de edição não pode ficar vazia.";
        return r;
    }
    long double v = 0.0L;
    if (!ParseNumber(text, v, decimalSeparator)) {
        r.isError = true;
        r.message = "A caixa de edição contém um número inválido.";
        return r;
    }
    switch (rule) {
    case nrPositive:
        if (!(v > 0.0L))
            r.message = "A caixa de edição deve conter um número positivo.";
        break;
    case nrPositiveOrZero:
        if (!(v >= 0.0L))
            r.message = "A caixa de edição deve conter um número positivo ou nulo.";
        break;
    case nrNegative:
        if (!(v < 0.0L))
            r.message = "A caixa de edição deve conter um número negativo.";
        break;
    case nrNegativeOrZero:
        if (!(v <= 0.0L))
            r.message = "A caixa de edição deve conter um número negativo ou nulo";
        break;
    default: break;
    }
    r.ok = *r.message == '\0';
    r.value = v;
    return r;
}

namespace {

// The integer part of x, saturated to the 32-bit range (NaN gives 0).
std::int32_t Trunc32(long double x)
{
    if (!(x == x))
        return 0;
    if (x >= 2147483647.0L)
        return INT32_MAX;
    if (x <= -2147483648.0L)
        return INT32_MIN;
    return static_cast<std::int32_t>(std::trunc(x));
}

}  // namespace

std::int32_t CeilInt(long double x)
{
    auto i = Trunc32(x);
    if (i == INT32_MAX)
        return i;
    if (x - static_cast<long double>(i) > 0.0L)
        ++i;
    return i;
}

std::int32_t FloorInt(long double x)
{
    auto i = Trunc32(x);
    if (i == INT32_MIN)
        return i;
    if (x - static_cast<long double>(i) < 0.0L)
        --i;
    return i;
}

float MinSingle(float a, float b) { return b >= a ? a : b; }
float MaxSingle(float a, float b) { return b > a ? b : a; }

long double RoundedStep(int minCount, int maxCount, int& count, long double range)
{
    static constexpr int kMantissas[] = {10, 15, 20, 25, 30, 40, 50, 75, 80, 100};
    Real48 best = 1e30L;
    Real48 step = 0.0L;
    for (int n = minCount; n <= maxCount; ++n) {
        if (n <= 0 || !(range > 0.0L) || !std::isfinite(range))
            continue;  // no interval divides an empty or undefined range
        const Real48 s = range / n;
        const int e = FloorInt(std::log10(static_cast<long double>(s)));
        const Real48 m = s * 10.0L / std::pow(10.0L, e);
        long double t = 100.0L;
        for (int mantissa : kMantissas) {
            if (mantissa >= m) {
                t = mantissa;
                break;
            }
        }
        const Real48 candidate = t * std::pow(10.0L, e - 1);
        const Real48 excess = candidate * n - range;
        if (excess < best) {
            best = excess;
            step = candidate;
            count = n;
        }
        if (excess == 0.0L)
            break;
    }
    return step;
}

}  // namespace nivora

#include "NumberFormat.h"

#include "NumberUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace nivora {

namespace {

// A decimal view of |value|: 0.d1 d2 d3 ... x 10^point. Digits carry far more
// places than any format asks for, so rounding them once more is exact except
// for values within 1e-40 (relative) of a tie.
// The digits are set to "0" with assign(1, '0'): g++ 12 at -O3 takes the
// copy of a literal into a string for overlapping memcpy (-Wrestrict, a
// false alarm of that compiler).
struct Decimal {
    std::string digits;  // no leading zero unless the value is zero
    int point = 0;       // position of the decimal point relative to digits[0]
};

Decimal ToDecimal(long double magnitude)
{
    Decimal d;
    if (magnitude == 0.0L) {
        d.digits.assign(1, '0');
        d.point = 1;
        return d;
    }
    char buf[96];
    // Singles and 6-byte reals are doubles exactly, and the double conversion
    // is much the faster one; both give the exact digits.
    const auto asDouble = static_cast<double>(magnitude);
    const auto res = static_cast<long double>(asDouble) == magnitude
                         ? std::to_chars(buf, buf + sizeof buf, asDouble, std::chars_format::scientific, 40)
                         : std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 40);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
    for (char c : text.substr(0, e))
        if (c != '.')
            d.digits.push_back(c);
    d.point = exponent + 1;
    return d;
}

// Keeps `keep` digits (may be zero or negative), rounding halves away from
// zero; the point moves when the carry adds a digit.
Decimal RoundDigits(const Decimal& d, int keep)
{
    Decimal r;
    r.point = d.point;
    if (keep < 0) {
        r.digits.assign(1, '0');
        r.point = 1;
        return r;
    }
    if (static_cast<std::size_t>(keep) >= d.digits.size()) {
        r.digits = d.digits;
        return r;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    r.digits = d.digits.substr(0, static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && r.digits[static_cast<std::size_t>(i)] == '9') {
            r.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            r.digits.insert(r.digits.begin(), '1');
            ++r.point;
        } else {
            ++r.digits[static_cast<std::size_t>(i)];
        }
    }
    if (r.digits.empty() || r.digits.find_first_not_of('0') == std::string::npos) {
        r.digits.assign(1, '0');
        r.point = 1;
    }
    return r;
}

std::string Scientific(const Decimal& d, bool negative, char sep)
{
    std::string s;
    if (negative)
        s.push_back('-');
    std::string digits = d.digits;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    s.push_back(digits[0]);
    if (digits.size() > 1) {
        s.push_back(sep);
        s.append(digits, 1);
    }
    s.push_back('E');
    s.append(std::to_string(d.point - 1));
    return s;
}

std::string NonFinite(long double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

bool IsZero(const Decimal& d) { return d.digits == "0"; }

}  // namespace

std::string FormatGeneral(long double value, int digits, char sep)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    digits = std::clamp(digits, 1, 40);
    const bool negative = value < 0;
    Decimal d = RoundDigits(ToDecimal(std::fabs(value)), digits);
    if (IsZero(d))
        return "0";
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    const int exponent = d.point - 1;
    if (exponent < -5 || d.point > digits)
        return Scientific(d, negative, sep);
    std::string s;
    if (negative)
        s.push_back('-');
    if (d.point <= 0) {
        s.append("0");
        s.push_back(sep);
        s.append(static_cast<std::size_t>(-d.point), '0');
        s.append(d.digits);
    } else if (static_cast<std::size_t>(d.point) >= d.digits.size()) {
        s.append(d.digits);
        s.append(static_cast<std::size_t>(d.point) - d.digits.size(), '0');
    } else {
        s.append(d.digits, 0, static_cast<std::size_t>(d.point));
        s.push_back(sep);
        s.append(d.digits, static_cast<std::size_t>(d.point));
    }
    return s;
}

std::string FormatFixed(long double value, int decimals, int precision, char sep)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    decimals = std::clamp(decimals, 0, 40);
    precision = std::clamp(precision, 1, 40);
    const bool negative = value < 0;
    const Decimal exact = ToDecimal(std::fabs(value));
    if (!IsZero(exact) && exact.point > precision)
        return Scientific(RoundDigits(exact, precision), negative, sep);
    // One rounding, at whichever comes first: the last significant digit or
    // the last decimal.
    const Decimal d = RoundDigits(exact, std::min(precision, exact.point + decimals));
    if (!IsZero(d) && d.point > precision)
        return Scientific(d, negative, sep);
    std::string s;
    if (negative && !IsZero(d))
        s.push_back('-');
    const auto digitAt = [&](int position) -> char {  // position 0 = first digit
        if (IsZero(d) || position < 0 || position >= static_cast<int>(d.digits.size()))
            return '0';
        return d.digits[static_cast<std::size_t>(position)];
    };
    const int point = IsZero(d) ? 1 : d.point;
    if (point <= 0) {
        s.push_back('0');
    } else {
        for (int i = 0; i < point; ++i)
            s.push_back(digitAt(i));
    }
    if (decimals > 0) {
        s.push_back(sep);
        for (int i = 0; i < decimals; ++i)
            s.push_back(digitAt(point + i));
    }
    return s;
}

std::string FormatShortest(long double value, char sep)
{
    const auto single = static_cast<float>(value);
    if (!std::isfinite(value) || static_cast<long double>(single) != value || value == 0)
        return FormatGeneral(value, 10, sep);
    // At least the digits before the separator, so that the text never
    // turns scientific for want of digits.
    const long double magnitude = std::fabs(value);
    int digits = magnitude >= 1 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 1;
    for (digits = std::clamp(digits, 1, 9); digits < 9; ++digits) {
        long double back = 0;
        if (ParseNumber(FormatGeneral(value, digits, '.'), back, '.') && static_cast<float>(back) == single)
            break;
    }
    return FormatGeneral(value, digits, sep);
}

}  // namespace nivora

#pragma once
// The 6-byte real in which the terrain keeps and stores its spacings, origin
// and plan values.
//
// Layout: byte 0 is the biased exponent e (bias 129); bytes 1..5 hold a 39-bit
// fraction f, least significant byte first, its top 7 bits in bits 0-6 of
// byte 5; bit 7 of byte 5 is the sign. e = 0 is the value 0, otherwise the
// value is (-1)^s * (1 + f / 2^39) * 2^(e - 129).
//
// In memory a Real48 is the long double it stands for, already rounded to the
// 40-bit significand, so arithmetic on it is plain long double arithmetic and
// every assignment is the rounding point.

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace nivora {

class Real48 {
public:
    enum class Status { Ok, Underflow, Overflow, NotFinite };
    using Bytes = std::array<std::uint8_t, 6>;

    constexpr Real48() = default;
    // Rounds to the nearest 6-byte real, halves away from zero. Values too
    // small for the format become 0; too large or not finite throw
    // std::overflow_error, which the command wrapper reports.
    Real48(long double x) : value_(Round(x)) {}

    operator long double() const { return value_; }
    long double Value() const { return value_; }

    // Conversion of a value to the format, with an explicit status: on
    // Overflow and NotFinite the bytes are left all zero.
    static Status Encode(long double x, Bytes& out);
    static long double Decode(const Bytes& in);
    static long double Decode(const std::uint8_t* in);
    // The nearest representable value; throws on overflow or not finite.
    // Works on the bits of the 80-bit extended value: this runs once per stake
    // in every pass over the grid.
    static long double Round(long double x)
    {
        static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended precision expected");
        std::uint64_t m;
        std::uint16_t se;
        std::memcpy(&m, &x, 8);
        std::memcpy(&se, reinterpret_cast<const char*>(&x) + 8, 2);
        int exp = se & 0x7FFF;
        if (exp == 0x7FFF)
            ThrowNotFinite();
        if (exp == 0 || m == 0)
            return 0.0L;  // zero, or an extended denormal: far below the format's range
        // Keep the top 40 bits of the 64-bit significand, halves away from zero.
        std::uint64_t r = m + (std::uint64_t{1} << 23);
        if (r < m) {  // carried out of the top bit: the value became a power of two
            r = std::uint64_t{1} << 63;
            ++exp;
        }
        r &= ~((std::uint64_t{1} << 24) - 1);
        const int biased = exp - 16383 + 129;
        if (biased <= 0)
            return 0.0L;
        if (biased > 255)
            ThrowOverflow();
        se = static_cast<std::uint16_t>((se & 0x8000) | exp);
        long double y = 0.0L;
        std::memcpy(&y, &r, 8);
        std::memcpy(reinterpret_cast<char*>(&y) + 8, &se, 2);
        return y;
    }

    Bytes ToBytes() const;
    static Real48 FromBytes(const std::uint8_t* in);

private:
    [[noreturn]] static void ThrowOverflow();
    [[noreturn]] static void ThrowNotFinite();

    long double value_ = 0.0L;
};

}  // namespace nivora

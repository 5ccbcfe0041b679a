// The 6-byte real: golden bytes, rounding, range.

#include "data/Real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using nivora::Real48;

namespace {

Real48::Bytes Enc(long double x, Real48::Status expected = Real48::Status::Ok)
{
    Real48::Bytes b;
    EXPECT_EQ(Real48::Encode(x, b), expected) << static_cast<double>(x);
    return b;
}

}  // namespace

TEST(Real48, GoldenBytes)
{
    using B = Real48::Bytes;
    EXPECT_EQ(Enc(0.0L), (B{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Enc(1.0L), (B{0x81, 0, 0, 0, 0, 0}));
    // -1.5: exponent 129, fraction 0.5 -> top fraction bit (bit 38), sign bit.
    EXPECT_EQ(Enc(-1.5L), (B{0x81, 0, 0, 0, 0, 0xC0}));
    EXPECT_EQ(Enc(2.0L), (B{0x82, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Enc(0.5L), (B{0x80, 0, 0, 0, 0, 0}));
    // 10.75 = 1.34375 * 2^3: fraction 0.34375 = 0b01011 at the top.
    EXPECT_EQ(Enc(10.75L), (B{0x84, 0, 0, 0, 0, 0x2C}));
    // 1e10 and 1e-10 round-trip through their bytes to the rounded value.
    for (long double v : {1e10L, 1e-10L, 123456.789L, -0.025L}) {
        const auto b = Enc(v);
        EXPECT_NEAR(static_cast<double>(Real48::Decode(b) / v), 1.0, 1e-12);
        EXPECT_EQ(Real48::Decode(b), Real48::Round(v));
    }
}

TEST(Real48, RoundsHalvesAwayFromZero)
{
    const long double ulp = std::ldexp(1.0L, -39);  // one unit of the fraction at 1.0
    // Exactly half a unit above 1: rounds up (away from zero), both signs.
    EXPECT_EQ(Real48::Round(1.0L + ulp / 2), 1.0L + ulp);
    EXPECT_EQ(Real48::Round(-(1.0L + ulp / 2)), -(1.0L + ulp));
    // Just below half: down.
    EXPECT_EQ(Real48::Round(1.0L + ulp / 2 - ulp / 1024), 1.0L);
    // 1.5 units: away from zero too (not to even).
    EXPECT_EQ(Real48::Round(1.0L + 1.5L * ulp), 1.0L + 2 * ulp);
    // A carry out of the fraction moves the exponent.
    const long double justBelowTwo = 2.0L - ulp / 4;
    EXPECT_EQ(Real48::Round(justBelowTwo), 2.0L);
    EXPECT_EQ(Enc(justBelowTwo), (Real48::Bytes{0x82, 0, 0, 0, 0, 0}));
}

TEST(Real48, RangeLimits)
{
    // Smallest: exponent byte 1 = 2^-128. Half of it underflows to 0.
    EXPECT_EQ(Real48::Round(std::ldexp(1.0L, -128)), std::ldexp(1.0L, -128));
    EXPECT_EQ(Real48::Round(std::ldexp(1.0L, -129)), 0.0L);
    EXPECT_EQ(Enc(std::ldexp(1.0L, -129), Real48::Status::Underflow), (Real48::Bytes{}));
    EXPECT_EQ(Real48::Round(1e-300L), 0.0L);
    // Largest exponent byte 255 = 2^126; 2^127 overflows.
    EXPECT_EQ(Real48::Round(std::ldexp(1.0L, 126)), std::ldexp(1.0L, 126));
    EXPECT_THROW(Real48::Round(std::ldexp(1.0L, 127)), std::overflow_error);
    Real48::Bytes b;
    EXPECT_EQ(Real48::Encode(std::ldexp(1.0L, 127), b), Real48::Status::Overflow);
    EXPECT_EQ(Real48::Encode(NAN, b), Real48::Status::NotFinite);
    EXPECT_THROW(Real48::Round(INFINITY), std::overflow_error);
    // The conversion a plain assignment takes refuses it too.
    EXPECT_THROW(static_cast<void>(Real48{NAN}), std::overflow_error);
    // Just under 2^127 rounds up into the overflow.
    EXPECT_THROW(Real48::Round(std::ldexp(2.0L - std::ldexp(1.0L, -45), 126)), std::overflow_error);
}

TEST(Real48, FastRoundAgreesWithEncoding)
{
    // Round works on the extended value's bits, Encode through frexp: they
    // must be the same rounding on every value.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mant(-2.0, 2.0);
    std::uniform_int_distribution<int> exps(-120, 120);
    for (int i = 0; i < 200000; ++i) {
        long double x = std::ldexp(static_cast<long double>(mant(rng)), exps(rng));
        x += std::ldexp(static_cast<long double>(mant(rng)), exps(rng) - 60);  // bits beyond double
        Real48::Bytes b;
        Real48::Encode(x, b);
        ASSERT_EQ(Real48::Decode(b), Real48::Round(x)) << i;
        // The decoded value is a fixed point of the rounding.
        ASSERT_EQ(Real48::Round(Real48::Decode(b)), Real48::Decode(b));
    }
}

TEST(Real48, ValueTypeRoundsOnAssignment)
{
    Real48 r = 0.1L;
    EXPECT_NE(static_cast<long double>(r), 0.1L);  // 40 bits, not 64
    EXPECT_NEAR(static_cast<double>(r), 0.1, 1e-12);
    const auto bytes = r.ToBytes();
    EXPECT_EQ(Real48::FromBytes(bytes.data()), r);
}

#include "Real48.h"

#include <cmath>

namespace nivora {

namespace {

constexpr int kBias = 129;
constexpr long double kTwo39 = 549755813888.0L;  // 2^39

struct Parts {
    Real48::Status status = Real48::Status::Ok;
    int exponent = 0;            // biased, 1..255 when status is Ok and value != 0
    std::uint64_t fraction = 0;  // 39 bits
    bool negative = false;
    bool zero = true;
};

Parts Split(long double x)
{
    Parts p;
    if (!std::isfinite(x)) {
        p.status = Real48::Status::NotFinite;
        return p;
    }
    if (x == 0.0L)
        return p;
    p.negative = std::signbit(x);
    int k = 0;
    const long double f = std::frexp(std::fabs(x), &k);  // |x| = f * 2^k, f in [0.5, 1)
    // |x| = (2f) * 2^(k-1) with 2f in [1, 2): the scaled fraction below is exact
    // in long double, since x has at most 64 significant bits.
    const long double scaled = (2.0L * f - 1.0L) * kTwo39;
    long double rounded = std::round(scaled);  // halves away from zero
    int e = k - 1 + kBias;
    if (rounded >= kTwo39) {
        rounded = 0.0L;
        ++e;
    }
    if (e <= 0) {
        p.status = Real48::Status::Underflow;
        return p;
    }
    if (e > 255) {
        p.status = Real48::Status::Overflow;
        return p;
    }
    p.zero = false;
    p.exponent = e;
    p.fraction = static_cast<std::uint64_t>(rounded);
    return p;
}

long double Compose(const Parts& p)
{
    if (p.zero)
        return 0.0L;
    const long double m = 1.0L + static_cast<long double>(p.fraction) / kTwo39;
    const long double v = std::ldexp(m, p.exponent - kBias);
    return p.negative ? -v : v;
}

}  // namespace

Real48::Status Real48::Encode(long double x, Bytes& out)
{
    out.fill(0);
    const Parts p = Split(x);
    if (p.zero)
        return p.status;
    out[0] = static_cast<std::uint8_t>(p.exponent);
    for (std::size_t i = 0; i < 5; ++i)
        out[1 + i] = static_cast<std::uint8_t>((p.fraction >> (8 * i)) & 0xFF);
    if (p.negative)
        out[5] |= 0x80;
    return p.status;
}

long double Real48::Decode(const std::uint8_t* in)
{
    if (in[0] == 0)
        return 0.0L;
    Parts p;
    p.zero = false;
    p.exponent = in[0];
    for (int i = 0; i < 5; ++i)
        p.fraction |= static_cast<std::uint64_t>(in[1 + i]) << (8 * i);
    p.negative = (p.fraction >> 39) & 1;
    p.fraction &= (std::uint64_t{1} << 39) - 1;
    return Compose(p);
}

long double Real48::Decode(const Bytes& in) { return Decode(in.data()); }

void Real48::ThrowOverflow()
{
    throw std::overflow_error("Estouro de ponto flutuante: valor fora do alcance do real de 6 bytes.");
}

void Real48::ThrowNotFinite()
{
    throw std::overflow_error("Operação de ponto flutuante inválida: o resultado não é um número finito.");
}

Real48::Bytes Real48::ToBytes() const
{
    Bytes b;
    Encode(value_, b);  // value_ is representable: always Ok
    return b;
}

Real48 Real48::FromBytes(const std::uint8_t* in)
{
    Real48 r;
    r.value_ = Decode(in);
    return r;
}

}  // namespace nivora

#pragma once
// Little-endian byte streams over memory, the medium in which project files
// are built and read. The reader never reads past its end: a short read fails
// and reports it, leaving the destination untouched.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace nivora {

static_assert(std::endian::native == std::endian::little, "project files are read and written in host order");

class TByteWriter {
public:
    std::size_t Position() const { return pos_; }
    void Seek(std::size_t pos) { pos_ = pos; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }
    void Reserve(std::size_t n) { bytes_.reserve(n); }

    void Write(const void* data, std::size_t n)
    {
        if (pos_ + n > bytes_.size())
            bytes_.resize(pos_ + n);
        if (n)
            std::memcpy(bytes_.data() + pos_, data, n);
        pos_ += n;
    }
    void WriteU8(std::uint8_t v) { Write(&v, 1); }
    void WriteBool(bool v) { WriteU8(v ? 1 : 0); }
    void WriteI32(std::int32_t v)
    {
        std::uint8_t b[4];
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<std::uint8_t>(u >> (8 * i));
        Write(b, 4);
    }
    void WriteSingle(float v)
    {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        WriteI32(static_cast<std::int32_t>(u));
    }
    // Floats in the order they lie in memory (the host is little-endian, as
    // every platform the program runs on).
    void WriteSingles(const float* v, std::size_t n) { Write(v, n * 4); }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

class TByteReader {
public:
    explicit TByteReader(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t Position() const { return pos_; }
    std::size_t Size() const { return data_.size(); }
    std::size_t Remaining() const { return data_.size() - pos_; }
    bool Seek(std::size_t pos)
    {
        if (pos > data_.size())
            return false;
        pos_ = pos;
        return true;
    }

    // The next n bytes in place, without moving; nullptr when fewer remain.
    const std::uint8_t* Peek(std::size_t n) const { return n <= Remaining() ? data_.data() + pos_ : nullptr; }

    bool Read(void* out, std::size_t n)
    {
        if (n > Remaining())
            return false;
        if (n)
            std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    bool ReadU8(std::uint8_t& v) { return Read(&v, 1); }
    bool ReadBool(bool& v)
    {
        std::uint8_t b;
        if (!ReadU8(b))
            return false;
        v = b != 0;
        return true;
    }
    bool ReadI32(std::int32_t& v)
    {
        std::uint8_t b[4];
        if (!Read(b, 4))
            return false;
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<std::uint32_t>(b[i]) << (8 * i);
        v = static_cast<std::int32_t>(u);
        return true;
    }
    bool ReadSingle(float& v)
    {
        std::int32_t i;
        if (!ReadI32(i))
            return false;
        std::memcpy(&v, &i, 4);
        return true;
    }
    bool ReadSingles(float* out, std::size_t n) { return Read(out, n * 4); }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}  // namespace nivora

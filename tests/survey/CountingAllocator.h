#pragma once
// Counts every allocation of the program that includes this header: what is
// in use and its peak, for tests and benchmarks of memory. It replaces the
// global operator new and delete, so exactly one file of a program includes it.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace nivora::testing {

inline std::atomic<long long> gInUse{0};
inline std::atomic<long long> gPeak{0};

// What `work` allocates at its peak beyond what was in use before it.
template <typename F>
long long PeakAllocatedDuring(F work)
{
    const long long before = gInUse.load();
    gPeak = before;
    work();
    return gPeak.load() - before;
}

namespace detail {

// Each block carries its size ahead of it, aligned as new must align.
constexpr std::size_t kHead = alignof(std::max_align_t);

inline void* Allocate(std::size_t n)
{
    auto* p = static_cast<unsigned char*>(std::malloc(n + kHead));
    if (!p)
        throw std::bad_alloc();
    std::memcpy(p, &n, sizeof n);
    const long long now = gInUse += static_cast<long long>(n);
    long long peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
    return p + kHead;
}

inline void Release(void* q) noexcept
{
    if (!q)
        return;
    auto* p = static_cast<unsigned char*>(q) - kHead;
    std::size_t n;
    std::memcpy(&n, p, sizeof n);
    gInUse -= static_cast<long long>(n);
    std::free(p);
}

}  // namespace detail
}  // namespace nivora::testing

void* operator new(std::size_t n) { return nivora::testing::detail::Allocate(n); }
void* operator new[](std::size_t n) { return nivora::testing::detail::Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    try {
        return nivora::testing::detail::Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { nivora::testing::detail::Release(p); }
void operator delete[](void* p) noexcept { nivora::testing::detail::Release(p); }
void operator delete(void* p, std::size_t) noexcept { nivora::testing::detail::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { nivora::testing::detail::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { nivora::testing::detail::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { nivora::testing::detail::Release(p); }

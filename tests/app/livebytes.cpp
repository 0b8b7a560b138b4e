#include "livebytes.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::ptrdiff_t> g_live{0};
constexpr std::size_t kHead = 16;  // keeps the caller's alignment
}  // namespace

std::ptrdiff_t LiveBytes() { return g_live.load(); }

void* operator new(std::size_t n) {
    auto* p = static_cast<unsigned char*>(std::malloc(n + kHead));
    if (!p) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(p) = n;
    g_live += std::ptrdiff_t(n);
    return p + kHead;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    auto* base = static_cast<unsigned char*>(p) - kHead;
    g_live -= std::ptrdiff_t(*reinterpret_cast<std::size_t*>(base));
    std::free(base);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

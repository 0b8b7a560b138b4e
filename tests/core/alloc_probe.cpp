#include "alloc_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_largest{0};
}

void ResetLargestAllocation() { g_largest = 0; }
std::size_t LargestAllocation() { return g_largest.load(); }

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
void Note(std::size_t n) {
    std::size_t seen = g_largest.load();
    while (n > seen && !g_largest.compare_exchange_weak(seen, n)) {
    }
}
}  // namespace

void* operator new(std::size_t n) {
    Note(n);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// The standard library's temporary buffers come from here, freed by the above.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    Note(n);
    return std::malloc(n ? n : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
// Large buffers come aligned.
void* operator new(std::size_t n, std::align_val_t a) {
    Note(n);
    if (void* p =
            std::aligned_alloc(std::size_t(a), (n + std::size_t(a) - 1) & ~(std::size_t(a) - 1)))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

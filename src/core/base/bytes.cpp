#include "base/bytes.h"

#include <sys/mman.h>

#include <mutex>

namespace {
// The last large buffer freed, kept for the next of about its size: the
// allocator would hand fresh pages to every build, each one faulted in anew.
std::mutex g_lock;
void* g_spare = nullptr;
std::size_t g_spareBytes = 0;
constexpr std::size_t kLargestSpare = std::size_t(64) << 20;
}  // namespace

void* AllocateLarge(std::size_t bytes) {
    {
        const std::lock_guard<std::mutex> hold(g_lock);
        if (g_spare && g_spareBytes >= bytes && g_spareBytes - bytes <= bytes / 2) {
            void* p = g_spare;
            g_spare = nullptr;
            return p;
        }
    }
    // The spare's size is not known to the caller, so it stays at least bytes.
    void* p = ::operator new(bytes, std::align_val_t(kLargeBuffer));
#ifdef MADV_HUGEPAGE
    // Whole 4 KiB pages only; the advice is a hint, and its failure is no error.
    ::madvise(p, bytes & ~std::size_t(4095), MADV_HUGEPAGE);
#endif
    return p;
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
    void* old = p;
    // Beyond a few images' worth, holding memory back costs more than faults.
    if (bytes <= kLargestSpare) {
        const std::lock_guard<std::mutex> hold(g_lock);
        old = g_spare;
        g_spare = p;
        g_spareBytes = bytes;
    }
    if (old) ::operator delete(old, std::align_val_t(kLargeBuffer));
}

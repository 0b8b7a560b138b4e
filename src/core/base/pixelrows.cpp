#include "base/pixelrows.h"

#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/bytes.h"

namespace {

void BgrToColorsPlain(const std::uint8_t* src, std::size_t n, std::uint32_t* dst) {
    for (std::size_t x = 0; x < n; ++x, src += 3)
        dst[x] = 0xFF000000u | std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 | src[0];
}

std::uint64_t ColorsTo565Plain(const std::uint32_t* src, std::size_t n, std::uint8_t* dst,
                               std::uint32_t& opaque) {
    std::uint64_t changed = 0;
    for (std::size_t x = 0; x < n; ++x) {
        changed += (src[x] & kLostBits) != 0;
        opaque &= src[x];
        PutU16(dst + 2 * x, Nearest565(src[x]));
    }
    return changed;
}

#if defined(__x86_64__)
// Four pixels a step: twelve bytes shuffled into four colours. The last
// step would load past the row's end, so it is left to the plain loop.
__attribute__((target("ssse3"))) void BgrToColorsSsse3(const std::uint8_t* src, std::size_t n,
                                                       std::uint32_t* dst) {
    constexpr char Z = char(0x80);
    const __m128i spread = _mm_setr_epi8(0, 1, 2, Z, 3, 4, 5, Z, 6, 7, 8, Z, 9, 10, 11, Z);
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    std::size_t x = 0;
    for (; x + 6 <= n; x += 4, src += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                         _mm_or_si128(_mm_shuffle_epi8(v, spread), alpha));
    }
    BgrToColorsPlain(src, n - x, dst + x);
}

// Eight pixels a step (SSE2, which every x86-64 has): rounded up by a
// saturating add of bytes, shifted into place in 32-bit lanes, packed to 16.
std::uint64_t ColorsTo565Sse2(const std::uint32_t* src, std::size_t n, std::uint8_t* dst,
                              std::uint32_t& opaque) {
    const __m128i round = _mm_set1_epi32(0x00040204), lost = _mm_set1_epi32(kLostBits);
    const __m128i red = _mm_set1_epi32(0xF800), green = _mm_set1_epi32(0x7E0),
                  blue = _mm_set1_epi32(0x1F), flip32 = _mm_set1_epi32(0x8000),
                  flip16 = _mm_set1_epi16(short(0x8000)), zero = _mm_setzero_si128();
    __m128i all = _mm_set1_epi32(-1), exact = zero;
    const auto to565 = [&](__m128i v) {
        all = _mm_and_si128(all, v);
        exact = _mm_sub_epi32(exact, _mm_cmpeq_epi32(_mm_and_si128(v, lost), zero));
        const __m128i s = _mm_adds_epu8(v, round);
        const __m128i packed =
            _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_epi32(s, 8), red),
                                      _mm_and_si128(_mm_srli_epi32(s, 5), green)),
                         _mm_and_si128(_mm_srli_epi32(s, 3), blue));
        return _mm_sub_epi32(packed, flip32);  // within a signed 16-bit lane
    };
    std::size_t x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m128i a = to565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x)));
        const __m128i b = to565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x + 4)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * x),
                         _mm_xor_si128(_mm_packs_epi32(a, b), flip16));
    }
    alignas(16) std::uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), all);
    opaque &= lanes[0] & lanes[1] & lanes[2] & lanes[3];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), exact);
    const std::uint64_t changed = x - (std::uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3]);
    return changed + ColorsTo565Plain(src + x, n - x, dst + 2 * x, opaque);
}
#endif

// A bit field's value as 8 bits.
struct Field {
    explicit Field(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        width = int(std::bit_width(m >> shift));
    }
    std::uint32_t Color(std::uint32_t v) const {
        const std::uint32_t c = (v & mask) >> shift;
        return width > 8 ? c >> (width - 8) : c << (8 - width);
    }
    std::uint32_t Alpha(std::uint32_t v) const {
        if (mask == 0) return 0xFF;
        const std::uint64_t most = mask >> shift;
        return std::uint32_t((std::uint64_t((v & mask) >> shift) * 255 + most / 2) / most);
    }
    std::uint32_t mask = 0;
    int shift = 0, width = 0;
};

}  // namespace

void IndicesRow(const std::uint8_t* Src, std::uint32_t Bits, std::size_t Width, std::uint8_t* Dst) {
    if (Bits == 8) {
        std::memcpy(Dst, Src, Width);
        return;
    }
    const std::uint32_t perByte = 8 / Bits, last = (1u << Bits) - 1;
    for (std::size_t x = 0; x < Width; ++x) {
        const std::uint32_t at = std::uint32_t(x % perByte) * Bits;
        Dst[x] = std::uint8_t((std::uint32_t(Src[x / perByte]) >> (8 - Bits - at)) & last);
    }
}

void ColorsRow(const std::uint8_t* Src, std::uint32_t Bits, const std::uint32_t Masks[4],
               std::size_t Width, std::uint32_t* Dst) {
    if (Bits == 24) return BgrToColors(Src, Width, Dst);
    constexpr std::uint32_t kOpaque = 0xFF000000u;
    const std::uint32_t used = Bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const std::uint32_t* m = Masks;
    if (Bits == 32 && m[0] == 0xFF0000u && m[1] == 0xFF00u && m[2] == 0xFFu &&
        (m[3] == 0 || m[3] == kOpaque)) {
        const std::uint32_t fill = m[3] == 0 ? kOpaque : 0;
        for (std::size_t x = 0; x < Width; ++x) Dst[x] = GetU32(Src + 4 * x) | fill;
        return;
    }
    const Field r(m[0] & used), g(m[1] & used), b(m[2] & used), a(m[3] & used);
    for (std::size_t x = 0; x < Width; ++x) {
        const std::uint32_t v = Bits == 16 ? GetU16(Src + 2 * x) : GetU32(Src + 4 * x);
        Dst[x] = a.Alpha(v) << 24 | r.Color(v) << 16 | g.Color(v) << 8 | b.Color(v);
    }
}

void BgrToColors(const std::uint8_t* Src, std::size_t N, std::uint32_t* Dst) {
#if defined(__x86_64__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) return BgrToColorsSsse3(Src, N, Dst);
#endif
    BgrToColorsPlain(Src, N, Dst);
}

std::uint64_t ColorsTo565(const std::uint32_t* Src, std::size_t N, std::uint8_t* Dst,
                          std::uint32_t& Opaque) {
#if defined(__x86_64__)
    return ColorsTo565Sse2(Src, N, Dst, Opaque);
#else
    return ColorsTo565Plain(Src, N, Dst, Opaque);
#endif
}

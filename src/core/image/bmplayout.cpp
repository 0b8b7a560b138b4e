#include "image/bmplayout.h"

#include "image/color.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
// glibc's header is C: clang's C++ has no _Bool.
#if __has_include(<sys/platform/x86.h>) && !defined(__clang__)
#include <sys/platform/x86.h>
#define QUILL_GLIBC_CPU 1
#endif
#endif

using namespace bmplayout;

namespace {
constexpr std::uint64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
}  // namespace

void bmplayout::NotValid() { throw EToolkitError(kBitmapNotValid); }

std::uint64_t bmplayout::StrideFor(int bitCount, std::int32_t width) {
    return bitCount == 8 ? Stride8(width) : Stride24(width);
}

bool bmplayout::RowBytes(int bitCount, std::int32_t width, std::int32_t height,
                         std::uint32_t headerSize, std::uint64_t& rowBytes) {
    if (width < 0 || height < 0) return false;
    const std::uint64_t stride = StrideFor(bitCount, width);
    if (height != 0 && stride > (kInt32Max - headerSize) / std::uint64_t(height)) return false;
    rowBytes = stride * std::uint64_t(height);
    return true;
}

namespace {
void WriteHeaders(std::uint8_t* p, std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                  std::uint32_t offBits, std::uint32_t rowBytes, std::uint32_t colors) {
    PutU16(p, 0x4D42);
    PutU32(p + 2, offBits + rowBytes);
    PutU16(p + 6, 0);
    PutU16(p + 8, 0);
    PutU32(p + 10, offBits);
    PutU32(p + 14, kInfoHeaderSize);
    PutI32(p + 18, width);
    PutI32(p + 22, height);
    PutU16(p + 26, 1);
    PutU16(p + 28, bitCount);
    PutU32(p + 30, 0);
    PutU32(p + 34, rowBytes);
    PutU32(p + 38, 0);
    PutU32(p + 42, 0);
    PutU32(p + 46, colors);
    PutU32(p + 50, colors);
}

// Validated sizes of a strip that is about to be built.
struct Plan {
    std::uint32_t stride = 0;
    std::uint32_t rowBytes = 0;
};

Plan PlanStrip(const TStrip& strip, int bitCount, std::uint32_t headerSize, std::size_t pixelSize,
               bool backed) {
    std::uint64_t rowBytes = 0;
    if (!RowBytes(bitCount, strip.Width, strip.Height, headerSize, rowBytes)) NotValid();
    // Checked above: Width * Height * pixelSize <= rowBytes < 2^31.
    if (backed &&
        strip.Pixels.size() / pixelSize < std::uint64_t(strip.Width) * std::uint64_t(strip.Height))
        NotValid();
    return Plan{static_cast<std::uint32_t>(StrideFor(bitCount, strip.Width)),
                static_cast<std::uint32_t>(rowBytes)};
}
}  // namespace

std::uint64_t Stride8(std::int32_t Width) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(Width)) + 3u) & ~3ull;
}

std::uint64_t Stride24(std::int32_t Width) {
    return (3ull * static_cast<std::uint32_t>(Width) + 3ull) & ~3ull;
}

bool ImageSizeFits(int BitsPerPixel, std::int32_t Width, std::int32_t Height) {
    std::uint64_t rowBytes = 0;
    return BitsPerPixel == 8 ? RowBytes(8, Width, Height, kHeaders8, rowBytes)
                             : RowBytes(24, Width, Height, kHeaders24, rowBytes);
}

namespace {
// One row of 16-bit pixels as blue-green-red triples.
void Convert16Row(const std::uint8_t* src, std::uint8_t* dst, std::size_t width) {
    for (std::size_t c = 0; c < width; ++c, src += 2, dst += 3)
        Color16ToRGB(src[0], src[1], dst[2], dst[1], dst[0]);
}

#if defined(__x86_64__)
// Eight pixels a step: the three components by shifts and masks in 16-bit
// lanes, packed to bytes and shuffled into triples.
__attribute__((target("ssse3"))) void Convert16RowSsse3(const std::uint8_t* src, std::uint8_t* dst,
                                                        std::size_t width) {
    const __m128i low5 = _mm_set1_epi16(0xF8), low6 = _mm_set1_epi16(0xFC);
    // A lane that the shuffle clears.
    constexpr char Z = char(0x80);
    // From the blue-green pairs, and from the reds in bytes 8 to 15.
    const __m128i pairs0 = _mm_setr_epi8(0, 1, Z, 2, 3, Z, 4, 5, Z, 6, 7, Z, 8, 9, Z, 10);
    const __m128i reds0 = _mm_setr_epi8(Z, Z, 8, Z, Z, 9, Z, Z, 10, Z, Z, 11, Z, Z, 12, Z);
    const __m128i pairs1 = _mm_setr_epi8(11, Z, 12, 13, Z, 14, 15, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    const __m128i reds1 = _mm_setr_epi8(Z, 13, Z, Z, 14, Z, Z, 15, Z, Z, Z, Z, Z, Z, Z, Z);
    std::size_t c = 0;
    for (; c + 8 <= width; c += 8, src += 16, dst += 24) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i b = _mm_and_si128(_mm_slli_epi16(v, 3), low5);
        const __m128i g = _mm_and_si128(_mm_srli_epi16(v, 3), low6);
        const __m128i r = _mm_and_si128(_mm_srli_epi16(v, 8), low5);
        const __m128i br = _mm_packus_epi16(b, r);
        const __m128i bg = _mm_unpacklo_epi8(br, _mm_packus_epi16(g, g));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_or_si128(_mm_shuffle_epi8(bg, pairs0), _mm_shuffle_epi8(br, reds0)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16),
                         _mm_or_si128(_mm_shuffle_epi8(bg, pairs1), _mm_shuffle_epi8(br, reds1)));
    }
    Convert16Row(src, dst, width - c);
}
#endif

using TRowConverter = void (*)(const std::uint8_t*, std::uint8_t*, std::size_t);

TRowConverter RowConverter() {
#if defined(QUILL_GLIBC_CPU)
    // What the C library found at start; libgcc's own probe would run its
    // CPUIDs, slow in a virtual machine, at every program's start.
    if (CPU_FEATURE_ACTIVE(SSSE3)) return Convert16RowSsse3;
#elif defined(__x86_64__)
    if (__builtin_cpu_supports("ssse3")) return Convert16RowSsse3;
#endif
    return Convert16Row;
}
}  // namespace

TBmpRows::TBmpRows(int BitsPerPixel, const TStrip& Strip, const TPalette& Palette)
    : TBmpRows(BitsPerPixel, Strip, Palette, true) {}

TBmpRows::TBmpRows(int BitsPerPixel, std::int32_t Width, std::int32_t Height,
                   const TPalette& Palette)
    : TBmpRows(BitsPerPixel, TStrip{Width, Height, {}}, Palette, false) {}

TBmpRows::TBmpRows(int BitsPerPixel, const TStrip& Strip, const TPalette& Palette, bool backed)
    : strip_(Strip), eight_(BitsPerPixel == 8) {
    const std::uint32_t headerSize = eight_ ? kHeaders8 : kHeaders24;
    const Plan plan = PlanStrip(Strip, eight_ ? 8 : 24, headerSize, eight_ ? 1 : 2, backed);
    stride_ = plan.stride;
    // A strip 0 pixels wide has no row bytes at all, however many rows it claims.
    rows_ = plan.stride == 0 ? 0 : std::size_t(Strip.Height);
    headers_.resize(headerSize);
    std::uint8_t* p = headers_.data();
    WriteHeaders(p, Strip.Width, Strip.Height, eight_ ? 8 : 24, headerSize, plan.rowBytes,
                 eight_ ? 256 : 0);
    if (!eight_) return;
    std::uint8_t* table = p + kHeaders24;
    for (std::size_t k = 0; k < 256; ++k) {
        table[4 * k] = Palette[3 * k + 2];
        table[4 * k + 1] = Palette[3 * k + 1];
        table[4 * k + 2] = Palette[3 * k];
        table[4 * k + 3] = 0;
    }
}

void TBmpRows::Write(std::size_t First, std::size_t Count, std::uint8_t* Out) const {
    const std::size_t top = rows_ - First - Count;
    WriteFrom(strip_.Pixels.data() + top * PixelRowSize(), Count, Out);
}

void TBmpRows::WriteFrom(const std::uint8_t* Pixels, std::size_t Count, std::uint8_t* Out) const {
    static const TRowConverter convert = RowConverter();
    const auto width = std::size_t(strip_.Width);
    const std::size_t used = eight_ ? width : 3 * width, rowSize = eight_ ? width : 2 * width;
    // Bottom-up: the file's first row is the strip's last.
    for (std::size_t i = 0; i < Count; ++i, Out += stride_) {
        const std::uint8_t* row = Pixels + (Count - 1 - i) * rowSize;
        if (!eight_)
            convert(row, Out, width);
        else if (width != 0)
            std::memcpy(Out, row, width);
        std::fill(Out + used, Out + stride_, std::uint8_t{0});
    }
}

void TBmpRows::WritePart(std::size_t Row, std::size_t X, std::size_t Width,
                         std::uint8_t* Out) const {
    static const TRowConverter convert = RowConverter();
    const std::size_t at = Row * std::size_t(strip_.Width) + X;
    if (!eight_)
        convert(strip_.Pixels.data() + 2 * at, Out, Width);
    else if (Width != 0)
        std::memcpy(Out, strip_.Pixels.data() + at, Width);
}

Bytes bmplayout::BuildImage(const TBmpRows& rows) {
    Bytes image(rows.Headers().size() + rows.Count() * rows.Stride());
    std::copy(rows.Headers().begin(), rows.Headers().end(), image.begin());
    rows.Write(0, rows.Count(), image.data() + rows.Headers().size());
    return image;
}

Bytes Build8BitImage(const TStrip& Strip, const TPalette& Palette) {
    return BuildImage(TBmpRows(8, Strip, Palette));
}

Bytes Build16BitImage(const TStrip& Strip) { return BuildImage(TBmpRows(16, Strip, TPalette{})); }

std::array<std::uint8_t, kFileHeaderSize> bmplayout::FileHeader(std::size_t storedSize,
                                                                std::uint32_t rowOffset) {
    std::array<std::uint8_t, kFileHeaderSize> h{};
    PutU16(h.data(), 0x4D42);
    PutU32(h.data() + 2, static_cast<std::uint32_t>(kFileHeaderSize + storedSize));
    PutU32(h.data() + 10, rowOffset);
    return h;
}

// Rows of pixels converted in bulk, for the picture reader and the colour
// rules: the loops that a large picture spends its time in.
#pragma once

#include <cstddef>
#include <cstdint>

// A BMP row of 1, 2, 4 or 8 bits a pixel, first pixel in the high bits, as
// Width indices.
void IndicesRow(const std::uint8_t* Src, std::uint32_t Bits, std::size_t Width, std::uint8_t* Dst);
// A BMP row of 16, 24 or 32 bits a pixel as Width 0xAARRGGBB colours, through
// the bit fields' masks (red, green, blue, alpha; 24 bits are blue, green,
// red): each colour shifted up unfilled, as a font's picture shows its 5-6-5
// values; alpha scaled so that its largest value is opaque, opaque without a
// mask.
void ColorsRow(const std::uint8_t* Src, std::uint32_t Bits, const std::uint32_t Masks[4],
               std::size_t Width, std::uint32_t* Dst);

// N blue-green-red triples as opaque 0xAARRGGBB colours.
void BgrToColors(const std::uint8_t* Src, std::size_t N, std::uint32_t* Dst);

// N colours as the nearest 5-6-5 values, little-endian: each component
// rounded and kept within its bits. Returns how many lost bits; Opaque is
// ANDed with every colour.
std::uint64_t ColorsTo565(const std::uint32_t* Src, std::size_t N, std::uint8_t* Dst,
                          std::uint32_t& Opaque);

// The 5-6-5 value of one colour, as ColorsTo565 gives it.
inline std::uint16_t Nearest565(std::uint32_t c) {
    // Rounding up by a saturating add keeps each component within its bits.
    const auto up = [](std::uint32_t v, std::uint32_t by) { return v + by > 255 ? 255 : v + by; };
    const std::uint32_t r = up((c >> 16) & 0xFF, 4), g = up((c >> 8) & 0xFF, 2),
                        b = up(c & 0xFF, 4);
    return std::uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}

// Colours that a 5-6-5 value shows exactly have these bits clear.
inline constexpr std::uint32_t kLostBits = 0x070307;

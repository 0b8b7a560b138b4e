// Font files (".SFT"): the font record, the character table and the reader.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/bytes.h"

struct TSftFont {
    std::array<std::uint8_t, 40> Header{};
    std::array<std::uint8_t, 128> StripHeader{};
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    SharedBytes Pixels;  // Width * B * Height bytes, top row first
    std::int32_t CharCount = 0;
    bool operator==(const TSftFont&) const = default;

    std::int32_t RangeCount() const { return GetI32(Header.data() + 20); }
    std::int32_t BitsPerPixel() const { return GetI32(StripHeader.data() + 36); }
};

struct TCharEntry {
    std::uint16_t Code = 0;
    std::int32_t X = 0;
    std::int32_t Extra = 0;
    bool operator==(const TCharEntry&) const = default;
};

using TCharTable = std::array<TCharEntry, 256>;

// One range record as the file holds it: its entries are the table rows of
// the codes First to Last, in order. Last is First - 1 for an empty range.
struct TRange {
    std::uint16_t First = 0;
    std::uint16_t Last = 0;
    bool operator==(const TRange&) const = default;
};

// Reads a font file into Font and Chars[0 .. LastIndex]. Returns false for a
// file that cannot be read or is not a well-formed font; Font and Chars are
// then exactly as they were.
bool LoadSFT(const std::string& FileName, TSftFont& Font, std::span<TCharEntry> Chars,
             std::int32_t LastIndex);

// The same from a source positioned at the file's first byte; Ranges, when
// given, receives the range records as they stand in the file. Without
// Pixels the strip's pixels are checked to be there but not read, and the
// strip is left empty (0 x 0), for a caller that replaces it anyway.
bool ReadSFT(ByteSource& Source, TSftFont& Font, std::span<TCharEntry> Chars,
             std::int32_t LastIndex, std::vector<TRange>* Ranges = nullptr, bool Pixels = true);
// The same up to the strip, for a caller that reads its pixels itself a band
// at a time: they are checked to be there, Source is left at the first, and
// Font keeps the strip's size with its Pixels empty.
bool ReadSFTHead(ByteSource& Source, TSftFont& Font, std::span<TCharEntry> Chars,
                 std::int32_t LastIndex);

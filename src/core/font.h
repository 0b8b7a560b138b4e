// Font files (".SFT"): the font record, the character table and the reader.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "bytes.h"

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

// Reads a font file into Font and Chars[0 .. LastIndex]. Returns false for a
// file that cannot be read or is not a well-formed font; Font and Chars are
// then exactly as they were.
bool LoadSFT(const std::string& FileName, TSftFont& Font, std::span<TCharEntry> Chars,
             std::int32_t LastIndex);

// The same from a source positioned at the file's first byte.
bool ReadSFT(ByteSource& Source, TSftFont& Font, std::span<TCharEntry> Chars,
             std::int32_t LastIndex);

// The generated tables of the single-byte code pages (tools/make_codepages.py).
#pragma once

#include <cstdint>
#include <span>

struct TCodePageTable {
    const char* Name;           // as shown: "Windows-1250", "ISO-8859-2", "CP437"
    const std::uint16_t* High;  // the characters of bytes 128 to 255; 0xFFFF: none
    const char* Spellings;      // iconv's names for the page, separated by spaces
};

// Windows-1250 to -1258; then ISO-8859-1 to -16, KOI8-R, KOI8-U and the DOS pages.
std::span<const TCodePageTable> WindowsCodePages();
std::span<const TCodePageTable> OtherCodePages();

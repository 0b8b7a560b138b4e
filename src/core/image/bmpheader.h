// What a BMP's headers say, for the reader (bmpread.cpp): its form, checked
// against what the reader decodes, and where its colour table and pixels lie.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/bytes.h"
#include "base/fileio.h"

namespace bmpfile {

constexpr std::uint32_t kCoreHeader = 12;  // the old OS/2 1.x header
constexpr std::uint32_t kOs2Header = 64;   // OS/2 2.x: Windows' first fields, then its own
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5,
                        kAlphaBitFields = 6;

// The most a BMP's headers and colour table take: the largest header, its
// bit fields and 256 entries of 4 bytes.
constexpr std::size_t kHeadBytes = 2048;

// Throws EFontError with the reason.
[[noreturn]] void Refuse(const std::string& Why);

// Whether a header of n bytes is one the reader knows.
bool KnownInfoSize(std::uint32_t n);

// Reads forward through the file; a read past its end throws the reason given.
class Cursor {
public:
    Cursor(TBandSource& file, std::uint64_t pos, const char* whyShort)
        : file_(file), pos_(std::min(pos, file.Size())), whyShort_(whyShort) {}
    std::uint64_t Pos() const { return pos_; }
    std::uint64_t Left() const { return file_.Size() - pos_; }
    const std::uint8_t* Take(std::size_t n) {
        if (Left() < n) Refuse(whyShort_);
        if (n == 0) return nullptr;
        const std::uint8_t* p = file_.At(pos_, n);
        if (!p) Refuse(whyShort_);
        pos_ += n;
        return p;
    }
    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() { return GetU16(Take(2)); }
    std::uint32_t U32() { return GetU32(Take(4)); }

private:
    TBandSource& file_;
    std::uint64_t pos_;
    const char* whyShort_;
};

struct Header {
    std::uint32_t infoSize = 0;
    std::int64_t width = 0, rows = 0;
    bool topDown = false;
    std::uint32_t bits = 0, compression = kRgb;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha
    std::size_t tableEntries = 0;
    std::size_t tableAt = 0, pixelsAt = 0;
};

// The headers from the file's first kHeadBytes bytes (or all of a shorter
// one), refused with the reason when the reader can't decode the picture.
Header ReadHeaders(ByteSpan head);

}  // namespace bmpfile

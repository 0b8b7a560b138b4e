// Builders for font and palette files, temporary folders, recording sinks and
// the reference BMP encoder that the tests share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "font/editfont.h"
#include "image/palette.h"
#include "picture/picture.h"

using ByteVec = std::vector<std::uint8_t>;

// Writes a font file field by field, so tests can also write broken ones.
class SftWriter {
public:
    SftWriter& Header(std::int32_t rangeCount, const char* magic = "SFNT");
    // A range record with entries X = x0 + k * step, Extra = 1000 + code.
    SftWriter& Range(std::uint16_t first, std::uint16_t last, std::int32_t x0 = 0,
                     std::int32_t step = 6) {
        U16(first).U16(last);
        for (std::int32_t k = 0; k <= std::int32_t(last) - first; ++k)
            I32(x0 + k * step).I32(1000 + first + k);
        return *this;
    }
    SftWriter& StripHeader(std::int32_t bitsPerPixel) {
        bytes_.resize(bytes_.size() + 36, 0xCD);
        I32(bitsPerPixel);
        bytes_.resize(bytes_.size() + 88, 0xCD);
        return *this;
    }
    SftWriter& Size(std::int32_t width, std::int32_t height) { return I32(width).I32(height); }
    // n pixel bytes of a pattern that differs from row to row: byte i is 7i + i / 13.
    SftWriter& Pixels(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) bytes_.push_back(std::uint8_t(i * 7 + i / 13));
        return *this;
    }
    SftWriter& I32(std::int32_t v) { return Le(std::uint32_t(v), 4); }
    SftWriter& U16(std::uint16_t v) { return Le(v, 2); }
    SftWriter& Le(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_.push_back(std::uint8_t(v >> (8 * i)));
        return *this;
    }
    const ByteVec& Bytes() const { return bytes_; }

private:
    ByteVec bytes_;
};

// A complete font with one range [first, last] and a strip of the given size.
inline ByteVec MakeFont(std::int32_t bpp, std::int32_t width, std::int32_t height,
                        std::uint16_t first = 32, std::uint16_t last = 126) {
    const std::size_t n = std::size_t(width) * std::size_t(height) * std::size_t(bpp / 8);
    return SftWriter()
        .Header(1)
        .Range(first, last)
        .StripHeader(bpp)
        .Size(width, height)
        .Pixels(n)
        .Bytes();
}
ByteVec MakeCMP(const TPalette& palette, std::size_t extra = 0);
ByteVec MakeBM(const TPalette& palette, std::uint32_t flag = 2, std::size_t body = 200);
// Entry i is 5i + seed.
inline TPalette PatternPalette(std::uint8_t seed) {
    TPalette p{};
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = std::uint8_t(i * 5 + seed);
    return p;
}

// The BMP file that Save as BMP must write for a strip, decoded the slow way
// from the format's definition; bpp 8 uses the palette.
ByteVec ReferenceBmp(std::int32_t bpp, std::int32_t width, std::int32_t height,
                     const ByteVec& pixels, const TPalette& palette);
// The same for a whole font file.
ByteVec ReferenceBmp(const ByteVec& fontFile, const TPalette& palette);

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    const std::string& Dir() const { return dir_; }
    std::vector<std::string> Entries() const;

private:
    std::string dir_;
};

void WriteFile(const std::string& path, const ByteVec& data);
// The file that Save would write for an edited font.
ByteVec FileOf(const class TEditedFont& font);
ByteVec ReadFile(const std::string& path);
// An 8-bit font of glyphs 7 x 12, each inked (value 5) in the box X, Y, W, H.
TEditedFont BoxFont(const std::vector<std::pair<std::uint16_t, std::array<int, 4>>>& glyphs);

struct RecordingSink : IWarningSink {
    std::vector<std::string> shown;
    void ShowWarning(const std::string& text) override { shown.push_back(text); }
};

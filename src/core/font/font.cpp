#include "font/font.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "base/fileio.h"
#include "image/bmplayout.h"

namespace {
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// Everything up to the strip's pixels, checked to be there, into font, table
// and ranges (when given). Memory is bounded by the file: each table row
// needs 8 bytes of it.
bool ReadHead(ByteSource& Source, TSftFont& font, std::size_t rows, std::vector<TCharEntry>& table,
              std::vector<TRange>* ranges) {
    if (!Source.Read(font.Header.data(), font.Header.size())) return false;
    if (!MagicIs(ByteSpan(font.Header.data(), 4), "SFNT")) return false;

    table.reserve(rows);
    const std::int32_t rangeCount = font.RangeCount();
    for (std::int32_t r = 0; r < rangeCount; ++r) {
        std::uint16_t first = 0, last = 0;
        if (!Source.ReadU16(first) || !Source.ReadU16(last)) return false;
        const std::int32_t n = std::int32_t(last) - std::int32_t(first) + 1;
        if (n < 0) return false;
        if (std::size_t(n) > rows - table.size()) return false;  // more than the table holds
        // Each record takes at least 4 bytes of the file, so this is bounded by it.
        if (ranges) ranges->push_back(TRange{first, last});
        for (std::int32_t k = 0; k < n; ++k) {
            TCharEntry e;
            e.Code = static_cast<std::uint16_t>(first + k);
            if (!Source.ReadI32(e.X) || !Source.ReadI32(e.Extra)) return false;
            table.push_back(e);
        }
    }
    font.CharCount = static_cast<std::int32_t>(table.size());

    if (!Source.Read(font.StripHeader.data(), font.StripHeader.size())) return false;
    const std::int32_t bpp = font.BitsPerPixel();
    if (bpp != 8 && bpp != 16) return false;
    if (!Source.ReadI32(font.Width) || !Source.ReadI32(font.Height)) return false;
    if (font.Width < 0 || font.Height < 0) return false;

    // Both the pixel data and the image built from it must stay within the
    // signed 32-bit sizes that the file and the BMP format can express.
    const std::int64_t pixelBytes = std::int64_t(font.Width) * (bpp / 8) * font.Height;
    if (pixelBytes > kInt32Max) return false;
    if (!ImageSizeFits(bpp, font.Width, font.Height)) return false;
    return Source.Left() >= std::uint64_t(pixelBytes);
}

std::size_t RowsFor(std::span<TCharEntry> Chars, std::int32_t LastIndex) {
    return LastIndex < 0 ? 0 : std::min<std::size_t>(Chars.size(), std::size_t(LastIndex) + 1);
}

}  // namespace

bool ReadSFT(ByteSource& Source, TSftFont& Font, std::span<TCharEntry> Chars,
             std::int32_t LastIndex, std::vector<TRange>* Ranges, bool Pixels) {
    // Everything is read into locals and handed over only once the whole file
    // was accepted, so a refused file leaves the caller's record untouched;
    // the pixel buffer is allocated only once the file is known to hold it.
    TSftFont font;
    std::vector<TCharEntry> table;
    std::vector<TRange> ranges;
    if (!ReadHead(Source, font, RowsFor(Chars, LastIndex), table, Ranges ? &ranges : nullptr))
        return false;
    std::int64_t pixelBytes = std::int64_t(font.Width) * (font.BitsPerPixel() / 8) * font.Height;
    if (!Pixels) {
        font.Width = font.Height = 0;
        pixelBytes = 0;
    }

    Bytes pixels(static_cast<std::size_t>(pixelBytes));
    if (!Source.Read(pixels.data(), pixels.size())) return false;
    font.Pixels = SharedBytes(std::move(pixels));

    Font = std::move(font);
    std::copy(table.begin(), table.end(), Chars.begin());
    if (Ranges) *Ranges = std::move(ranges);
    return true;
}

bool ReadSFTHead(ByteSource& Source, TSftFont& Font, std::span<TCharEntry> Chars,
                 std::int32_t LastIndex) {
    TSftFont font;
    std::vector<TCharEntry> table;
    if (!ReadHead(Source, font, RowsFor(Chars, LastIndex), table, nullptr)) return false;
    Font = std::move(font);
    std::copy(table.begin(), table.end(), Chars.begin());
    return true;
}

bool LoadSFT(const std::string& FileName, TSftFont& Font, std::span<TCharEntry> Chars,
             std::int32_t LastIndex) {
    ReadOnlyFile file;
    return file.Open(FileName) && ReadSFT(file, Font, Chars, LastIndex);
}

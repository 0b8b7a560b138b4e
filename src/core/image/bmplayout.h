// The BMP image layout of a glyph strip: sizes, headers, and the row writer
// that makes the image a few rows at a time.
#pragma once

#include <array>
#include <cstdint>

#include "base/bytes.h"
#include "base/errors.h"
#include "base/pixelstrip.h"
#include "image/palette.h"

// A glyph strip to read: Width * Height pixels of 1 (8-bit) or 2 (16-bit)
// bytes.
using TStrip = TPixelStrip<ByteSpan>;

// Row strides of the two image kinds; sizes of 0 and more.
std::uint64_t Stride8(std::int32_t Width);
std::uint64_t Stride24(std::int32_t Width);

// True when a strip of this size can be built as an image whose bfSize fits
// in a signed 32-bit number.
bool ImageSizeFits(int BitsPerPixel, std::int32_t Width, std::int32_t Height);

// The BMP byte images themselves. Throw EToolkitError "Bitmap image is not
// valid" for sizes that are negative, too large for the format, or not backed
// by Pixels; std::bad_alloc when memory can't be had.
Bytes Build8BitImage(const TStrip& Strip, const TPalette& Palette);
Bytes Build16BitImage(const TStrip& Strip);

// The same image a few rows at a time, for writers that never hold all of it:
// the headers (colour table included), then the rows in file order, bottom
// row of the strip first. Throws as the builders do.
class TBmpRows {
public:
    TBmpRows(int BitsPerPixel, const TStrip& Strip, const TPalette& Palette);
    // The layout alone, for rows whose pixels come with WriteFrom.
    TBmpRows(int BitsPerPixel, std::int32_t Width, std::int32_t Height, const TPalette& Palette);
    ByteSpan Headers() const { return headers_; }
    std::size_t Stride() const { return stride_; }
    std::size_t Count() const { return rows_; }
    // Bytes of one row of the strip's pixels.
    std::size_t PixelRowSize() const { return std::size_t(strip_.Width) * (eight_ ? 1 : 2); }
    // File rows First .. First + Count - 1 into Out, Count * Stride() bytes.
    void Write(std::size_t First, std::size_t Count, std::uint8_t* Out) const;
    // Count file rows into Out from Pixels, the Count rows of the strip that
    // they hold, top row first.
    void WriteFrom(const std::uint8_t* Pixels, std::size_t Count, std::uint8_t* Out) const;
    // Width pixels of the strip's row Row (0 at the top) from column X, as
    // they stand in a file row; the caller keeps them within the strip.
    void WritePart(std::size_t Row, std::size_t X, std::size_t Width, std::uint8_t* Out) const;

private:
    TBmpRows(int BitsPerPixel, const TStrip& Strip, const TPalette& Palette, bool backed);

    TStrip strip_;
    bool eight_;
    std::size_t stride_ = 0;
    std::size_t rows_ = 0;
    Bytes headers_;
};

// What the picture object shares with the layout.
namespace bmplayout {
inline constexpr std::uint32_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kColorTableSize = 1024;
inline constexpr std::uint32_t kHeaders8 = kFileHeaderSize + kInfoHeaderSize + kColorTableSize;
inline constexpr std::uint32_t kHeaders24 = kFileHeaderSize + kInfoHeaderSize;

[[noreturn]] void NotValid();
std::uint64_t StrideFor(int bitCount, std::int32_t width);
// Size of the rows of a strip, or false when it is negative or does not fit
// next to headerSize bytes in a signed 32-bit bfSize.
bool RowBytes(int bitCount, std::int32_t width, std::int32_t height, std::uint32_t headerSize,
              std::uint64_t& rowBytes);
Bytes BuildImage(const TBmpRows& rows);
// The 14-byte file header for an image of storedSize bytes after it.
std::array<std::uint8_t, kFileHeaderSize> FileHeader(std::size_t storedSize,
                                                     std::uint32_t rowOffset);
}  // namespace bmplayout

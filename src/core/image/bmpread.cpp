#include "image/bmpread.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/pixelrows.h"
#include "image/bmpheader.h"

using namespace bmpfile;

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
// RLE leaves any number of pixels blank in a few bytes (the end of the
// picture takes two), so nothing bounds its pixels exactly; more than this
// many for each byte of the file is refused, which no encoder comes near.
constexpr std::uint64_t kRlePixelsPerByte = 1u << 14;

const char* const kEndsInPixels = "the file ends before its pixels do";
const char* const kPastEnd = "the RLE data runs past the picture's last row";

// Runs and literal pixels of RLE8 or RLE4, bottom row first, into indices
// that start at 0 for the pixels it skips.
void ReadRle(const Header& h, TBandSource& file, TRowSink& sink) {
    const std::size_t width = std::size_t(h.width), rows = std::size_t(h.rows);
    const bool four = h.compression == kRle4;
    Cursor c(file, h.pixelsAt, kEndsInPixels);
    std::size_t x = 0, y = 0;
    std::uint8_t* row = nullptr;  // row y's pixels, once data reaches it
    const auto begin = [&] {
        if (row) return;
        row = static_cast<std::uint8_t*>(sink.Row(rows - 1 - y));
        std::memset(row, 0, width);
    };
    // Moves up to row `to`, handing on each row left, blank where skipped.
    const auto upTo = [&](std::size_t to) {
        for (; y < to; ++y, row = nullptr)
            if (y < rows) {
                begin();
                sink.Put(rows - 1 - y);
            }
    };
    // Where n pixels go, and how many of them lie within the row: encoders
    // pad rows to an even width (ImageMagick to its padded width), and what
    // lies past the edge is not the picture's, so it is dropped.
    std::size_t keep = 0;
    const auto put = [&](std::size_t n) {
        if (y >= rows) Refuse(kPastEnd);
        keep = x < width ? std::min(n, width - x) : 0;
        begin();
        std::uint8_t* at = row + std::min(x, width);
        x += n;
        return at;
    };
    for (;;) {
        if (c.Left() < 2 && (y >= rows || (y == rows - 1 && x >= width))) return upTo(rows);
        const std::uint8_t n = c.U8(), v = c.U8();
        if (n != 0) {
            std::uint8_t* at = put(n);
            const std::uint8_t pair[2] = {four ? std::uint8_t(v >> 4) : v,
                                          four ? std::uint8_t(v & 15) : v};
            for (std::size_t i = 0; i < keep; ++i) at[i] = pair[i % 2];
        } else if (v == 0) {  // end of the row
            x = 0;
            upTo(y + 1);
        } else if (v == 1) {  // end of the picture
            return upTo(rows);
        } else if (v == 2) {  // move right and up
            x += c.U8();
            const std::size_t to = y + c.U8();
            if (to > rows) Refuse(kPastEnd);
            upTo(to);
        } else {  // v pixels as they stand, padded to 16 bits
            std::uint8_t* at = put(v);
            const std::size_t bytes = four ? (v + 1u) / 2 : v;
            const std::uint8_t* src = c.Take(bytes + bytes % 2);
            for (std::size_t i = 0; i < keep; ++i)
                at[i] = four ? std::uint8_t(i % 2 ? src[i / 2] & 15 : src[i / 2] >> 4) : src[i];
        }
    }
}

}  // namespace

bool BmpFormIsRead(ByteSpan File) {
    if (File.size() < 2 || File[0] != 'B' || File[1] != 'M') return false;
    if (File.size() < 18) return true;  // too short to tell: refused as such
    const std::uint32_t infoSize = GetU32(File.data() + 14);
    if (!KnownInfoSize(infoSize)) return false;
    if (infoSize == kCoreHeader || File.size() < kBmpFormBytes) return true;
    const std::uint32_t compression = GetU32(File.data() + 30);
    return compression != kJpeg && compression != kPng;
}

TImagePixels ReadBmp(ByteSpan File) {
    TMemoryBands file(File);
    TWholePicture whole;
    ReadBmpRows(file, whole);
    return std::move(whole.Picture);
}

void ReadBmpRows(TBandSource& File, TRowSink& Sink) {
    const std::uint64_t fileSize = File.Size();
    std::uint8_t headBytes[kHeadBytes];
    const auto headSize = std::size_t(std::min<std::uint64_t>(fileSize, kHeadBytes));
    if (headSize != 0) std::memcpy(headBytes, File.At(0, headSize), headSize);
    const ByteSpan head(headBytes, headSize);
    const Header h = ReadHeaders(head);
    const std::uint64_t width = std::uint64_t(h.width), rows = std::uint64_t(h.rows);
    const std::uint64_t pixels = width * rows;
    const bool indexed = h.bits <= 8;
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    const std::uint64_t left = fileSize - std::min<std::uint64_t>(fileSize, h.pixelsAt);
    const std::string size = std::to_string(width) + " x " + std::to_string(rows) + " pixels";
    // Memory goes only to pixels that the file can back.
    const std::uint64_t stride = (width * h.bits + 31) / 32 * 4;
    const std::uint64_t rowBytes = (width * h.bits + 7) / 8;
    if (rle) {
        if (pixels > fileSize * kRlePixelsPerByte)
            Refuse("a picture of " + size + " can't be held in " + std::to_string(fileSize) +
                   " bytes");
    } else if (pixels != 0 && (left < rowBytes || (rows - 1) > (left - rowBytes) / stride)) {
        Refuse(kEndsInPixels);  // the last row's padding may be left out
    }
    TImagePixels form;
    if (pixels > (indexed ? form.Indices.max_size() : form.Colors.max_size()))
        Refuse("a picture of " + size + " is more than memory holds");
    form.Width = std::int32_t(h.width);
    form.Height = std::int32_t(h.rows);
    form.Indexed = indexed;
    if (indexed) form.ColorTable.fill(kOpaque);
    const std::size_t entrySize = h.infoSize == kCoreHeader ? 3 : 4;
    for (std::size_t k = 0; k < h.tableEntries; ++k) {
        const std::uint8_t* e = head.data() + h.tableAt + k * entrySize;
        form.ColorTable[k] = kOpaque | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
    }
    Sink.Start(form);
    if (pixels == 0) return;
    if (rle) return ReadRle(h, File, Sink);
    Header fields = h;
    if (!indexed && h.compression == kRgb) {  // fixed layouts; V3 headers and later may add alpha
        const std::uint32_t x5x5x5[4] = {0x7C00u, 0x3E0u, 0x1Fu, 0};
        const std::uint32_t x8x8x8[4] = {0xFF0000u, 0xFF00u, 0xFFu, 0};
        std::copy_n(h.bits == 16 ? x5x5x5 : x8x8x8, 3, fields.masks);
        fields.masks[3] = h.infoSize >= 56 ? h.masks[3] : 0;
    }
    // A band of whole rows at a time; the last row's padding may be missing.
    // Both within the file's size, checked above.
    const auto step = std::size_t(stride), used = std::size_t(rowBytes);
    const std::size_t w = std::size_t(width),
                      perBand = std::max(std::size_t(1), TFileBands::kBand / step);
    for (std::size_t r = 0; r < std::size_t(rows); r += perBand) {
        const std::size_t n = std::min(perBand, std::size_t(rows) - r);
        const std::uint8_t* band = File.At(h.pixelsAt + r * stride, (n - 1) * step + used);
        if (!band) Refuse(kEndsInPixels);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t y = h.topDown ? r + i : std::size_t(rows) - 1 - (r + i);
            void* dst = Sink.Row(y);
            if (indexed)
                IndicesRow(band + i * step, h.bits, w, static_cast<std::uint8_t*>(dst));
            else
                ColorsRow(band + i * step, h.bits, fields.masks, w,
                          static_cast<std::uint32_t*>(dst));
            Sink.Put(y);
        }
    }
}

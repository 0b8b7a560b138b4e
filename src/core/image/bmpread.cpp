#include "image/bmpread.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "base/pixelrows.h"

namespace {

constexpr std::uint32_t kCoreHeader = 12;  // the old OS/2 1.x header
constexpr std::uint32_t kOs2Header = 64;   // OS/2 2.x: Windows' first fields, then its own
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5,
                        kAlphaBitFields = 6;
constexpr std::uint32_t kOpaque = 0xFF000000u;
// RLE leaves any number of pixels blank in a few bytes (the end of the
// picture takes two), so nothing bounds its pixels exactly; more than this
// many for each byte of the file is refused, which no encoder comes near.
constexpr std::uint64_t kRlePixelsPerByte = 1u << 14;

const char* const kEndsInHeaders = "the file ends before its headers do";
const char* const kEndsInTable = "the file ends before its colour table does";
const char* const kEndsInPixels = "the file ends before its pixels do";
const char* const kPastEnd = "the RLE data runs past the picture's last row";

[[noreturn]] void Refuse(const std::string& Why) { throw EFontError(Why); }

bool KnownInfoSize(std::uint32_t n) {
    return n == kCoreHeader || n == 40 || n == 52 || n == 56 || n == kOs2Header || n == 108 ||
           n == 124;
}

// The most a BMP's headers and colour table take: the largest header, its
// bit fields and 256 entries of 4 bytes.
constexpr std::size_t kHeadBytes = 2048;

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

void CheckForm(const Header& h) {
    const std::string bits = std::to_string(h.bits);
    const bool indexed = h.bits == 1 || h.bits == 4 || h.bits == 8;
    const bool core = h.infoSize == kCoreHeader;
    if (!(indexed || h.bits == 24 || (!core && (h.bits == 16 || h.bits == 32))))
        Refuse("a BMP of " + bits + " bits a pixel can't be read");
    if (h.infoSize == kOs2Header && (h.compression == 3 || h.compression == 4))
        Refuse("an OS/2 BMP of Huffman or RLE24 compression can't be read");
    bool fits = false;
    switch (h.compression) {
        case kRgb:
            fits = true;
            break;
        case kRle8:
            fits = h.bits == 8;
            break;
        case kRle4:
            fits = h.bits == 4;
            break;
        case kBitFields:
        case kAlphaBitFields:
            fits = h.bits == 16 || h.bits == 32;
            break;
        case kJpeg:
        case kPng:
            Refuse("a BMP holding a JPEG or PNG picture can't be read");
        default:
            Refuse("BMP compression " + std::to_string(h.compression) + " is unknown");
    }
    if (!fits)
        Refuse("BMP compression " + std::to_string(h.compression) + " doesn't go with " + bits +
               " bits a pixel");
    if (h.topDown && (h.compression == kRle8 || h.compression == kRle4))
        Refuse("an RLE-compressed BMP can't be stored top-down");
}

// The headers from the file's first kHeadBytes bytes (or all of a shorter one).
Header ReadHeaders(ByteSpan head) {
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') Refuse("not a BMP picture");
    TMemoryBands file(head);
    Cursor c(file, 10, kEndsInHeaders);
    Header h;
    const std::uint32_t pixelsAt = c.U32();
    h.infoSize = c.U32();
    if (!KnownInfoSize(h.infoSize))
        Refuse("a BMP header of " + std::to_string(h.infoSize) + " bytes is unknown");
    if (h.infoSize == kCoreHeader) {
        h.width = c.U16();
        h.rows = c.U16();
        c.U16();  // planes
        h.bits = c.U16();
    } else {
        const std::uint8_t* info = c.Take(h.infoSize - 4);
        h.width = GetI32(info);
        const std::int32_t height = GetI32(info + 4);
        h.topDown = height < 0;
        h.rows = h.topDown ? -std::int64_t(height) : height;
        h.bits = GetU16(info + 10);
        h.compression = GetU32(info + 12);
        const std::uint32_t used = GetU32(info + 28);
        h.tableEntries = used;
        for (std::size_t k = 0; h.infoSize != kOs2Header && k < 4 && 36 + 4 * k < h.infoSize - 4;
             ++k)
            h.masks[k] = GetU32(info + 36 + 4 * k);
    }
    CheckForm(h);
    const bool fields = h.compression == kBitFields || h.compression == kAlphaBitFields;
    if (fields && h.infoSize == 40)
        for (std::size_t k = 0; k < (h.compression == kBitFields ? 3u : 4u); ++k)
            h.masks[k] = c.U32();
    if (fields && (h.masks[0] | h.masks[1] | h.masks[2]) == 0)
        Refuse("the BMP's colour masks are all empty");
    if (h.width < 0) Refuse("a BMP can't be " + std::to_string(h.width) + " pixels wide");
    if (h.rows > std::numeric_limits<std::int32_t>::max())
        Refuse("a BMP can't be " + std::to_string(h.rows) + " pixels high");

    // The colour table lies between the headers and the pixels; a table that
    // the pixels cut short keeps the entries before them.
    h.tableAt = std::size_t(c.Pos());
    if (pixelsAt != 0 && pixelsAt < h.tableAt)
        Refuse("the pixels are said to begin at byte " + std::to_string(pixelsAt) +
               ", within the headers");
    const std::size_t entrySize = h.infoSize == kCoreHeader ? 3 : 4;
    if (h.bits <= 8) {
        const std::size_t most = std::size_t(1) << h.bits;
        if (h.tableEntries == 0 || h.tableEntries > most) h.tableEntries = most;
        if (pixelsAt != 0)
            h.tableEntries = std::min(h.tableEntries, (pixelsAt - h.tableAt) / entrySize);
    } else {
        h.tableEntries = 0;
    }
    Cursor table(file, h.tableAt, kEndsInTable);
    table.Take(h.tableEntries * entrySize);
    h.pixelsAt = pixelsAt != 0 ? pixelsAt : std::size_t(table.Pos());
    return h;
}

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

#include "bmpread.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

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

// Reads forward through the file; a read past its end throws the reason given.
class Cursor {
public:
    Cursor(ByteSpan data, std::size_t pos, const char* whyShort)
        : data_(data), pos_(std::min(pos, data.size())), whyShort_(whyShort) {}
    std::size_t Pos() const { return pos_; }
    std::size_t Left() const { return data_.size() - pos_; }
    const std::uint8_t* Take(std::size_t n) {
        if (Left() < n) Refuse(whyShort_);
        const std::uint8_t* p = data_.data() + pos_;
        pos_ += n;
        return p;
    }
    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() { return GetU16(Take(2)); }
    std::uint32_t U32() { return GetU32(Take(4)); }

private:
    ByteSpan data_;
    std::size_t pos_;
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

Header ReadHeaders(ByteSpan file) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') Refuse("not a BMP picture");
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
    h.tableAt = c.Pos();
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
    h.pixelsAt = pixelsAt != 0 ? pixelsAt : table.Pos();
    return h;
}

// A bit field's value as 8 bits: a colour shifted up unfilled, as a font's
// picture shows its 5-6-5 values; an alpha scaled so that its largest value
// is opaque.
struct Field {
    explicit Field(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        width = int(std::bit_width(m >> shift));
    }
    std::uint32_t Color(std::uint32_t v) const {
        const std::uint32_t c = (v & mask) >> shift;
        return width > 8 ? c >> (width - 8) : c << (8 - width);
    }
    std::uint32_t Alpha(std::uint32_t v) const {
        if (mask == 0) return 0xFF;
        const std::uint64_t most = mask >> shift;
        return std::uint32_t((std::uint64_t((v & mask) >> shift) * 255 + most / 2) / most);
    }
    std::uint32_t mask = 0;
    int shift = 0, width = 0;
};

void ReadIndexedRow(const std::uint8_t* src, std::uint32_t bits, std::size_t width,
                    std::uint8_t* dst) {
    if (bits == 8) {
        std::memcpy(dst, src, width);
        return;
    }
    const std::uint32_t perByte = 8 / bits, last = (1u << bits) - 1;
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t at = std::uint32_t(x % perByte) * bits;
        dst[x] = std::uint8_t((src[x / perByte] >> (8 - bits - at)) & last);
    }
}

void ReadColorRow(const Header& h, const std::uint8_t* src, std::size_t width, std::uint32_t* dst) {
    if (h.bits == 24) {
        for (std::size_t x = 0; x < width; ++x, src += 3)
            dst[x] = kOpaque | std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 | src[0];
        return;
    }
    const std::uint32_t used = h.bits == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const std::uint32_t* m = h.masks;
    if (h.bits == 32 && m[0] == 0xFF0000u && m[1] == 0xFF00u && m[2] == 0xFFu &&
        (m[3] == 0 || m[3] == kOpaque)) {
        const std::uint32_t fill = m[3] == 0 ? kOpaque : 0;
        for (std::size_t x = 0; x < width; ++x) dst[x] = GetU32(src + 4 * x) | fill;
        return;
    }
    const Field r(m[0] & used), g(m[1] & used), b(m[2] & used), a(m[3] & used);
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t v = h.bits == 16 ? GetU16(src + 2 * x) : GetU32(src + 4 * x);
        dst[x] = a.Alpha(v) << 24 | r.Color(v) << 16 | g.Color(v) << 8 | b.Color(v);
    }
}

// Runs and literal pixels of RLE8 or RLE4, bottom row first, into indices
// that start at 0 for the pixels it skips.
void ReadRle(const Header& h, ByteSpan file, TImagePixels& out) {
    const std::size_t width = std::size_t(h.width), rows = std::size_t(h.rows);
    const bool four = h.compression == kRle4;
    Cursor c(file, h.pixelsAt, kEndsInPixels);
    std::size_t x = 0, y = 0;
    // Where n pixels go, and how many of them lie within the row: encoders
    // pad rows to an even width (ImageMagick to its padded width), and what
    // lies past the edge is not the picture's, so it is dropped.
    std::size_t keep = 0;
    const auto put = [&](std::size_t n) {
        if (y >= rows) Refuse(kPastEnd);
        keep = x < width ? std::min(n, width - x) : 0;
        std::uint8_t* row = out.Indices.data() + (rows - 1 - y) * width + std::min(x, width);
        x += n;
        return row;
    };
    for (;;) {
        if (c.Left() < 2 && (y >= rows || (y == rows - 1 && x >= width))) return;
        const std::uint8_t n = c.U8(), v = c.U8();
        if (n != 0) {
            std::uint8_t* row = put(n);
            const std::uint8_t pair[2] = {four ? std::uint8_t(v >> 4) : v,
                                          four ? std::uint8_t(v & 15) : v};
            for (std::size_t i = 0; i < keep; ++i) row[i] = pair[i % 2];
        } else if (v == 0) {  // end of the row
            x = 0;
            ++y;
        } else if (v == 1) {  // end of the picture
            return;
        } else if (v == 2) {  // move right and up
            x += c.U8();
            y += c.U8();
            if (y > rows) Refuse(kPastEnd);
        } else {  // v pixels as they stand, padded to 16 bits
            std::uint8_t* row = put(v);
            const std::size_t bytes = four ? (v + 1u) / 2 : v;
            const std::uint8_t* src = c.Take(bytes + bytes % 2);
            for (std::size_t i = 0; i < keep; ++i)
                row[i] = four ? std::uint8_t(i % 2 ? src[i / 2] & 15 : src[i / 2] >> 4) : src[i];
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
    const Header h = ReadHeaders(File);
    const std::uint64_t width = std::uint64_t(h.width), rows = std::uint64_t(h.rows);
    const std::uint64_t pixels = width * rows;
    const bool indexed = h.bits <= 8;
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    const std::size_t left = File.size() - std::min(File.size(), h.pixelsAt);
    const std::string size = std::to_string(width) + " x " + std::to_string(rows) + " pixels";
    // Memory goes only to pixels that the file can back.
    const std::uint64_t stride = (width * h.bits + 31) / 32 * 4;
    const std::uint64_t rowBytes = (width * h.bits + 7) / 8;
    if (rle) {
        if (pixels > File.size() * kRlePixelsPerByte)
            Refuse("a picture of " + size + " can't be held in " + std::to_string(File.size()) +
                   " bytes");
    } else if (pixels != 0 && (left < rowBytes || (rows - 1) > (left - rowBytes) / stride)) {
        Refuse(kEndsInPixels);  // the last row's padding may be left out
    }
    TImagePixels out;
    if (pixels > (indexed ? out.Indices.max_size() : out.Colors.max_size()))
        Refuse("a picture of " + size + " is more than memory holds");
    out.Width = std::int32_t(h.width);
    out.Height = std::int32_t(h.rows);
    out.Indexed = indexed;
    if (indexed) out.ColorTable.fill(kOpaque);
    const std::size_t entrySize = h.infoSize == kCoreHeader ? 3 : 4;
    for (std::size_t k = 0; k < h.tableEntries; ++k) {
        const std::uint8_t* e = File.data() + h.tableAt + k * entrySize;
        out.ColorTable[k] = kOpaque | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
    }
    if (pixels == 0) return out;
    const std::size_t w = std::size_t(width);
    const auto outRow = [&](std::size_t fileRow) {
        return h.topDown ? fileRow : std::size_t(rows) - 1 - fileRow;
    };
    if (indexed) {
        out.Indices.resize(std::size_t(pixels));
        if (rle) {
            ReadRle(h, File, out);
            return out;
        }
        for (std::size_t r = 0; r < rows; ++r)
            ReadIndexedRow(File.data() + h.pixelsAt + r * stride, h.bits, w,
                           out.Indices.data() + outRow(r) * w);
        return out;
    }
    Header fields = h;
    if (h.compression == kRgb) {  // fixed layouts; V3 headers and later may add alpha
        const std::uint32_t x5x5x5[4] = {0x7C00u, 0x3E0u, 0x1Fu, 0};
        const std::uint32_t x8x8x8[4] = {0xFF0000u, 0xFF00u, 0xFFu, 0};
        std::copy_n(h.bits == 16 ? x5x5x5 : x8x8x8, 3, fields.masks);
        fields.masks[3] = h.infoSize >= 56 ? h.masks[3] : 0;
    }
    out.Colors.resize(std::size_t(pixels));
    for (std::size_t r = 0; r < rows; ++r)
        ReadColorRow(fields, File.data() + h.pixelsAt + r * stride, w,
                     out.Colors.data() + outRow(r) * w);
    return out;
}

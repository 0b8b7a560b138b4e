#include "image/bmpheader.h"

#include <limits>

#include "base/errors.h"

namespace bmpfile {

namespace {

const char* const kEndsInHeaders = "the file ends before its headers do";
const char* const kEndsInTable = "the file ends before its colour table does";

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

}  // namespace

void Refuse(const std::string& Why) { throw EFontError(Why); }

bool KnownInfoSize(std::uint32_t n) {
    return n == kCoreHeader || n == 40 || n == 52 || n == 56 || n == kOs2Header || n == 108 ||
           n == 124;
}

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

}  // namespace bmpfile

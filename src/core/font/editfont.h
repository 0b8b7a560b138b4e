// The font being edited: its record and character table, where it came from
// and whether it changed, and the writer that makes a font file of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/errors.h"
#include "base/fileio.h"
#include "base/pixelstrip.h"
#include "font/font.h"
#include "font/pixeledit.h"

// Whether a strip of Width x Height pixels at this depth is within what the
// format holds: its pixel data and its picture.
bool StripFits(int BitsPerPixel, std::int64_t Width, std::int32_t Height);
// A font's strip to read only: nothing is written through it, and the pixels
// stay shared.
TPixelGrid ReadOnlyGrid(const TSftFont& Font);

// The strip and the table: what a wholesale change replaces, and what the
// history swaps back. Copies share the pixels.
struct TFontBody : TPixelStrip<SharedBytes> {
    std::vector<TCharEntry> Table;
    std::vector<TRange> Ranges;
    bool RangesAsRead = false;
};

// The most rows a font's table may have: what the viewer's table holds.
inline constexpr std::size_t kMaxChars = 256;

// The most bytes either front end gives one font: the page's memory holds no
// more, and the window keeps to the same so that a journal reads in both.
inline constexpr std::size_t kMaxFontBytes = std::size_t(768) << 20;

class TEditedFont {
public:
    // Reads a font file; false, changing nothing, when it is refused. Without
    // Pixels the strip is checked but left empty, for ReplaceStrip to fill.
    bool Load(const std::string& Path, bool Pixels = true);
    // The same from a font file's bytes, taken for the file at Path.
    bool Load(ByteSource& Source, const std::string& Path, bool Pixels = true);
    // The same from a whole file held in memory.
    bool Parse(ByteSpan File, const std::string& Path);
    // A font with no characters and an empty strip, made from headers, for
    // a table and a picture to fill. RangeCount and BitsPerPixel are set when
    // it is written. Throws EFontError for a depth other than 8 or 16, or a
    // header without the magic.
    static TEditedFont FromHeaders(int BitsPerPixel, const std::array<std::uint8_t, 40>& Header,
                                   const std::array<std::uint8_t, 128>& StripHeader);

    const TSftFont& Font() const { return font_; }
    const std::vector<TCharEntry>& Table() const { return table_; }
    int BitsPerPixel() const { return font_.BitsPerPixel(); }
    // The file it was read from or last saved to; empty for a new font.
    const std::string& Path() const { return path_; }
    bool Modified() const { return modified_; }
    // The history's clean state decides this while the font is edited.
    void SetModified(bool Modified) { modified_ = Modified; }

    // The strip's pixels, to be changed in place.
    TPixelGrid Grid();
    TFontBody Body() const;
    // Puts a body taken from this font back; the pixels are not copied.
    void SetBody(TFontBody Body);

    // Puts a strip of Width x Height pixels in place, top row first, 1 or 2
    // bytes a pixel by the depth. Throws EFontError, changing nothing, when
    // the size is not Pixels' or is more than the format holds.
    void ReplaceStrip(std::int32_t Width, std::int32_t Height, Bytes Pixels);
    // Puts a table in place; it is written in its own order, each run of
    // consecutive codes as one range record. Throws EFontError for more
    // than kMaxChars rows.
    void SetTable(std::vector<TCharEntry> Table);

    // The font file up to its pixel data: headers, range records, size; with
    // Width, as for a strip that wide.
    Bytes HeadBytes() const { return HeadBytes(font_.Width); }
    Bytes HeadBytes(std::int32_t Width) const;
    // Writes the font file atomically (see WriteFileAtomically); it is then
    // the font's file and the font is unchanged.
    void Save(const std::string& Path, Durability durability = Durability::Synced);
    // The bytes Save writes.
    Bytes FileBytes() const;
    // A download is a save: the font is then unchanged, under the name Path.
    void Saved(const std::string& Path);

private:
    TSftFont font_;
    std::vector<TCharEntry> table_;
    // The records as read, written back as they stand while the table is
    // the one read with them, so a font saved unchanged keeps its bytes.
    std::vector<TRange> ranges_;
    bool rangesAsRead_ = false;
    std::string path_;
    bool modified_ = false;
};

// The range records that write Table in its own order.
std::vector<TRange> RangesOf(const std::vector<TCharEntry>& Table);

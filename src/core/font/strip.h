// Where the glyphs lie along a strip: each one runs from its X to the next
// larger X in the table, or to the strip's end.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "font/font.h"

struct TGlyphExtent {
    std::int32_t Begin = 0;  // first column
    std::int32_t End = 0;    // one past the last; Begin == End for none
    bool operator==(const TGlyphExtent&) const = default;
};

// One piece of a text laid out in the font: a glyph, or, for a character the
// table lacks, a gap of GapWidth columns.
struct TTextPiece {
    TGlyphExtent Glyph;
    std::int32_t GapWidth = 0;
    bool operator==(const TTextPiece&) const = default;
};

class TStripGeometry {
public:
    TStripGeometry() = default;
    // Chars: the table's entries in table order.
    TStripGeometry(std::span<const TCharEntry> Chars, std::int32_t Width);

    // The distinct X values that lie within the strip, ascending.
    const std::vector<std::int32_t>& Boundaries() const { return xs_; }
    std::size_t Count() const { return chars_.size(); }
    std::uint16_t Code(std::size_t Index) const { return codes_[Index]; }
    // The glyph of entry Index; none when its X lies outside the strip.
    TGlyphExtent Extent(std::size_t Index) const;
    // The entry whose glyph holds column X (the first in table order of
    // those sharing its X), or -1.
    int EntryAt(std::int32_t X) const;
    // The columns between two boundaries that hold column X: its glyph, or
    // the columns before the first one; none off the strip.
    TGlyphExtent ColumnsAt(std::int32_t X) const;
    // Codes spelt with the glyphs side by side, as TTextLayout lays out a
    // line whose characters are their codes (defined with it, in
    // textlayout.cpp, so the rule is written once).
    std::vector<TTextPiece> Spell(std::span<const std::uint16_t> Codes) const;

private:
    std::int32_t width_ = 0;
    std::vector<std::int32_t> xs_;     // ascending, distinct
    std::vector<int> firstAt_;         // per boundary, its first entry
    std::vector<std::int32_t> chars_;  // each entry's X
    std::vector<std::uint16_t> codes_;
};

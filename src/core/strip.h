// Where the glyphs lie along a strip: each one runs from its X to the next
// larger X in the table, or to the strip's end.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "font.h"

struct TGlyphExtent {
    std::int32_t Begin = 0;  // first column
    std::int32_t End = 0;    // one past the last; Begin == End for none
};

class TStripGeometry {
public:
    TStripGeometry() = default;
    // Chars: the table's entries in table order.
    TStripGeometry(std::span<const TCharEntry> Chars, std::int32_t Width);

    // The distinct X values that lie within the strip, ascending.
    const std::vector<std::int32_t>& Boundaries() const { return xs_; }
    // The glyph of entry Index; none when its X lies outside the strip.
    TGlyphExtent Extent(std::size_t Index) const;
    // The entry whose glyph holds column X (the first in table order of
    // those sharing its X), or -1.
    int EntryAt(std::int32_t X) const;

private:
    std::int32_t width_ = 0;
    std::vector<std::int32_t> xs_;     // ascending, distinct
    std::vector<int> firstAt_;         // per boundary, its first entry
    std::vector<std::int32_t> chars_;  // each entry's X
};

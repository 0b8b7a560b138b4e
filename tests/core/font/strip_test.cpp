#include <gtest/gtest.h>

#include "font/strip.h"

namespace {

// Entries that share an X, lie before the strip, or beyond its end.
TEST(StripGeometry, ExtentsRunToTheNextLargerX) {
    std::vector<TCharEntry> chars;
    for (std::int32_t x : {30, 10, 10, -5, 50, 200, 30, 100, 0})
        chars.push_back({std::uint16_t(65 + chars.size()), x, 0});
    const TStripGeometry strip(chars, 100);
    EXPECT_EQ(strip.Boundaries(), (std::vector<std::int32_t>{0, 10, 30, 50}));
    const std::vector<std::pair<int, int>> extents = {
        {30, 50}, {10, 30}, {10, 30}, {0, 0}, {50, 100}, {0, 0}, {30, 50}, {0, 0}, {0, 10}, {0, 0}};
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const TGlyphExtent e = strip.Extent(i);
        EXPECT_EQ(std::make_pair(e.Begin, e.End), extents[i]) << i;
    }
    // The entry whose glyph holds column x, or -1.
    const int xs[] = {-1, 0, 9, 10, 29, 30, 49, 50, 99, 100},
              at[] = {-1, 8, 8, 1, 1, 0, 0, 4, 4, -1};
    for (std::size_t i = 0; i < std::size(xs); ++i) EXPECT_EQ(strip.EntryAt(xs[i]), at[i]) << xs[i];
    EXPECT_TRUE(TStripGeometry(chars, 0).Boundaries().empty());

    // Text: glyphs side by side; a code without a glyph leaves a gap as wide as
    // the average glyph, or as the space when there is one.
    const std::vector<std::uint16_t> text = {'B', 'D', 'Z', 'E'};
    const TTextPiece b{{10, 30}, 0}, e{{50, 100}, 0};
    EXPECT_EQ(strip.Spell(text), (std::vector<TTextPiece>{b, {{}, 23}, {{}, 23}, e}));
    chars.push_back({32, 10, 0});
    EXPECT_EQ(TStripGeometry(chars, 100).Spell(text),
              (std::vector<TTextPiece>{b, {{}, 20}, {{}, 20}, e}));
    EXPECT_EQ(TStripGeometry({}, 100).Spell(text), std::vector<TTextPiece>(4, TTextPiece{{}, 0}));
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>

#include "font/strip.h"
#include "font/textlayout.h"

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

// A part of a text's picture, as a view of a long text asks for it, is the
// same part of the whole picture: cut through glyphs and gaps, and past the
// end.
TEST(TextPicture, ColumnsOfItAreThoseOfTheWhole) {
    TSftFont font;
    font.Width = 12, font.Height = 2;
    Bytes pixels(24);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i + 1);
    font.Pixels = SharedBytes(std::move(pixels));
    font.StripHeader[36] = 8;
    const TStripGeometry glyphs(std::vector<TCharEntry>{{'a', 0, 0}, {'b', 5, 0}}, 12);
    const TTextLayout layout(glyphs);
    const std::vector<std::u32string> lines = {U"abza", U"b"};
    const TPixelStrip<Bytes> whole = TextPicture(font, layout, lines);
    ASSERT_EQ(whole.Width, 5 + 7 + 6 + 5);
    for (const auto& [left, columns] : std::vector<std::pair<int, int>>{
             {0, 23}, {3, 4}, {12, 6}, {13, 20}, {22, 1}, {23, 5}, {40, 2}}) {
        const TPixelStrip<Bytes> part = TextPicture(font, layout, lines, left, columns);
        const int w = std::clamp(std::min(columns, whole.Width - left), 0, whole.Width);
        ASSERT_EQ(std::make_pair(part.Width, part.Height), std::make_pair(w, 4)) << left;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(part.Pixels[std::size_t(y * w + x)],
                          whole.Pixels[std::size_t(y * whole.Width + left + x)])
                    << left << ": " << x << ", " << y;
    }
}

// Lines measured in one font after another, some measuring alike, are the
// widths each layout gives them, however many came between.
TEST(LineWidths, EachLayoutGivesItsOwnWidths) {
    const std::vector<std::u32string_view> lines = {U"ab", U"ba b", U"", U"zz\u0416"};
    TLineWidths measured(lines);
    for (const int b : {5, 2, 5, 3, 4, 6, 7, 8, 9, 10, 11, 2, 5}) {
        const TTextLayout layout(
            TStripGeometry(std::vector<TCharEntry>{{'a', 0, 0}, {'b', b, 0}}, 12));
        std::vector<std::int64_t> expected;
        for (const std::u32string_view line : lines) expected.push_back(layout.Width(line));
        EXPECT_EQ(measured.In(layout), expected) << b;
    }
}

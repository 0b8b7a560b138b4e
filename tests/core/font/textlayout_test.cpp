// The one layout rule: widths and pieces through a code page, the gap a
// missing character leaves, and the picture's size.
#include <gtest/gtest.h>

#include "font/textlayout.h"
#include "testfiles.h"

namespace {

// 'a' 0-3, 'b' 4-9, code 0xB3 10-14 and 'a' again 15-20: only the first 'a' counts.
TEditedFont Font(bool Space) {
    TEditedFont font = BoxFont({{1, {0, 0, 7, 12}}, {2, {1, 1, 2, 2}}, {3, {0, 0, 1, 1}}});
    std::vector<TCharEntry> table = {{'a', 0, 0}, {'b', 4, 0}, {0xB3, 10, 0}, {'a', 15, 0}};
    if (Space) table.push_back({' ', 4, 0});
    font.SetTable(table);
    return font;
}

TEST(TextLayout, LinesAreTheirGlyphsSideBySideWithGapsForWhatIsMissing) {
    const TCodePageMap unicode, cp1250 = CodePageNamed("Windows-1250");
    struct Case {
        std::u32string line;
        bool space;
        const TCodePageMap* page;
        std::int64_t width;
    };
    // Without a space the gap is the average glyph, (4 + 6 + 5 + 6) / 4 rounded.
    for (const Case& c : std::vector<Case>{{U"", false, &unicode, 0},
                                           {U"ab", false, &unicode, 10},
                                           {U"a\u0142", false, &unicode, 9},
                                           {U"a\u0142", true, &cp1250, 9},
                                           {U"a\u0142", true, &unicode, 10},
                                           {U"\u00B3", true, &unicode, 5},
                                           {U"\u00B3", true, &cp1250, 6},
                                           {U"\U0001F600b", true, &unicode, 12},
                                           {U"ba", true, &cp1250, 10}}) {
        SCOPED_TRACE(std::to_string(c.line.size()) + " " + c.page->Name());
        const TEditedFont font = Font(c.space);
        const TTextLayout layout(TStripGeometry(font.Table(), font.Font().Width), *c.page);
        EXPECT_EQ(layout.Width(c.line), c.width);
        std::int64_t sum = 0;
        for (const TTextPiece& p : layout.Pieces(c.line))
            sum += p.Glyph.End - p.Glyph.Begin + p.GapWidth;
        EXPECT_EQ(sum, c.width);
    }
    const TEditedFont font = Font(false);
    const TTextLayout layout(TStripGeometry(font.Table(), font.Font().Width), cp1250);
    EXPECT_EQ(layout.Pieces(U"\u0142a?"),
              (std::vector<TTextPiece>{{{10, 15}, 0}, {{0, 4}, 0}, {{}, 5}}));

    // As wide as the widest line, each line the strip's height.
    const std::vector<std::u32string> lines = {U"a", U"", U"\u0142ab"};
    const TPixelStrip<Bytes> picture = TextPicture(font.Font(), layout, lines);
    EXPECT_EQ(std::make_pair(picture.Width, picture.Height), std::make_pair(15, 36));
    // One glyph of 99,436 columns, 30,000 times, is more than a BMP holds.
    TEditedFont wide;
    ASSERT_TRUE(wide.Parse(MakeFont(8, 100000, 1), "w.sft"));
    const TTextLayout far(TStripGeometry(wide.Table(), wide.Font().Width));
    EXPECT_THROW(
        TextPicture(wide.Font(), far, std::vector<std::u32string>{std::u32string(30000, U'~')}),
        EFontError);
    EXPECT_EQ(SplitLines(U"a\r\nb\rc\n"), (std::vector<std::u32string>{U"a", U"b", U"c", U""}));
}

}  // namespace

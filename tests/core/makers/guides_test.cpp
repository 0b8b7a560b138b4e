// The guides found from a font's letters, their fields and settings text,
// and the reference glyph drawn under the selected one.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "makers/guides.h"
#include "testfiles.h"
#include "text/charcode.h"

namespace {

// An 8-bit font of the glyphs side by side, each its rows of text: '.' is 0,
// a digit its value.
TEditedFont FontOf(const std::vector<std::pair<char, std::vector<std::string>>>& Glyphs) {
    const std::size_t height = Glyphs.front().second.size();
    std::vector<std::string> rows(height);
    SftWriter f;
    f.Header(std::int32_t(Glyphs.size()));
    for (const auto& [code, glyph] : Glyphs) {
        f.U16(std::uint8_t(code)).U16(std::uint8_t(code)).I32(std::int32_t(rows[0].size())).I32(0);
        for (std::size_t y = 0; y < height; ++y) rows[y] += glyph[y];
    }
    f.StripHeader(8).Size(std::int32_t(rows[0].size()), std::int32_t(height));
    ByteVec file = f.Bytes();
    for (const std::string& r : rows)
        for (char c : r) file.push_back(std::uint8_t(c == '.' ? 0 : c - '0'));
    TEditedFont font;
    EXPECT_TRUE(font.Parse(ByteSpan(file.data(), file.size()), "f.sft"));
    return font;
}

TGuideRows Found(const TEditedFont& Font, std::uint16_t Background = 0) {
    return FindGuides(Font, TStripGeometry(Font.Table(), Font.Font().Width), Background);
}

}  // namespace

// H gives the cap height and the baseline, x the x-height; without them the
// capitals and the first lowercase letter of the list the font has; a letter
// without ink counts as none; none of them, no guide.
TEST(Guides, FoundFromHThenTheFallbacksElseNone) {
    const std::vector<std::string> a = {"...", ".1.", "1.1", "111", "1.1", "..."},
                                   h = {"...", "...", "1.1", "111", "1.1", "..."},
                                   j = {"...", "..1", "..1", "..1", "1.1", ".1."},
                                   o = {"...", "...", "...", "111", "111", "..."}, blank(6, "...");
    EXPECT_EQ(Found(FontOf({{'A', a}, {'H', h}, {'o', o}, {'x', a}})), (TGuideRows{2, 1, 5}));
    // No H (its glyph has no ink): A's top is highest; A and E end on row 4,
    // J on 5; x-height from e before o.
    EXPECT_EQ(Found(FontOf({{'H', blank}, {'J', j}, {'A', a}, {'E', h}, {'o', a}, {'e', o}})),
              (TGuideRows{1, 3, 5}));
    // As common: the highest bottom row.
    EXPECT_EQ(Found(FontOf({{'J', j}, {'A', a}})).Base, 5);
    EXPECT_EQ(Found(FontOf({{'1', a}, {'H', blank}})), TGuideRows{});
    // Ink is what is not the background: with 1 as background, H's ink is its 0s.
    EXPECT_EQ(Found(FontOf({{'H', h}}), 1), (TGuideRows{0, std::nullopt, 6}));
    EXPECT_EQ(InkBox(FontOf({{'x', blank}, {'J', j}}).Font(), {3, 6}, 0), (TPixelRect{3, 1, 6, 6}));
}

// A field is empty or a row within the strip; the settings' text is the
// three fields and is refused whole when one is not.
TEST(Guides, FieldsAndTheirSettingsText) {
    EXPECT_EQ(GuideRowOf(0, " 16 ", 16), 16);
    for (const char* bad : {"17", "-1", "2x"}) EXPECT_THROW(GuideRowOf(1, bad, 16), EFontError);
    EXPECT_EQ(GuideRowsOf(GuideRowsText({3, std::nullopt, 12}), 16), (TGuideRows{3, {}, 12}));
    for (const char* bad : {"3,,17", "3,12", "3,,,12"})
        EXPECT_EQ(GuideRowsOf(bad, 16), std::nullopt);
}

// The reference's ink lands half and half on the selected glyph's background
// only, from its first column, cut to its columns; this font's or another's.
TEST(Guides, ReferenceGlyphDrawnUnderTheSelectedOne) {
    const TEditedFont strip = FontOf({{'A', {"1..", "..."}}, {'B', {"...", "..."}}});
    const TEditedFont other = FontOf({{'R', {"2222", "...."}}});
    TPalette palette{};
    palette[3 * 2] = 200;  // entry 2 is (200, 0, 0)
    const TReferenceGlyph ref(other, CharacterCode("R"), "OTHER.SFT");
    EXPECT_EQ(std::make_pair(ref.Width(), ref.Height()), std::make_pair(4, 2));
    std::vector<std::uint8_t> rgba(6 * 2 * 4, 10);
    ref.DrawUnder(strip, palette, 0, {0, 3}, 0, 0, 6, 2, rgba.data());
    std::vector<std::uint8_t> reds;
    for (std::size_t i = 0; i < rgba.size(); i += 4) reds.push_back(rgba[i]);
    EXPECT_EQ(reds, (std::vector<std::uint8_t>{10, 105, 105, 10, 10, 10, 10, 10, 10, 10, 10, 10}));
    EXPECT_EQ(rgba[5], 5);  // green: half of 10
    EXPECT_THROW(TReferenceGlyph(strip, 'R'), EFontError);
}

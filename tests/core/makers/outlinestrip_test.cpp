#include "makers/outlinestrip.h"
#include "text/charcode.h"

#include <gtest/gtest.h>

namespace {

TGlyphBitmap Glyph(std::int32_t w, std::int32_t rows, std::int32_t left, std::int32_t top,
                   std::int32_t advance) {
    TGlyphBitmap g{w, rows, left, top, advance, {}};
    for (std::int32_t i = 0; i < w * rows; ++i) g.Coverage.push_back(std::uint8_t(10 + i));
    return g;
}

// Cells by advance with the spacing after each; a bitmap sits at its bearings
// from the cell's start on the shared baseline, and what leaves the cell or
// the strip is dropped and counted.
TEST(OutlineStrip, LaysGlyphsOutInCellsAndCountsWhatIsClipped) {
    const std::vector<TPlacedGlyph> glyphs = {
        {65, Glyph(2, 2, 1, 3, 4)},   // inside
        {66, Glyph(4, 1, -1, 1, 2)},  // one column left of its cell, one right of it
        {67, Glyph(1, 3, 0, 1, 1)},   // a row below the strip
        {68, Glyph(0, 0, 0, 0, 0)},   // no ink, no cell
    };
    const TCoverageStrip s = LayOutGlyphs(glyphs, {4, 3, 2, 16});
    EXPECT_EQ(s.Table, (std::vector<TCharEntry>{{65, 0, 4}, {66, 6, 2}, {67, 10, 1}, {68, 13, 0}}));
    ASSERT_EQ(s.Width, 15);
    ASSERT_EQ(s.Height, 4);
    std::vector<std::uint8_t> want(15 * 4, 0);
    want[0 * 15 + 1] = 10, want[0 * 15 + 2] = 11, want[1 * 15 + 1] = 12, want[1 * 15 + 2] = 13;
    want[2 * 15 + 6] = 11, want[2 * 15 + 7] = 12;
    want[2 * 15 + 10] = 10, want[3 * 15 + 10] = 11;
    EXPECT_EQ(s.Pixels, want);
    EXPECT_EQ(s.ClippedPixels, 3u);
    EXPECT_EQ(s.ClippedGlyphs, 2u);

    // Cut to their cells first, the glyphs make the same strip; the cut is counted.
    std::vector<TPlacedGlyph> cropped = glyphs;
    std::uint64_t cut = 0;
    for (TPlacedGlyph& g : cropped) cut += CropToCell(g.Glyph, {4, 3, 2, 16}).Pixels;
    const TCoverageStrip c = LayOutGlyphs(cropped, {4, 3, 2, 16});
    EXPECT_EQ(c.Pixels, s.Pixels);
    EXPECT_EQ(c.Table, s.Table);
    EXPECT_EQ(cut, 3u);
    EXPECT_EQ(c.ClippedPixels, 0u);

    EXPECT_THROW(LayOutGlyphs({{1, Glyph(0, 0, 0, 0, 1 << 20)}}, {5000, 0, 0, 16}), EFontError);
}

TEST(OutlineStrip, ColorsBlendByCoverage) {
    // 16-bit: both ends exact, the middle rounded to nearest before 5-6-5.
    const TCoverageColors c16 = CoverageColors16({255, 255, 255}, {0, 0, 0});
    EXPECT_EQ(c16.Value[0], 0x0000);
    EXPECT_EQ(c16.Value[255], 0xFFFF);
    EXPECT_EQ(Blend({200, 0, 10}, {100, 255, 0}, 128), (TRgb{150, 127, 5}));
    EXPECT_EQ(CoverageColors16({200, 0, 6}, {94, 250, 0}).Value[128], 18 << 11 | 31 << 5);

    // 8-bit on a ramp of even greys, twice over: each blend takes the lower
    // of two equally near greys, in the first copy.
    TPalette ramp{};
    for (std::size_t k = 0; k < 768; ++k) ramp[k] = std::uint8_t(k / 3 % 128 * 2);
    EXPECT_EQ(BrightestEntry(ramp), 127);
    EXPECT_EQ(DarkestEntry(ramp), 0);
    const TCoverageColors c8 = CoverageColors8(ramp, 255, 128);  // the second copies
    EXPECT_EQ(c8.Value[0], 128);
    EXPECT_EQ(c8.Value[255], 255);
    for (int a = 1; a < 255; ++a)
        EXPECT_EQ(c8.Value[std::size_t(a)], (254 * a + 127) / 255 / 2) << a;

    TCoverageStrip strip{{2, 1, {0, 255}}, {}, 0, 0};
    EXPECT_EQ(PaintStrip(strip, c16), (Bytes{0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(PaintStrip(strip, c8), (Bytes{128, 255}));
}

TEST(OutlineStrip, ParsesCharacterListsAndRefusesWithTheReason) {
    EXPECT_EQ(ParseCharList("65-67 , 32,65535\t"),
              (std::vector<std::uint16_t>{65, 66, 67, 32, 65535}));
    const std::vector<std::uint16_t> runs = {0, 1, 2, 4, 65534, 65535};
    EXPECT_EQ(FormatCharList(runs), "0-2,4,65534-65535");
    EXPECT_EQ(ParseCharList(FormatCharList(runs)), runs);
    const std::vector<std::pair<const char*, const char*>> bad = {
        {"", "no codes in the list"},
        {"32,,40", "an empty item in \"32,,40\""},
        {"40-32", "the range \"40-32\" runs backwards"},
        {"65536", "\"65536\" is not a code from 0 to 65535 or a range A-B"},
        {"a-z", "\"a-z\" is not a code from 0 to 65535 or a range A-B"},
        {"1-2-3", "\"1-2-3\" is not a code from 0 to 65535 or a range A-B"},
    };
    for (const auto& [list, why] : bad) {
        try {
            ParseCharList(list);
            ADD_FAILURE() << list;
        } catch (const EFontError& e) {
            EXPECT_STREQ(e.what(), why);
        }
    }
    EXPECT_EQ(ParseRgb("1, 2,255"), (TRgb{1, 2, 255}));
    EXPECT_EQ(ParsePaletteIndex("255"), 255);
    for (const char* rgb : {"1,2", "1,2,3,4", "256,0,0", "-1,0,0", "#ffffff"})
        EXPECT_THROW(ParseRgb(rgb), EFontError) << rgb;
    EXPECT_THROW(ParsePaletteIndex("256"), EFontError);
    EXPECT_EQ(ParseShadowOffset(" -3,+2"), std::make_pair(-3, 2));
    for (const char* offset : {"0,0", "4,1", "1", "1,2,3", "--1,1", "1,x"})
        EXPECT_THROW(ParseShadowOffset(offset), EFontError) << offset;
}

TEST(OutlineStrip, DecodesUtf8AndNamesTheFirstBadByte) {
    EXPECT_EQ(DecodeUtf8("A\xC3\xA9\xE2\x98\x83\xF0\x9F\x98\x80"), U"A\u00E9\u2603\U0001F600");
    const std::vector<std::pair<std::string, std::size_t>> bad = {
        {"ab\x80", 2},            // a continuation byte alone
        {"\xC3", 0},              // cut short
        {"x\xC0\x81", 1},         // overlong
        {"\xED\xA0\x80", 0},      // a surrogate
        {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
        {"\xE2\x28\xA1", 0},      // a lead byte without its continuation
    };
    for (const auto& [text, at] : bad) {
        try {
            DecodeUtf8(text);
            ADD_FAILURE() << at;
        } catch (const EFontError& e) {
            EXPECT_EQ(e.what(), "not UTF-8 text: byte " + std::to_string(at));
        }
    }
}

}  // namespace

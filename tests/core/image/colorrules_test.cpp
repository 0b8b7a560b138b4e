#include <gtest/gtest.h>

#include <cstring>

#include "image/color.h"
#include "image/colorrules.h"
#include "picture/picture.h"

namespace {

// What a refusal says, or "accepted".
template <class F>
std::string Why(F&& f) {
    try {
        f();
    } catch (const EFontError& e) {
        return e.what();
    }
    return "accepted";
}

TImagePixels Colors(std::vector<std::uint32_t> argb) {
    TImagePixels image;
    image.Width = 2;
    image.Height = std::int32_t(argb.size() / 2);
    image.Colors.assign(argb.begin(), argb.end());
    return image;
}

// Every 5-6-5 value comes back from its picture exactly; other colours take
// the nearest value and are counted.
TEST(ColorRules, SixteenBitValuesComeBackFromTheirPicture) {
    TImagePixels all;
    all.Width = 256;
    all.Height = 256;
    for (std::uint32_t v = 0; v < 65536; ++v) {
        std::uint8_t r, g, b;
        Color16ToRGB(std::uint8_t(v), std::uint8_t(v >> 8), r, g, b);
        all.Colors.push_back(0xFF000000u | r << 16 | g << 8 | b);
    }
    const TFontPixels back = ToFontPixels16(all);
    EXPECT_EQ(back.Changed, 0u);
    for (std::uint32_t v = 0; v < 65536; ++v) ASSERT_EQ(GetU16(back.Pixels.data() + 2 * v), v) << v;

    const TFontPixels off =
        ToFontPixels16(Colors({0xFFFFFFFF, 0xFF0B0504, 0xFF0C0603, 0xFFF8FC00}));
    EXPECT_EQ(off.Changed, 3u);
    const std::vector<std::uint16_t> want = {0xFFFF, 0x0821, 0x1040, 0xFFE0};
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(GetU16(off.Pixels.data() + 2 * i), want[i]) << i;
}

TEST(ColorRules, EightBitPixelsMatchThePalette) {
    TPalette palette{};
    palette.fill(255);  // all white but for entries 0 to 3
    const std::vector<std::uint32_t> entries = {0x000000, 0x0A141E, 0x0A141E, 0xC80000};
    for (std::size_t k = 0; k < entries.size(); ++k)
        for (int c = 0; c < 3; ++c) palette[3 * k + c] = std::uint8_t(entries[k] >> (16 - 8 * c));
    TImagePixels indexed;
    indexed.Width = 4;
    indexed.Height = 1;
    indexed.Indexed = true;
    indexed.Indices = {2, 5, 9, 0};
    indexed.ColorTable.fill(0xFF0A141E);
    indexed.ColorTable[9] = 0xFFC80000;
    indexed.ColorTable[0] = 0xFFFFFFFF;

    // As they stand without a palette; matched by colour with one: an index of
    // the right colour stays, others take the first entry of their colour.
    EXPECT_EQ(ToFontPixels8(indexed, nullptr, false).Pixels, Bytes({2, 5, 9, 0}));
    EXPECT_EQ(ToFontPixels8(indexed, &palette, false).Pixels, Bytes({2, 1, 3, 4}));

    // Missing colours: counted with the first place, or moved to the nearest
    // (the first of equals: 0x050A0F is as near to black as to entry 1).
    const TImagePixels rgb = Colors({0xFFC80000, 0xFFC90000, 0xFF050A0F, 0xFF0A141E});
    try {
        ToFontPixels8(rgb, &palette, false);
        ADD_FAILURE() << "no refusal";
    } catch (const EColorsNotInPalette& e) {
        EXPECT_EQ(std::make_tuple(e.Count, e.X, e.Y), std::make_tuple(2u, 1, 0));
        EXPECT_STREQ(e.what(), "2 pixels of colours the palette doesn't hold, the first at (1, 0)");
    }
    const TFontPixels nearest = ToFontPixels8(rgb, &palette, true);
    EXPECT_EQ(nearest.Pixels, Bytes({3, 3, 0, 1}));
    EXPECT_EQ(nearest.Changed, 2u);

    // Refused: colours with nothing to match, a pixel not fully opaque matched by
    // colour; indices taken as they stand keep a transparent entry's index.
    EXPECT_THROW(ToFontPixels8(rgb, nullptr, false), EFontError);
    indexed.ColorTable[5] = 0xFE0A141E;
    EXPECT_EQ(Why([&] { ToFontPixels8(indexed, &palette, true); }),
              "pixel (1, 0) is not fully opaque");
    EXPECT_EQ(ToFontPixels8(indexed, nullptr, false).Pixels,
              Bytes(indexed.Indices.begin(), indexed.Indices.end()));
    EXPECT_EQ(Why([&] {
                  ToFontPixels16(Colors({0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0}));
              }),
              "pixel (0, 1) is not fully opaque");
}

// Rows handed over bottom first, as a BMP stores them, give the strip and the
// refusal of the whole picture: the first pixel named is the first in reading
// order. Long rows go eight pixels a step, and each component is rounded and
// kept within its bits as one pixel at a time would be.
TEST(ColorRules, RowsInAnyOrderMakeTheSameStrip) {
    TPalette palette{};  // all black but entry 7
    palette[21] = 0xFF;
    const auto make = [&](int bits, const TImagePixels& image, bool nearest) {
        TStripMaker maker(bits, bits == 8 ? &palette : nullptr, nearest);
        maker.Start(image);
        for (std::size_t y = std::size_t(image.Height); y-- > 0;) {
            std::memcpy(maker.Row(y), image.Colors.data() + y * std::size_t(image.Width),
                        4 * std::size_t(image.Width));
            maker.Put(y);
        }
        return maker.Finish();
    };
    TImagePixels image;
    image.Width = 259;
    image.Height = 3;
    for (std::uint32_t i = 0; i < 259 * 3; ++i) {
        const std::uint32_t v = i % 259 < 256 ? i % 259 : 0xFF;
        image.Colors.push_back(0xFF000000u | (i % 3 == 0 ? v << 16 : i % 3 == 1 ? v << 8 : v));
    }
    const TFontPixels strip = make(16, image, false);
    std::uint64_t lost = 0, missing = 0;
    for (std::size_t i = 0; i < image.Colors.size(); ++i) {
        const std::uint32_t c = image.Colors[i], r = c >> 16 & 255, g = c >> 8 & 255, b = c & 255;
        const auto want = std::min(31u, (r + 4) >> 3) << 11 | std::min(63u, (g + 2) >> 2) << 5 |
                          std::min(31u, (b + 4) >> 3);
        ASSERT_EQ(GetU16(strip.Pixels.data() + 2 * i), want) << i;
        lost += (c & 0x070307) != 0;
        missing += (c & 0xFFFF) != 0 || (r != 0 && r != 255);
    }
    EXPECT_EQ(strip.Changed, lost);
    EXPECT_EQ(make(8, image, true).Pixels, ToFontPixels8(image, &palette, true).Pixels);
    EXPECT_EQ(Why([&] { make(8, image, false); }),
              std::to_string(missing) +
                  " pixels of colours the palette doesn't hold, the first at (1, 0)");
    image.Colors[300] &= 0xFEFFFFFF;
    image.Colors[700] &= 0xFFFFFF;
    for (int bits : {8, 16})
        EXPECT_EQ(Why([&] { make(bits, image, true); }), "pixel (41, 1) is not fully opaque");
}

}  // namespace

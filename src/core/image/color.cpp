#include "image/color.h"

#include <algorithm>
#include <limits>

void Color16ToRGB(std::uint8_t Low, std::uint8_t High, std::uint8_t& Red, std::uint8_t& Green,
                  std::uint8_t& Blue) {
    Blue = static_cast<std::uint8_t>(Low << 3);
    Green = static_cast<std::uint8_t>(((Low >> 5) << 2) | ((High & 7) << 5));
    Red = static_cast<std::uint8_t>(High & 0xF8);
}

TRgb Blend(TRgb Color, TRgb Background, std::uint8_t Coverage) {
    const auto mix = [Coverage](std::uint8_t f, std::uint8_t b) {
        return std::uint8_t((f * Coverage + b * (255 - Coverage) + 127) / 255);
    };
    return {mix(Color.R, Background.R), mix(Color.G, Background.G), mix(Color.B, Background.B)};
}

std::uint16_t To565(TRgb c) {
    const int r5 = std::min(31, (c.R + 4) >> 3), g6 = std::min(63, (c.G + 2) >> 2),
              b5 = std::min(31, (c.B + 4) >> 3);
    return std::uint16_t(r5 << 11 | g6 << 5 | b5);
}

TRgb PaletteColor(const TPalette& Palette, std::uint8_t Index) {
    const std::size_t k = std::size_t(Index) * 3;
    return {Palette[k], Palette[k + 1], Palette[k + 2]};
}

std::uint8_t NearestPaletteEntry(const TPalette& Palette, TRgb c) {
    int best = 0, bestDistance = std::numeric_limits<int>::max();
    for (int k = 0; k < 256; ++k) {
        const TRgb e = PaletteColor(Palette, std::uint8_t(k));
        const int dr = e.R - c.R, dg = e.G - c.G, db = e.B - c.B;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return std::uint8_t(best);
}

namespace {
int Sum(TRgb c) { return c.R + c.G + c.B; }

template <class Better>
std::uint8_t FirstBy(const TPalette& Palette, Better better) {
    int best = 0;
    for (int k = 1; k < 256; ++k)
        if (better(Sum(PaletteColor(Palette, std::uint8_t(k))),
                   Sum(PaletteColor(Palette, std::uint8_t(best)))))
            best = k;
    return std::uint8_t(best);
}
}  // namespace

std::uint8_t BrightestEntry(const TPalette& Palette) {
    return FirstBy(Palette, [](int a, int b) { return a > b; });
}
std::uint8_t DarkestEntry(const TPalette& Palette) {
    return FirstBy(Palette, [](int a, int b) { return a < b; });
}

TRgb ValueColor(int BitsPerPixel, const TPalette& Palette, std::uint16_t Value) {
    if (BitsPerPixel == 8) return PaletteColor(Palette, std::uint8_t(Value));
    TRgb c;
    Color16ToRGB(std::uint8_t(Value), std::uint8_t(Value >> 8), c.R, c.G, c.B);
    return c;
}

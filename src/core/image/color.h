// Colours: RGB triples, 5-6-5 values and palette entries, and the rules
// that turn one into another.
#pragma once

#include <cstdint>

#include "image/palette.h"

struct TRgb {
    std::uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TRgb&) const = default;
};

// A 16-bit pixel's bytes as the picture shows it.
void Color16ToRGB(std::uint8_t Low, std::uint8_t High, std::uint8_t& Red, std::uint8_t& Green,
                  std::uint8_t& Blue);
// Colour over background by coverage, per channel, rounded to nearest.
TRgb Blend(TRgb Color, TRgb Background, std::uint8_t Coverage);
// The nearest 5-6-5 value, as a picture of the font shows it.
std::uint16_t To565(TRgb Color);
TRgb PaletteColor(const TPalette& Palette, std::uint8_t Index);
// A pixel's value as the picture shows it: at 8 bits a palette entry's
// colour, at 16 a 5-6-5 value's.
TRgb ValueColor(int BitsPerPixel, const TPalette& Palette, std::uint16_t Value);
// The entry nearest to Color by squared RGB distance, the first of equals.
std::uint8_t NearestPaletteEntry(const TPalette& Palette, TRgb Color);
// The brightest and the darkest entries by R + G + B, the first of equals.
std::uint8_t BrightestEntry(const TPalette& Palette);
std::uint8_t DarkestEntry(const TPalette& Palette);

// Rules that give glyphs the game's look: an outline, a shadow, a bolder
// stroke, one colour for another. Each reads a glyph's pixels as they were
// before it, and reads and writes only that glyph's columns and the strip's
// rows, so nothing spills into a neighbour.
#pragma once

#include <cstdint>
#include <string>

#include "font/pixeledit.h"

// Every Background pixel with a non-background pixel among its 8 neighbours
// takes Color.
void OutlinePixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, std::uint16_t Background,
                   std::uint16_t Color, TPixelDelta& Delta);
// For every non-background pixel at (x, y), the pixel at (x + Right, y + Down),
// if it is Background, takes Color.
void ShadowPixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, int Right, int Down,
                  std::uint16_t Background, std::uint16_t Color, TPixelDelta& Delta);
// For every non-background pixel at (x, y), the pixel at (x + 1, y), if it is
// Background, takes that pixel's value.
void BoldPixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, std::uint16_t Background,
                TPixelDelta& Delta);
// Every pixel of value From takes To.
void ReplacePixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, std::uint16_t From,
                   std::uint16_t To, TPixelDelta& Delta);
// How many pixels of columns Begin .. End - 1 hold Value.
std::uint64_t CountPixels(const TPixelGrid& Grid, std::int32_t Begin, std::int32_t End,
                          std::uint16_t Value);
// The Shadow dialog's offsets: each from -3 to 3, not both 0.
inline constexpr int kShadowReach = 3;
inline constexpr const char* kShadowNowhere = "Right and Down can't both be 0";
// Why a shadow can't go Right and Down; empty when it can.
std::string ShadowRefusal(std::int64_t Right, std::int64_t Down);

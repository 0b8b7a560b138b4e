// The drawing tools' pixels: a line and a rectangle, each drawn mirrored in a
// glyph as well when asked, an end snapped to a direction or a square, and a
// block of pixels lifted and put down elsewhere.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "font/pixeledit.h"

// Columns Begin .. End - 1 of a glyph: a pixel drawn within them is drawn at
// Begin + End - 1 - X too. Empty: no mirror.
struct TMirror {
    std::int32_t Begin = 0, End = 0;
};

// X, Y and its mirror take Value.
void PlotMirrored(TPixelGrid& Grid, const TMirror& Mirror, std::int64_t X, std::int64_t Y,
                  std::uint16_t Value, TPixelDelta& Delta);
// The pencil's line from one point to the other, mirrored.
void DrawLine(TPixelGrid& Grid, const TMirror& Mirror, std::int32_t X0, std::int32_t Y0,
              std::int32_t X1, std::int32_t Y1, std::uint16_t Value, TPixelDelta& Delta);
// A rectangle with corners at both points: a one-pixel frame, or filled.
void DrawRectangle(TPixelGrid& Grid, const TMirror& Mirror, std::int32_t X0, std::int32_t Y0,
                   std::int32_t X1, std::int32_t Y1, bool Filled, std::uint16_t Value,
                   TPixelDelta& Delta);
// Rect, with its mirror's columns when it reaches into the glyph.
TPixelRect MirroredArea(TPixelRect Rect, const TMirror& Mirror);

// The end of a line from X0, Y0 to X1, Y1 snapped to the nearest horizontal,
// vertical or diagonal; of a rectangle, to the corner of a square whose side
// is the longer of the two drags.
std::pair<std::int32_t, std::int32_t> SnapLineEnd(std::int32_t X0, std::int32_t Y0, std::int32_t X1,
                                                  std::int32_t Y1);
std::pair<std::int32_t, std::int32_t> SquareEnd(std::int32_t X0, std::int32_t Y0, std::int32_t X1,
                                                std::int32_t Y1);

// The rectangle with corners at both points, both included.
TPixelRect Spanned(std::int32_t X0, std::int32_t Y0, std::int32_t X1, std::int32_t Y1);
TPixelRect Within(TPixelRect Rect, const TPixelGrid& Grid);
TPixelRect Joined(TPixelRect A, TPixelRect B);
bool Inside(const TPixelRect& Rect, std::int64_t X, std::int64_t Y);

// Pixels lifted off a strip, top row first.
struct TPixelBlock {
    std::int32_t Width = 0, Height = 0;
    std::vector<std::uint16_t> Values;
};
// Rect's pixels, which must lie within the grid.
TPixelBlock LiftBlock(const TPixelGrid& Grid, TPixelRect Rect);
// From (lifted from there; may be empty) takes Background, then Block goes
// with its top-left corner at X, Y; what lands off the grid is lost.
void PutBlock(TPixelGrid& Grid, TPixelRect From, std::uint16_t Background, const TPixelBlock& Block,
              std::int64_t X, std::int64_t Y, TPixelDelta& Delta);

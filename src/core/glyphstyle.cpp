#include "glyphstyle.h"

#include <algorithm>
#include <vector>

namespace {

// The glyph's columns of Grid as they stand, read before anything is written.
struct TBefore {
    TBefore(const TPixelGrid& Grid, std::int32_t Begin, std::int32_t End)
        : begin(std::max(Begin, 0)), end(std::min(End, Grid.Width)), height(Grid.Height) {
        if (end <= begin) return;
        values.resize(std::size_t(end - begin) * std::size_t(height));
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = begin; x < end; ++x) values[Index(x, y)] = Grid.Get(x, y);
    }
    std::size_t Index(std::int32_t X, std::int32_t Y) const {
        return std::size_t(Y) * std::size_t(end - begin) + std::size_t(X - begin);
    }
    bool Inside(std::int64_t X, std::int64_t Y) const {
        return X >= begin && X < end && Y >= 0 && Y < height;
    }
    std::uint16_t At(std::int32_t X, std::int32_t Y) const { return values[Index(X, Y)]; }

    std::int32_t begin, end, height;
    std::vector<std::uint16_t> values;
};

// For each non-background pixel, the pixel Dx, Dy from it, if it is
// background, takes Value(pixel).
template <class Value>
void Cast(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, int Dx, int Dy,
          std::uint16_t Background, Value&& value, TPixelDelta& Delta) {
    const TBefore was(Grid, Begin, End);
    for (std::int32_t y = 0; y < was.height; ++y)
        for (std::int32_t x = was.begin; x < was.end; ++x) {
            const std::uint16_t v = was.At(x, y);
            const std::int64_t tx = std::int64_t(x) + Dx, ty = std::int64_t(y) + Dy;
            if (v == Background || !was.Inside(tx, ty)) continue;
            if (was.At(std::int32_t(tx), std::int32_t(ty)) == Background)
                Delta.Set(Grid, tx, ty, value(v));
        }
}

}  // namespace

void OutlinePixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, std::uint16_t Background,
                   std::uint16_t Color, TPixelDelta& Delta) {
    const TBefore was(Grid, Begin, End);
    for (std::int32_t y = 0; y < was.height; ++y)
        for (std::int32_t x = was.begin; x < was.end; ++x) {
            if (was.At(x, y) != Background) continue;
            bool inked = false;
            for (int dy = -1; dy <= 1 && !inked; ++dy)
                for (int dx = -1; dx <= 1 && !inked; ++dx)
                    inked = was.Inside(std::int64_t(x) + dx, std::int64_t(y) + dy) &&
                            was.At(x + dx, y + dy) != Background;
            if (inked) Delta.Set(Grid, x, y, Color);
        }
}

void ShadowPixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, int Right, int Down,
                  std::uint16_t Background, std::uint16_t Color, TPixelDelta& Delta) {
    Cast(
        Grid, Begin, End, Right, Down, Background, [Color](std::uint16_t) { return Color; }, Delta);
}

void BoldPixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, std::uint16_t Background,
                TPixelDelta& Delta) {
    Cast(
        Grid, Begin, End, 1, 0, Background, [](std::uint16_t V) { return V; }, Delta);
}

void ReplacePixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, std::uint16_t From,
                   std::uint16_t To, TPixelDelta& Delta) {
    for (std::int32_t y = 0; y < Grid.Height; ++y)
        for (std::int32_t x = std::max(Begin, 0); x < std::min(End, Grid.Width); ++x)
            if (Grid.Get(x, y) == From) Delta.Set(Grid, x, y, To);
}

std::uint64_t CountPixels(const TPixelGrid& Grid, std::int32_t Begin, std::int32_t End,
                          std::uint16_t Value) {
    std::uint64_t n = 0;
    for (std::int32_t y = 0; y < Grid.Height; ++y)
        for (std::int32_t x = std::max(Begin, 0); x < std::min(End, Grid.Width); ++x)
            n += Grid.Get(x, y) == Value;
    return n;
}

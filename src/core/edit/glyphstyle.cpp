#include "edit/glyphstyle.h"

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
    const std::size_t w = std::size_t(was.end - was.begin), h = std::size_t(was.height);
    if (w == 0 || h == 0) return;
    // Ink spread one pixel across each row, then one row up and down: the
    // pixels with ink among their 8 neighbours or themselves.
    std::vector<std::uint8_t> across(w * h), near(w * h);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint16_t* row = &was.values[y * w];
        std::uint8_t* out = &across[y * w];
        for (std::size_t x = 0; x < w; ++x)
            out[x] = (row[x] != Background) | (x > 0 && row[x - 1] != Background) |
                     (x + 1 < w && row[x + 1] != Background);
    }
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x)
            near[y * w + x] = across[y * w + x] | (y > 0 && across[(y - 1) * w + x]) |
                              (y + 1 < h && across[(y + 1) * w + x]);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x)
            if (near[y * w + x] && was.values[y * w + x] == Background)
                Delta.Set(Grid, was.begin + std::int64_t(x), std::int64_t(y), Color);
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

std::string ShadowRefusal(std::int64_t Right, std::int64_t Down) {
    if (Right < -kShadowReach || Right > kShadowReach || Down < -kShadowReach ||
        Down > kShadowReach)
        return "Right and Down must each be from " + std::to_string(-kShadowReach) + " to " +
               std::to_string(kShadowReach);
    return Right == 0 && Down == 0 ? kShadowNowhere : "";
}

// Changing a strip's pixels in place: a pixel, a line, a fill within a
// glyph's columns, flips, shifts and a paste. Each notes what it changed in a
// delta, so that the change can be taken back and done again.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/bytes.h"

// A strip's pixels, changed in place: Width * Height values of 1 (palette
// index) or 2 (5-6-5, little-endian) bytes, top row first.
struct TPixelGrid {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int BytesPerPixel = 1;
    std::uint8_t* Data = nullptr;

    bool Contains(std::int64_t X, std::int64_t Y) const {
        return X >= 0 && Y >= 0 && X < Width && Y < Height;
    }
    // The value at X, Y, which must lie within the grid.
    std::uint16_t Get(std::int32_t X, std::int32_t Y) const {
        const std::size_t at = std::size_t(Y) * std::size_t(Width) + std::size_t(X);
        return BytesPerPixel == 2 ? std::uint16_t(Data[2 * at] | Data[2 * at + 1] << 8) : Data[at];
    }
};

// Columns Begin .. End - 1 and rows Top .. Bottom - 1; empty when either
// range is.
struct TPixelRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Empty() const { return Left >= Right || Top >= Bottom; }
    bool operator==(const TPixelRect&) const = default;
};

// The pixels a change touched, as each one's offset and the bitwise
// difference of its old and new values: applying the same difference again
// takes the change back, so one pass both undoes and redoes.
class TPixelDelta {
public:
    // Sets pixel X, Y of Grid to Value and notes the change. A pixel outside
    // the grid, or already of that value, is left alone. Throws
    // std::bad_alloc with the pixel unchanged.
    void Set(TPixelGrid& Grid, std::int64_t X, std::int64_t Y, std::uint16_t Value) {
        if (Grid.Contains(X, Y) && Grid.Get(std::int32_t(X), std::int32_t(Y)) != Value)
            Note(Grid, std::int32_t(X), std::int32_t(Y), Value);
    }
    // The same for Count pixels of row Y from X on, all within the grid, to
    // Values: what Set does a pixel at a time, a row at once.
    void SetRow(TPixelGrid& Grid, std::int32_t X, std::int32_t Y, const std::uint16_t* Values,
                std::int32_t Count);
    // Undoes the change on a grid as it left it, redoes it on one as it found
    // it. Allocates nothing.
    void Toggle(TPixelGrid& Grid) const noexcept;
    bool Empty() const { return at_.empty(); }
    // How many pixel notes it holds.
    std::size_t Count() const { return at_.size(); }
    // No notes, their room kept: a delta made afresh on each move allocates once.
    void Clear() {
        at_.clear(), diff_.clear();
        bounds_ = {};
    }
    // What the delta holds on the heap and in itself.
    std::size_t MemoryBytes() const;
    // The smallest rectangle round the changed pixels.
    TPixelRect Bounds() const { return bounds_; }
    // The pixels this change and Other, both made on the same grid Width
    // pixels wide as it was, leave different: runs along rows, those of the
    // same columns on adjacent rows joined, top to bottom.
    std::vector<TPixelRect> Differing(const TPixelDelta& Other, std::int32_t Width) const;
    // The delta as bytes, and back: Read refuses, with false and the delta
    // empty, one that touches pixels outside a grid of Width x Height at
    // BytesPerPixel.
    void Write(Bytes& Out) const;
    bool Read(ByteSource& In, std::int32_t Width, std::int32_t Height, int BytesPerPixel);

private:
    // Sets a pixel within the grid that changes, noting it.
    void Note(TPixelGrid& Grid, std::int32_t X, std::int32_t Y, std::uint16_t Value);
    void Grow(std::int32_t X, std::int32_t Y);

    std::vector<std::uint32_t> at_;  // pixel offsets
    std::vector<std::uint16_t> diff_;
    TPixelRect bounds_;
};

// Runs Edit(Delta) on Grid; when it throws, what it changed is taken back
// before the error goes on, so the grid is as it was.
template <class Edit>
TPixelDelta Recorded(TPixelGrid& Grid, Edit&& edit) {
    TPixelDelta delta;
    try {
        edit(delta);
    } catch (...) {
        delta.Toggle(Grid);
        throw;
    }
    return delta;
}

// The points of a line from one end to the other, both included, one a step
// along the longer axis, to Put(X, Y); only the steps whose major coordinate
// lies within Width x Height are walked, the minor one may lie outside.
template <class TPut>
void WalkLine(std::int64_t Width, std::int64_t Height, std::int32_t X0, std::int32_t Y0,
              std::int32_t X1, std::int32_t Y1, TPut&& Put) {
    // A line's exact slope needs more than 64 bits for ends far apart.
    __extension__ using Wide = __int128;
    const std::int64_t dx = X1 > X0 ? std::int64_t(X1) - X0 : std::int64_t(X0) - X1;
    const std::int64_t dy = Y1 > Y0 ? std::int64_t(Y1) - Y0 : std::int64_t(Y0) - Y1;
    const bool steep = dy > dx;
    // Walked from the lower end of the major axis, so that a line is the same
    // pixels whichever way it was dragged.
    if (steep ? Y1 < Y0 : X1 < X0) std::swap(X0, X1), std::swap(Y0, Y1);
    const std::int64_t sx = X1 < X0 ? -1 : 1, sy = Y1 < Y0 ? -1 : 1;
    // Step i moves one pixel along the major axis and rounds the minor one.
    const std::int64_t steps = steep ? dy : dx, minor = steep ? dx : dy;
    const std::int64_t start = steep ? Y0 : X0, size = steep ? Height : Width;
    const std::int64_t first = std::max<std::int64_t>(0, -start);
    const std::int64_t last = std::min<std::int64_t>(steps, size - 1 - start);
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t across =
            steps == 0 ? 0 : std::int64_t((2 * Wide(i) * minor + steps) / (2 * Wide(steps)));
        if (steep)
            Put(X0 + sx * across, Y0 + sy * i);
        else
            Put(X0 + sx * i, Y0 + sy * across);
    }
}

// A line of Value from one point to the other, both ends included, one pixel
// a step along the longer axis. Ends may lie outside the grid; only the part
// within it is drawn.
void PaintLine(TPixelGrid& Grid, std::int32_t X0, std::int32_t Y0, std::int32_t X1, std::int32_t Y1,
               std::uint16_t Value, TPixelDelta& Delta);

// The 4-connected area of X, Y's value within columns Begin .. End - 1 takes
// Value. Memory grows with the area filled, not with the glyph.
void FillArea(TPixelGrid& Grid, std::int32_t X, std::int32_t Y, std::int32_t Begin,
              std::int32_t End, std::uint16_t Value, TPixelDelta& Delta);

// Columns Begin .. End - 1 mirrored left to right, or top to bottom.
void FlipColumns(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, TPixelDelta& Delta);
void FlipRows(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, TPixelDelta& Delta);

// The pixels of columns Begin .. End - 1 moved one step by Dx or Dy (-1, 0
// or 1): what moves out is gone, the column or row freed takes Background.
void ShiftPixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, int Dx, int Dy,
                 std::uint16_t Background, TPixelDelta& Delta);

// Source's pixels, of Grid's depth, put at column Begin, row 0, cut to
// columns Begin .. End - 1 and to the grid's rows.
void PastePixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, const TPixelGrid& Source,
                 TPixelDelta& Delta);

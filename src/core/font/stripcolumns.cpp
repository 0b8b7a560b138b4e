#include "font/stripcolumns.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
// An empty strip may have no buffer at all.
void Copy(std::uint8_t* to, const std::uint8_t* from, std::size_t n) {
    if (n) std::memcpy(to, from, n);
}

// Rows of three parts each: copied, put in (or filled), copied.
void Splice(const std::uint8_t* left, std::size_t leftBytes, const std::uint8_t* middle,
            std::size_t middleBytes, const std::uint8_t* right, std::size_t rightBytes,
            std::uint8_t*& out) {
    Copy(out, left, leftBytes);
    if (middle) Copy(out + leftBytes, middle, middleBytes);
    Copy(out + leftBytes + middleBytes, right, rightBytes);
    out += leftBytes + middleBytes + rightBytes;
}
}  // namespace

Bytes InsertColumns(const TPixelGrid& Grid, std::int32_t At, std::int32_t Width, ByteSpan Columns,
                    std::uint16_t Fill) {
    const auto b = std::size_t(Grid.BytesPerPixel), w = std::size_t(Grid.Width);
    const std::size_t at = std::size_t(At) * b, add = std::size_t(Width) * b, row = w * b;
    Bytes out((row + add) * std::size_t(Grid.Height));
    // One row of the fill, copied into every row.
    Bytes blank(Columns.empty() ? add : 0);
    for (std::size_t i = 0; i < blank.size(); i += b) {
        blank[i] = std::uint8_t(Fill);
        if (b == 2) blank[i + 1] = std::uint8_t(Fill >> 8);
    }
    std::uint8_t* to = out.data();
    for (std::size_t y = 0; y < std::size_t(Grid.Height); ++y) {
        const std::uint8_t* from = Grid.Data + y * row;
        const std::uint8_t* middle = Columns.empty() ? blank.data() : Columns.data() + y * add;
        Splice(from, at, middle, add, from + at, row - at, to);
    }
    return out;
}

Bytes RemoveColumns(const TPixelGrid& Grid, std::int32_t At, std::int32_t Width, Bytes* Removed) {
    const auto b = std::size_t(Grid.BytesPerPixel), w = std::size_t(Grid.Width);
    const std::size_t at = std::size_t(At) * b, cut = std::size_t(Width) * b, row = w * b;
    Bytes out((row - cut) * std::size_t(Grid.Height));
    if (Removed) Removed->resize(cut * std::size_t(Grid.Height));
    std::uint8_t* to = out.data();
    for (std::size_t y = 0; y < std::size_t(Grid.Height); ++y) {
        const std::uint8_t* from = Grid.Data + y * row;
        Splice(from, at, nullptr, 0, from + at + cut, row - at - cut, to);
        if (Removed) Copy(Removed->data() + y * cut, from + at, cut);
    }
    return out;
}

void MoveColumns(std::vector<TCharEntry>& Table, std::int32_t From, std::int32_t By) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min(),
                           hi = std::numeric_limits<std::int32_t>::max();
    for (TCharEntry& e : Table)
        if (e.X >= From) e.X = std::int32_t(std::clamp(std::int64_t(e.X) + By, lo, hi));
}

// A strip of pixels: its size and its bytes, however they are held.
#pragma once

#include <cstdint>

// Width x Height pixels, top row first. Store holds the bytes: a view for a
// picture drawn from a font, shared for a font's body, owned for a strip
// being made; the same fields whichever it is.
template <class Store>
struct TPixelStrip {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    Store Pixels;
};

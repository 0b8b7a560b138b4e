// A part of a picture as red, green, blue and alpha bytes per pixel, the form
// a browser's canvas takes: the same colours the exported file holds.
#pragma once

#include <cstdint>

#include "picture/picture.h"

// Columns X .. X + Width - 1 of rows Y .. Y + Height - 1, top row first, into
// Out (Width * Height * 4 bytes); false, writing nothing, when the part is not
// all within the picture.
bool PictureRGBA(const TBitmap& Picture, std::int32_t X, std::int32_t Y, std::int32_t Width,
                 std::int32_t Height, std::uint8_t* Out);

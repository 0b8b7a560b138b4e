// PNGs of any form for the tests and the fuzz corpus, written through libpng.
#pragma once

#include <png.h>

#include <functional>
#include <vector>

#include "testfiles.h"

// A PNG of any form, written sample by sample: Samples(x, y, channel) as the
// form stores it, rows packed below 8 bits and big-endian at 16.
struct PngForm {
    int type, depth;
    bool interlaced = false, gamma = false;
};
ByteVec WritePng(const PngForm& f, int w, int h, const std::function<int(int, int, int)>& Samples,
                 const std::vector<png_color>& Palette = {},
                 const std::vector<png_byte>& Alpha = {}, const png_color_16* Key = nullptr);

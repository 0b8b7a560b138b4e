#include "picture/rgba.h"

#include <vector>

bool PictureRGBA(const TBitmap& Picture, std::int32_t X, std::int32_t Y, std::int32_t Width,
                 std::int32_t Height, std::uint8_t* Out) {
    if (Picture.Empty() || Y < 0 || Height < 0 || Y > Picture.Height() - Height || X < 0 ||
        Width < 0 || X > Picture.Width() - Width)
        return false;
    const bool eight = Picture.BitCount() == 8;
    if (!eight && Picture.BitCount() != 24) return false;
    const ByteSpan table = Picture.ColorTable();
    std::vector<std::uint8_t> row(std::size_t(Width) * (eight ? 1 : 3));
    for (std::int32_t y = 0; y < Height; ++y) {
        Picture.ReadRow(Y + y, X, Width, row.data());
        std::uint8_t* out = Out + std::size_t(y) * std::size_t(Width) * 4;
        for (std::size_t c = 0; c < std::size_t(Width); ++c, out += 4) {
            // Both forms keep blue, green, red in that order; an index past a
            // short colour table is black.
            static const std::uint8_t black[3] = {0, 0, 0};
            const std::size_t entry = 4 * std::size_t(row[c]);
            const std::uint8_t* bgr = !eight                 ? &row[3 * c]
                                      : entry < table.size() ? table.data() + entry
                                                             : black;
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
            out[3] = 255;
        }
    }
    return true;
}

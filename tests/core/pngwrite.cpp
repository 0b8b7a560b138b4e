#include "pngwrite.h"

ByteVec WritePng(const PngForm& f, int w, int h, const std::function<int(int, int, int)>& Samples,
                 const std::vector<png_color>& Palette, const std::vector<png_byte>& Alpha,
                 const png_color_16* Key) {
    ByteVec out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, std::size_t n) {
            auto* o = static_cast<ByteVec*>(png_get_io_ptr(p));
            o->insert(o->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), f.depth, f.type,
                 f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, 0, 0);
    if (!Palette.empty()) png_set_PLTE(png, info, Palette.data(), int(Palette.size()));
    if (!Alpha.empty() || Key)
        png_set_tRNS(png, info, Alpha.data(), int(Alpha.size()), const_cast<png_color_16*>(Key));
    if (f.gamma) png_set_gAMA(png, info, 1.0);
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    std::vector<ByteVec> rows(std::size_t(h), ByteVec(png_get_rowbytes(png, info)));
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * channels; ++i) {
            const int v = Samples(i / channels, y, i % channels), bit = i * f.depth;
            if (f.depth == 16) {
                rows[std::size_t(y)][std::size_t(2 * i)] = std::uint8_t(v >> 8);
                rows[std::size_t(y)][std::size_t(2 * i + 1)] = std::uint8_t(v);
            } else {
                rows[std::size_t(y)][std::size_t(bit / 8)] |=
                    std::uint8_t(v << (8 - f.depth - bit % 8));
            }
        }
    std::vector<png_bytep> pointers;
    for (ByteVec& r : rows) pointers.push_back(r.data());
    png_set_interlace_handling(png);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

#include "imagefile.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/fileio.h"
#include "image/bmpread.h"

namespace {

const char* const kEndsEarly = "the file ends before its pixels do";
const char* const kNotAPicture = "not a picture that can be read (BMP or PNG)";

// The most pixels a byte of a PNG can stand for: deflate packs at most 1032
// bytes into one, of 8 pixels at 1 bit.
constexpr std::uint64_t kPixelsPerByte = 1u << 14;

bool IsPng(ByteSpan head) { return head.size() >= 8 && png_sig_cmp(head.data(), 0, 8) == 0; }
// Every file that begins as a BMP goes to the core's reader, which says why
// it refuses the forms it doesn't read.
bool IsBmp(ByteSpan head) { return head.size() >= 2 && head[0] == 'B' && head[1] == 'M'; }

// Where libpng's bytes come from: a span in memory or a file read forward.
struct Source {
    ByteSpan memory;
    std::size_t at = 0;
    ReadOnlyFile* file = nullptr;
};

// libpng reports errors by longjmp, and objects changed after setjmp in its
// frame are not to be trusted after the jump, so what a read or a write
// fills lives in the caller's frame: the reason in a fixed buffer, the row
// pointers.
struct PngJump {
    char why[160] = {};
    std::jmp_buf jump;
};

struct ReadState : PngJump {
    Source source;
    std::vector<png_bytep> rows;
    TImagePixels form;
    Bytes whole;  // an interlaced picture, which comes whole
};

extern "C" void OnPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngJump*>(png_get_error_ptr(png));
    if (state->why[0] == 0)
        std::snprintf(state->why, sizeof state->why, "the PNG is damaged: %s", message);
    std::longjmp(state->jump, 1);
}

extern "C" void OnPngWarning(png_structp, png_const_charp) {}  // never the user's business

extern "C" void ReadPngBytes(png_structp png, png_bytep dst, std::size_t n) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    Source& s = state->source;
    const bool ok = s.file ? s.file->Read(dst, n) : s.memory.size() - s.at >= n;
    if (!ok) {
        std::snprintf(state->why, sizeof state->why, "%s", kEndsEarly);
        png_error(png, kEndsEarly);
    }
    if (!s.file) std::memcpy(dst, s.memory.data() + s.at, n);
    s.at += n;
}

struct PngHandles {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool write = false;
    ~PngHandles() {
        if (write)
            png_destroy_write_struct(&png, &info);
        else
            png_destroy_read_struct(&png, &info, nullptr);
    }
};

// The colour table of a grey picture read as indices: as many even steps
// from black to white as the depth holds; the grey that tRNS names is
// transparent black.
void GreyTable(TImagePixels& out, int depth, const png_color_16* key) {
    const std::uint32_t steps = (1u << depth) - 1;
    for (std::uint32_t k = 0; k <= steps; ++k) {
        const std::uint32_t v = k * 255 / steps;
        out.ColorTable[k] = key && key->gray == k ? 0 : 0xFF000000u | v << 16 | v << 8 | v;
    }
}

// Decodes a PNG into Sink: palette and grey pictures of fewer than 8 bits (or
// of 8 with tRNS) as indices with their table, every other form as 8-bit colours (16-bit
// channels rounded, tRNS as alpha). Gamma is left as the file stores it.
// False with State.why set when the file is refused.
bool ReadPngInto(ReadState& state, std::uint64_t fileSize, TRowSink& sink) {
    PngHandles h;
    h.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, static_cast<PngJump*>(&state), OnPngError,
                                   OnPngWarning);
    if (!h.png) throw std::bad_alloc();
    h.info = png_create_info_struct(h.png);
    if (!h.info) throw std::bad_alloc();
    if (setjmp(state.jump)) return false;
    png_set_read_fn(h.png, &state, ReadPngBytes);
    // Our own bound on size below stands in for libpng's default limits.
    png_set_user_limits(h.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(h.png, h.info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0, interlace = 0;
    png_get_IHDR(h.png, h.info, &width, &height, &depth, &type, &interlace, nullptr, nullptr);
    // A header may claim any size; memory goes only to what the file can hold.
    if (std::uint64_t(width) * height > fileSize * kPixelsPerByte) {
        std::snprintf(state.why, sizeof state.why,
                      "a picture of %u x %u pixels can't be held in %llu bytes", unsigned(width),
                      unsigned(height), static_cast<unsigned long long>(fileSize));
        return false;
    }
    TImagePixels& out = state.form;
    out.Width = std::int32_t(width);
    out.Height = std::int32_t(height);
    png_bytep trans = nullptr;
    int transCount = 0;
    png_color_16p key = nullptr;
    const bool hasTrns = png_get_tRNS(h.png, h.info, &trans, &transCount, &key) != 0;
    // Grey of 8 bits with a transparent grey is read as indices too, as
    // before: an 8-bit font takes them as they stand.
    out.Indexed = type == PNG_COLOR_TYPE_PALETTE ||
                  (type == PNG_COLOR_TYPE_GRAY && (depth < 8 || (depth == 8 && hasTrns)));
    std::size_t pixelSize = 1;
    if (out.Indexed) {
        out.ColorTable.fill(0xFF000000u);  // indices past a short table are black
        if (type == PNG_COLOR_TYPE_PALETTE) {
            png_colorp palette = nullptr;
            int count = 0;
            png_get_PLTE(h.png, h.info, &palette, &count);
            for (int k = 0; k < count && k < 256; ++k) {
                const std::uint32_t alpha = hasTrns && k < transCount ? trans[k] : 0xFF;
                out.ColorTable[std::size_t(k)] = alpha << 24 | std::uint32_t(palette[k].red) << 16 |
                                                 std::uint32_t(palette[k].green) << 8 |
                                                 palette[k].blue;
            }
        } else {
            GreyTable(out, depth, hasTrns ? key : nullptr);
        }
        png_set_packing(h.png);
    } else {
        pixelSize = 4;
        png_set_expand(h.png);  // tRNS to alpha
        png_set_scale_16(h.png);
        png_set_gray_to_rgb(h.png);
        png_set_bgr(h.png);
        png_set_filler(h.png, 0xFF, PNG_FILLER_AFTER);  // B, G, R, A: 0xAARRGGBB in memory
    }
    const bool interlaced = png_set_interlace_handling(h.png) > 1;
    png_read_update_info(h.png, h.info);
    const std::size_t rowBytes = std::size_t(width) * pixelSize;
    if (png_get_rowbytes(h.png, h.info) != rowBytes) {
        std::snprintf(state.why, sizeof state.why, "a PNG of this form can't be read");
        return false;
    }
    sink.Start(out);
    if (!interlaced) {  // row by row, straight to the sink
        for (std::size_t y = 0; y < height; ++y) {
            png_read_row(h.png, static_cast<png_bytep>(sink.Row(y)), nullptr);
            sink.Put(y);
        }
    } else {  // every pass goes over the whole picture
        state.whole = Bytes(rowBytes * height);
        state.rows.resize(height);
        for (std::size_t y = 0; y < height; ++y) state.rows[y] = state.whole.data() + y * rowBytes;
        png_read_image(h.png, state.rows.data());
        for (std::size_t y = 0; y < height; ++y) {
            std::memcpy(sink.Row(y), state.rows[y], rowBytes);
            sink.Put(y);
        }
    }
    png_read_end(h.png, nullptr);  // to IEND, every chunk's check sum included
    return true;
}

void ReadPng(ReadState& state, std::uint64_t fileSize, TRowSink& sink) {
    if (!ReadPngInto(state, fileSize, sink)) throw EFontError(state.why);
}

extern "C" void WritePngBytes(png_structp png, png_bytep src, std::size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), src, src + n);
}

extern "C" void FlushPng(png_structp) {}

// What a write needs, worked out before libpng's jump point.
struct WriteState : PngJump {
    png_color palette[256];
    png_byte alpha[256];
    int alphaCount = 0;  // entries up to the last one not fully opaque
    bool translucent = false;
    std::vector<png_bytep> rows;
};

bool WritePngInto(WriteState& state, const TImagePixels& image, Bytes& out) {
    PngHandles h;
    h.write = true;
    h.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, static_cast<PngJump*>(&state),
                                    OnPngError, OnPngWarning);
    if (!h.png) throw std::bad_alloc();
    h.info = png_create_info_struct(h.png);
    if (!h.info) throw std::bad_alloc();
    if (setjmp(state.jump)) return false;
    png_set_write_fn(h.png, &out, WritePngBytes, FlushPng);
    const int type = image.Indexed       ? PNG_COLOR_TYPE_PALETTE
                     : state.translucent ? PNG_COLOR_TYPE_RGB_ALPHA
                                         : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(h.png, h.info, png_uint_32(image.Width), png_uint_32(image.Height), 8, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (image.Indexed) {
        png_set_PLTE(h.png, h.info, state.palette, 256);
        if (state.alphaCount) png_set_tRNS(h.png, h.info, state.alpha, state.alphaCount, nullptr);
    }
    png_write_info(h.png, h.info);
    if (!image.Indexed) {
        png_set_bgr(h.png);
        if (!state.translucent) png_set_filler(h.png, 0, PNG_FILLER_AFTER);  // drops the alpha
    }
    png_write_image(h.png, state.rows.data());
    png_write_end(h.png, nullptr);
    return true;
}

}  // namespace

void DecodeImageRows(ByteSpan File, TRowSink& Sink) {
    if (IsBmp(File)) {
        TMemoryBands bands(File);
        return ReadBmpRows(bands, Sink);
    }
    if (!IsPng(File)) throw EFontError(kNotAPicture);
    ReadState state;
    state.source.memory = File;
    ReadPng(state, File.size(), Sink);
}

void LoadImageRows(const std::string& Path, TRowSink& Sink) {
    ReadOnlyFile file;
    if (!file.Open(Path)) throw EFontError(WhyNotReadable(Path));
    std::uint8_t head[8];
    const std::size_t headSize = std::min<std::uint64_t>(sizeof head, file.Size());
    if (!file.ReadAt(0, head, headSize)) throw EFontError("the file could not be read");
    // Either form is read forward from the file, so that a large picture is
    // never held twice.
    if (IsBmp(ByteSpan(head, headSize))) {
        TFileBands bands(file);
        return ReadBmpRows(bands, Sink);
    }
    if (!IsPng(ByteSpan(head, headSize))) throw EFontError(kNotAPicture);
    ReadState state;
    state.source.file = &file;
    ReadPng(state, file.Size(), Sink);
}

TImagePixels DecodeImagePixels(ByteSpan File) {
    TWholePicture whole;
    DecodeImageRows(File, whole);
    return std::move(whole.Picture);
}

TImagePixels LoadImagePixels(const std::string& Path) {
    TWholePicture whole;
    LoadImageRows(Path, whole);
    return std::move(whole.Picture);
}

Bytes EncodePng(const TImagePixels& Image) {
    Bytes out;
    WriteState state;
    for (std::size_t k = 0; k < 256; ++k) {
        const std::uint32_t c = Image.ColorTable[k];
        state.palette[k] = {png_byte(c >> 16), png_byte(c >> 8), png_byte(c)};
        state.alpha[k] = png_byte(c >> 24);
        if (state.alpha[k] != 0xFF) state.alphaCount = int(k) + 1;
    }
    if (!Image.Indexed)
        for (std::uint32_t c : Image.Colors) state.translucent |= (c >> 24) != 0xFF;
    const std::size_t w = std::size_t(Image.Width);
    state.rows.resize(std::size_t(Image.Height));
    for (std::size_t y = 0; y < state.rows.size(); ++y)
        state.rows[y] = Image.Indexed ? const_cast<png_bytep>(Image.Indices.data() + y * w)
                                      : reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(
                                            Image.Colors.data() + y * w));
    if (!WritePngInto(state, Image, out)) throw EFontError(state.why);
    return out;
}

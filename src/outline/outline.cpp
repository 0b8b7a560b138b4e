#include "outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <algorithm>

#include "base/fileio.h"

namespace {

// FreeType's own texts for its errors, which its Debian build leaves out of
// FT_Error_String.
// clang-format off
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {e, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST {0, nullptr}}
const struct {
    int code;
    const char* text;
} kFreeTypeErrors[] =
#include FT_ERRORS_H
;
// clang-format on

std::string Why(FT_Error e) {
    for (const auto& known : kFreeTypeErrors)
        if (known.text && known.code == e) return known.text;
    return "FreeType error " + std::to_string(e);
}

// A glyph far larger than the size asked for is a broken font, not a glyph
// to spend gigabytes and minutes on: none is taken that spans more than 8 em
// (and 4096 pixels) either way.
constexpr long kMaxGlyphPixels = 4096;
long GlyphLimit(FT_Face f) {
    const long em = std::max<long>(f->size->metrics.x_ppem, f->size->metrics.y_ppem);
    return std::min(kMaxGlyphPixels, 8 * em + 64);
}

std::string Hex(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
    return buf;
}

}  // namespace

struct TOutlineFace::Impl {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    FT_Bitmap converted;

    Impl() {
        if (const FT_Error e = FT_Init_FreeType(&lib)) throw EFontError("FreeType: " + Why(e));
        FT_Bitmap_Init(&converted);
    }
    ~Impl() {
        FT_Bitmap_Done(lib, &converted);
        if (face) FT_Done_Face(face);
        FT_Done_FreeType(lib);
    }

    // The face asked for at once; only when that fails is the file asked
    // how many faces it has, to say why.
    template <class Open>
    void OpenFace(int index, Open open) {
        if (index >= 0 && open(index, &face) == 0) return;
        face = nullptr;
        FT_Face probe = nullptr;
        if (const FT_Error e = open(-1, &probe))
            throw EFontError("not a font FreeType can open (" + Why(e) + ")");
        const long faces = probe->num_faces;
        FT_Done_Face(probe);
        if (index < 0 || index >= faces)
            throw EFontError("the file has " + std::to_string(faces) +
                             (faces == 1 ? " face" : " faces") +
                             ", numbered from 0; there is no face " + std::to_string(index));
        if (const FT_Error e = open(index, &face))
            throw EFontError("face " + std::to_string(index) + " can't be opened (" + Why(e) + ")");
    }
};

TOutlineFace::TOutlineFace(const std::string& Path, int FaceIndex) : impl_(new Impl) {
    if (const std::string why = WhyNotReadable(Path); !why.empty()) throw EFontError(why);
    impl_->OpenFace(
        FaceIndex, [&](long i, FT_Face* f) { return FT_New_Face(impl_->lib, Path.c_str(), i, f); });
}

TOutlineFace::TOutlineFace(ByteSpan File, int FaceIndex) : impl_(new Impl) {
    impl_->OpenFace(FaceIndex, [&](long i, FT_Face* f) {
        return FT_New_Memory_Face(impl_->lib, File.data(), FT_Long(File.size()), i, f);
    });
}

TOutlineFace::~TOutlineFace() = default;

bool TOutlineFace::Scalable() const { return FT_IS_SCALABLE(impl_->face); }

std::vector<int> TOutlineFace::FixedSizes() const {
    std::vector<int> sizes;
    for (int i = 0; i < impl_->face->num_fixed_sizes; ++i)
        sizes.push_back(int((impl_->face->available_sizes[i].y_ppem + 32) >> 6));
    return sizes;
}

int TOutlineFace::Ascender() const {
    return int(std::clamp((impl_->face->size->metrics.ascender + 63) >> 6, 0L, 1L << 20));
}

int TOutlineFace::Descender() const {
    return int(std::clamp((-impl_->face->size->metrics.descender + 63) >> 6, 0L, 1L << 20));
}

int TOutlineFace::FitSize(int Height) {
    const FT_Face f = impl_->face;
    if (Height <= 0) return 0;
    if (!Scalable()) {
        // The largest that fits; else the nearest, the smallest, its rows cut.
        int best = 0, smallest = 0;
        for (int i = 0; i < f->num_fixed_sizes; ++i) {
            if (FT_Select_Size(f, i)) continue;
            const int px = FixedSizes()[std::size_t(i)];
            if (Ascender() + Descender() <= Height && px > best) best = px;
            if (!smallest || px < smallest) smallest = px;
        }
        if (!best) best = smallest;
        if (best) SetSize(best);
        return best;
    }
    // Start a little above the size whose design height is Height; the
    // rounded metrics only grow with the size, give or take a pixel.
    const long span = std::max<long>(1, long(f->ascender) - f->descender);
    const long guess = long(Height) * std::max<long>(1, f->units_per_EM) / span + 3;
    for (long s = std::min<long>({guess, long(Height) * 4 + 3, 4096}); s > 0; --s) {
        if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(s))) continue;
        if (Ascender() + Descender() <= Height) {
            size_ = int(s);
            return size_;
        }
    }
    return 0;
}

void TOutlineFace::SetSize(int Pixels) {
    const FT_Face f = impl_->face;
    if (Pixels <= 0 || Pixels > 4096)
        throw EFontError("a size of " + std::to_string(Pixels) + " pixels");
    if (!Scalable()) {
        const std::vector<int> sizes = FixedSizes();
        const auto at = std::find(sizes.begin(), sizes.end(), Pixels);
        if (at == sizes.end() || FT_Select_Size(f, int(at - sizes.begin()))) {
            std::string list;
            for (int s : sizes) list += (list.empty() ? "" : ", ") + std::to_string(s);
            throw EFontError("a font of bitmaps in the sizes " + list + ", not " +
                             std::to_string(Pixels));
        }
    } else if (const FT_Error e = FT_Set_Pixel_Sizes(f, 0, FT_UInt(Pixels))) {
        throw EFontError("size " + std::to_string(Pixels) + " can't be set (" + Why(e) + ")");
    }
    size_ = Pixels;
}

bool TOutlineFace::HasUnicodeMap() const {
    for (int i = 0; i < impl_->face->num_charmaps; ++i)
        if (impl_->face->charmaps[i]->encoding == FT_ENCODING_UNICODE) return true;
    return false;
}

bool TOutlineFace::HasGlyph(char32_t CodePoint) const {
    return FT_Get_Char_Index(impl_->face, FT_ULong(CodePoint)) != 0;
}

TGlyphBitmap TOutlineFace::Render(char32_t CodePoint, TRenderMode Mode) {
    const FT_Face f = impl_->face;
    FT_Int32 flags = FT_LOAD_DEFAULT;
    FT_Render_Mode render = Mode.Mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    switch (Mode.Hinting) {
        case THinting::None:
            flags |= FT_LOAD_NO_HINTING;
            break;
        case THinting::Light:
            flags |= FT_LOAD_TARGET_LIGHT;
            if (!Mode.Mono) render = FT_RENDER_MODE_LIGHT;
            break;
        case THinting::Full:
            flags |= Mode.Mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
            break;
    }
    const std::string what = "the glyph of " + Hex(CodePoint);
    if (const FT_Error e = FT_Load_Glyph(f, FT_Get_Char_Index(f, FT_ULong(CodePoint)), flags))
        throw EFontError(what + " can't be loaded (" + Why(e) + ")");
    FT_GlyphSlot slot = f->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        const long limit = GlyphLimit(f) << 6;
        if (box.xMax - box.xMin > limit || box.yMax - box.yMin > limit || box.xMin < -limit ||
            box.yMax > limit || box.xMax > limit || box.yMin < -limit)
            throw EFontError(what + " is far larger than its size");
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP) {
        if (const FT_Error e = FT_Render_Glyph(slot, render))
            throw EFontError(what + " can't be rendered (" + Why(e) + ")");
    }
    const FT_Bitmap* bm = &slot->bitmap;
    if (bm->pixel_mode != FT_PIXEL_MODE_MONO && bm->pixel_mode != FT_PIXEL_MODE_GRAY) {
        if (const FT_Error e = FT_Bitmap_Convert(impl_->lib, bm, &impl_->converted, 1))
            throw EFontError(what + " has a bitmap of an unknown kind (" + Why(e) + ")");
        bm = &impl_->converted;
    }
    if (long(bm->width) > GlyphLimit(f) || long(bm->rows) > GlyphLimit(f))
        throw EFontError(what + " is far larger than its size");

    TGlyphBitmap g;
    g.Width = std::int32_t(bm->width);
    g.Rows = std::int32_t(bm->rows);
    g.Left = slot->bitmap_left;
    g.Top = slot->bitmap_top;
    g.Advance = std::int32_t(std::clamp<long>((slot->advance.x + 32) >> 6, 0, 1 << 20));
    g.Coverage.resize(std::size_t(g.Width) * std::size_t(g.Rows));
    const int grays = std::max(2, int(bm->num_grays));
    const std::size_t stride = std::size_t(bm->pitch < 0 ? -bm->pitch : bm->pitch);
    for (std::size_t r = 0; r < bm->rows; ++r) {
        const unsigned char* row = bm->buffer + (bm->pitch < 0 ? (bm->rows - 1 - r) : r) * stride;
        std::uint8_t* out = g.Coverage.data() + r * bm->width;
        if (bm->pixel_mode == FT_PIXEL_MODE_GRAY && grays == 256 && !Mode.Mono) {
            std::copy(row, row + bm->width, out);
            continue;
        }
        for (std::size_t c = 0; c < bm->width; ++c) {
            int v;
            if (bm->pixel_mode == FT_PIXEL_MODE_MONO)
                v = (row[c >> 3] >> (7 - (c & 7))) & 1 ? 255 : 0;
            else
                v = std::min(255, row[c] * 255 / (grays - 1));
            out[c] = std::uint8_t(Mode.Mono ? (v >= 128 ? 255 : 0) : v);
        }
    }
    return g;
}

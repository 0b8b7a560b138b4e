#include "outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <algorithm>

#include "base/fileio.h"
#include "font/editfont.h"
#include "makers/fontlook.h"

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
        int best = 0, bestIndex = -1;
        for (int i = 0; i < f->num_fixed_sizes; ++i) {
            if (FT_Select_Size(f, i)) continue;
            const int px = FixedSizes()[std::size_t(i)];
            if (Ascender() + Descender() <= Height && px > best) best = px, bestIndex = i;
        }
        if (bestIndex >= 0) SetSize(best);
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

TCodePage LoadCodePage(const std::string& Name) {
    const TCodePageMap map = CodePageNamed(Name);
    TCodePage page;
    for (std::uint32_t code = 0; code < 256; ++code) page[code] = map.CharOf(code);
    return page;
}

namespace {
bool LineBreak(char32_t c) {
    return c == U'\n' || c == U'\r' || c == U'\v' || c == U'\f' || c == 0x85 || c == 0x2028 ||
           c == 0x2029;
}
}  // namespace

namespace {

struct TLetterMatch {
    int Size = 0;
    char32_t Letter = 0;
};

// The size at which the first of H, x, n, o, 0 that both fonts have is as
// tall in inked rows as the font's own glyph for it: the nearest, of two as
// near the larger. None when no letter is in both.
std::optional<TLetterMatch> MatchLetter(TOutlineFace& Face, const TEditedFont& Font,
                                        const TOutlineRequest& Request) {
    TEditedFont font = Font;
    const TPixelGrid grid = font.Grid();
    const TStripGeometry glyphs(Font.Table(), grid.Width);
    const std::uint16_t background = StripBackground(grid);
    for (char32_t letter : {U'H', U'x', U'n', U'o', U'0'}) {
        if (!Face.HasGlyph(letter)) continue;
        // The font's code for the letter: through the code page, or the letter itself.
        int row = -1;
        for (std::size_t i = 0; i < Font.Table().size() && row < 0; ++i) {
            const std::uint16_t code = Font.Table()[i].Code;
            const std::optional<char32_t> ch = !Request.CodePage ? std::optional<char32_t>(code)
                                               : code < 256      ? (*Request.CodePage)[code]
                                                                 : std::nullopt;
            if (ch == letter && glyphs.Extent(i).End > glyphs.Extent(i).Begin) row = int(i);
        }
        if (row < 0) continue;
        // The font's letter wears its effects; the new one will.
        const TEffectRoom room = EffectRoom(Request.Effects);
        const int target =
            std::max(1, InkedRows(grid, glyphs.Extent(std::size_t(row)), background) - room.Top -
                            room.Bottom);
        std::vector<std::pair<int, int>> sizes;
        const std::vector<int> fixed = Face.FixedSizes();
        std::vector<int> tried = Face.Scalable() ? std::vector<int>{} : fixed;
        for (int s = 1; Face.Scalable() && s <= std::min(4 * grid.Height + 8, 1024); ++s)
            tried.push_back(s);
        for (int s : tried) {
            Face.SetSize(s);
            const TGlyphBitmap g = Face.Render(letter, Request.Mode);
            int rows = 0;
            for (std::int32_t y = 0; y < g.Rows; ++y)
                rows += std::any_of(g.Coverage.begin() + std::ptrdiff_t(y) * g.Width,
                                    g.Coverage.begin() + std::ptrdiff_t(y + 1) * g.Width,
                                    [](std::uint8_t c) { return c != 0; });
            sizes.emplace_back(s, rows);
        }
        if (const int size = NearestSize(sizes, target)) return TLetterMatch{size, letter};
    }
    return std::nullopt;
}

// The font's own colours row by row, over its background.
std::vector<TCoverageColors> FontColors(const TEditedFont& Font, const TPalette* Palette) {
    TEditedFont font = Font;
    const TPixelGrid grid = font.Grid();
    const std::uint16_t background = StripBackground(grid);
    const std::vector<std::uint16_t> inks = RowInks(grid, background);
    if (inks.empty())
        throw EFontError("the font has no ink to match the colours of: give a colour");
    return MatchedColors(Font.BitsPerPixel(), Palette ? *Palette : TPalette{}, inks, background);
}

}  // namespace

std::vector<std::uint16_t> RequestedCodes(const TOutlineRequest& Request, TOutlineStrip& out) {
    std::vector<std::uint16_t> codes = Request.Codes;
    for (char32_t ch : Request.Characters) {
        if (LineBreak(ch)) continue;
        std::optional<std::uint16_t> code;
        if (Request.CodePage) {
            const auto& page = *Request.CodePage;
            const auto at = std::find(page.begin(), page.end(), std::optional<char32_t>(ch));
            if (at != page.end()) code = std::uint16_t(at - page.begin());
        } else if (ch <= 0xFFFF) {
            code = std::uint16_t(ch);
        }
        if (code)
            codes.push_back(*code);
        else if (out.Unencodable.find(ch) == std::u32string::npos)
            out.Unencodable.push_back(ch);
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    if (Request.AddTo) {
        const auto& table = Request.AddTo->Table();
        std::erase_if(codes, [&](std::uint16_t code) {
            const bool has = std::any_of(table.begin(), table.end(),
                                         [&](const TCharEntry& e) { return e.Code == code; });
            if (has) out.Skipped.push_back(code);
            return has;
        });
        out.Added = true;
    }
    std::erase_if(codes, [&](std::uint16_t code) {
        return std::find(Request.Made.begin(), Request.Made.end(), code) != Request.Made.end();
    });
    return codes;
}

TOutlineStrip MakeOutlineStrip(TOutlineFace& Face, const TOutlineRequest& Request,
                               const TCoverageColors& Colors) {
    TOutlineStrip out;
    const std::vector<std::uint16_t> codes = RequestedCodes(Request, out);

    // Each code kept and the character it stands for; none for the missing-glyph shape.
    std::vector<std::pair<std::uint16_t, std::optional<char32_t>>> kept;
    for (std::uint16_t code : codes) {
        std::optional<char32_t> ch = code;
        if (Request.CodePage) ch = code < 256 ? (*Request.CodePage)[code] : std::nullopt;
        if (!ch) {
            out.Undefined.push_back(code);
        } else if (!Face.HasGlyph(*ch)) {
            out.Missing.push_back(code);
            ch.reset();
        }
        if (ch || Request.KeepMissing) kept.emplace_back(code, ch);
    }
    if (kept.empty())
        throw EFontError(
            !out.Skipped.empty() && codes.empty() ? "the font has every code asked for already"
            : !Face.HasUnicodeMap()
                ? "the outline font has no Unicode character map, so no code asked for has a glyph"
                : "the outline font has no glyph for any code asked for");
    const std::size_t rows = kept.size() + (Request.AddTo ? Request.AddTo->Table().size() : 0);
    if (rows > kMaxChars)
        throw EStripTooLarge(std::to_string(rows) + " characters; a font holds at most " +
                             std::to_string(kMaxChars));
    if (kept.size() > kMaxChars)
        throw EStripTooLarge(std::to_string(kept.size()) + " characters; a font holds at most " +
                             std::to_string(kMaxChars));

    const int height = Request.AddTo ? Request.AddTo->Font().Height : Request.Height;
    const TEffectRoom room = EffectRoom(Request.Effects);
    const int effectRows = room.Top + room.Bottom;
    std::optional<TLetterMatch> match;
    if (Request.AddTo && Request.MatchSize) match = MatchLetter(Face, *Request.AddTo, Request);
    if (match) {
        Face.SetSize(match->Size);
        out.MatchedLetter = match->Letter;
    } else if (Request.Size > 0 && !Request.MatchSize) {
        Face.SetSize(Request.Size);
    } else if (!Face.FitSize(height - effectRows)) {
        throw EFontError(
            "no size of the font fits a strip " + std::to_string(height) + " pixels high" +
            (effectRows ? " with " + std::to_string(effectRows) + " rows for the outline and shadow"
                        : std::string()));
    }
    out.Size = Face.Size();
    out.Height = height > 0 ? height : Face.Ascender() + Face.Descender() + effectRows;
    std::vector<TCoverageColors> rowColors{Colors};
    if (Request.AddTo && Request.MatchColors)
        rowColors = FontColors(*Request.AddTo, Request.Palette);

    // Each glyph is cut to its cell as it comes, so a size far too large for
    // the strip costs no more memory than the strip.
    const TStripLayout layout{out.Height, Face.Ascender(), Request.Spacing, Colors.BitsPerPixel,
                              room};
    std::vector<TPlacedGlyph> glyphs;
    glyphs.reserve(kept.size());
    std::int64_t width = 0;
    for (const auto& [code, ch] : kept) {
        if (Request.Cancel && Request.Cancel->load()) throw ECancelled();
        // The missing-glyph shape is glyph 0; no character maps to it.
        TPlacedGlyph placed{code, Face.Render(ch ? *ch : char32_t(0x10FFFF + 1), Request.Mode)};
        const std::uint64_t cut = CropToCell(placed.Glyph, layout);
        out.ClippedPixels += cut;
        out.ClippedGlyphs += cut ? 1 : 0;
        width += std::max(0, placed.Glyph.Advance) + room.Left + room.Right + Request.Spacing;
        if (!StripFits(Colors.BitsPerPixel, width, out.Height))
            throw EStripTooLarge("a strip of at least " + std::to_string(width) + " x " +
                                 std::to_string(out.Height) + " pixels is more than a font holds");
        glyphs.push_back(std::move(placed));
    }
    const TCoverageStrip strip = LayOutGlyphs(glyphs, layout);
    out.Width = strip.Width;
    out.Pixels = PaintStrip(strip, rowColors);
    TPixelGrid grid{out.Width, out.Height, Colors.BitsPerPixel / 8, out.Pixels.data()};
    ApplyGlyphEffects(grid, strip.Table, Request.Effects, rowColors.front().Value[0]);
    out.Table = strip.Table;
    return out;
}

#include "makers/glyphsource.h"

#include <algorithm>
#include <cstdio>

#include "font/editfont.h"
#include "makers/fontlook.h"
#include "text/charcode.h"

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

TGuideRows GuidesOf(const TEditedFont& Font) {
    const TPixelGrid grid = ReadOnlyGrid(Font.Font());
    return FindGuides(Font, TStripGeometry(Font.Table(), grid.Width), StripBackground(grid));
}

struct TLetterMatch {
    int Size = 0;
    char32_t Letter = 0;
};

// How far a rendered glyph's ink reaches above its baseline.
bool RowInked(const TGlyphBitmap& G, std::int32_t Y) {
    const auto row = G.Coverage.begin() + std::ptrdiff_t(Y) * G.Width;
    return std::any_of(row, row + G.Width, [](std::uint8_t c) { return c != 0; });
}

int InkAbove(const TGlyphBitmap& G) {
    for (std::int32_t y = 0; y < G.Rows; ++y)
        if (RowInked(G, y)) return G.Top - y;
    return 0;
}

int InkedRowsOf(const TGlyphBitmap& G) {
    int rows = 0;
    for (std::int32_t y = 0; y < G.Rows; ++y) rows += RowInked(G, y);
    return rows;
}

// The size at which the first of H, x, n, o, 0 that both fonts have is as
// tall as the font's own: between its guides (the baseline and the cap
// height, or the x-height for x, n, o) when it has them, in inked rows
// otherwise. The nearest, of two as near the larger. None when no letter is
// in both.
std::optional<TLetterMatch> MatchLetter(TGlyphSource& Face, const TEditedFont& Font,
                                        const TOutlineRequest& Request, const TGuideRows& Guides) {
    TEditedFont font = Font;
    const TPixelGrid grid = font.Grid();
    const TStripGeometry glyphs(Font.Table(), grid.Width);
    const std::uint16_t background = StripBackground(grid);
    const TEffectRoom room = EffectRoom(Request.Effects);
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
        const std::optional<std::int32_t> top =
            letter == U'H' || letter == U'0' ? Guides.Cap : Guides.X;
        const bool between = top && Guides.Base && *Guides.Base > *top;
        const int target =
            std::max(1, (between ? *Guides.Base - *top
                                 : InkedRows(grid, glyphs.Extent(std::size_t(row)), background)) -
                            room.Top - room.Bottom);
        std::vector<std::pair<int, int>> sizes;
        std::vector<int> tried = Face.Scalable() ? std::vector<int>{} : Face.FixedSizes();
        for (int s = 1; Face.Scalable() && s <= std::min(4 * grid.Height + 8, 1024); ++s)
            tried.push_back(s);
        for (int s : tried) {
            Face.SetSize(s);
            const TGlyphBitmap g = Face.Render(letter, Request.Mode);
            sizes.emplace_back(s, between ? InkAbove(g) : InkedRowsOf(g));
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

std::string RowsCutText(const TRowsCut& Cut) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X ", unsigned(Cut.Char));
    const auto rows = [](std::int32_t n, const char* where) {
        return std::to_string(n) + (n == 1 ? " row" : " rows") + " cut at the " + where;
    };
    std::string text = code + Utf8Of(Cut.Char) + ": ";
    if (Cut.Top) text += rows(Cut.Top, "top");
    if (Cut.Top && Cut.Bottom) text += " and ";
    if (Cut.Bottom) text += rows(Cut.Bottom, "bottom");
    return text;
}

std::string OutlineStripText(const TOutlineStrip& Strip, bool MatchSize) {
    const auto plural = [](std::uint64_t n) { return n == 1 ? "" : "s"; };
    const std::size_t n = Strip.Table.size();
    std::string text = std::to_string(n) + " glyph" + plural(n) + " at " +
                       std::to_string(Strip.Size) + " px, a strip of " +
                       std::to_string(Strip.Width) + " x " + std::to_string(Strip.Height) +
                       " pixels.";
    std::vector<std::uint16_t> left = Strip.Missing;
    left.insert(left.end(), Strip.Undefined.begin(), Strip.Undefined.end());
    std::sort(left.begin(), left.end());
    if (!left.empty()) text += " Left out, without a glyph: " + FormatCharList(left) + ".";
    if (!Strip.Skipped.empty())
        text += " In the font already, skipped: " + FormatCharList(Strip.Skipped) + ".";
    if (Strip.MatchedLetter)
        text += " The size matches the font's '" + Utf8Of(Strip.MatchedLetter) + "'.";
    else if (Strip.Added && MatchSize)
        text += " None of H, x, n, o, 0 is in both fonts: the largest size that fits.";
    if (Strip.Added && !Strip.OnBaseline)
        text +=
            " No letter to find the baseline from: the new letters stand at the outline "
            "font's ascender.";
    for (const TRowsCut& cut : Strip.Cut) text += " " + RowsCutText(cut) + ".";
    if (Strip.ClippedPixels)
        text += " " + std::to_string(Strip.ClippedPixels) + " pixel" + plural(Strip.ClippedPixels) +
                " clipped.";
    return text;
}

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

TOutlineStrip MakeOutlineStrip(TGlyphSource& Face, const TOutlineRequest& Request,
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
    TGuideRows guides;
    if (Request.AddTo) guides = Request.Guides ? *Request.Guides : GuidesOf(*Request.AddTo);
    std::optional<TLetterMatch> match;
    if (Request.AddTo && Request.MatchSize)
        match = MatchLetter(Face, *Request.AddTo, Request, guides);
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
    // The font's letters end their ink, and their effects', on the row
    // above its baseline; the new ones do too.
    out.OnBaseline = Request.AddTo && guides.Base;
    const int baseline = out.OnBaseline ? std::max(0, *guides.Base - effectRows) : Face.Ascender();
    const TStripLayout layout{out.Height, baseline, Request.Spacing, Colors.BitsPerPixel, room};
    std::vector<TPlacedGlyph> glyphs;
    glyphs.reserve(kept.size());
    std::int64_t width = 0;
    for (const auto& [code, ch] : kept) {
        if (Request.Cancel && Request.Cancel->load()) throw ECancelled();
        // The missing-glyph shape is glyph 0; no character maps to it.
        TPlacedGlyph placed{code, Face.Render(ch ? *ch : char32_t(0x10FFFF + 1), Request.Mode)};
        const TCrop cut = CropToCell(placed.Glyph, layout);
        out.ClippedPixels += cut.Pixels;
        out.ClippedGlyphs += cut.Pixels ? 1 : 0;
        if (ch && (cut.RowsAbove || cut.RowsBelow))
            out.Cut.push_back({code, *ch, cut.RowsAbove, cut.RowsBelow});
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

// A font's strip made from another font's glyphs: whatever renders them
// (FreeType in the tools and the window, the browser in the page) hands
// them in as plain bitmaps through TGlyphSource; the sizes, the cells, the
// baseline and the colours are decided here, the same for all.
#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/errors.h"
#include "base/pixelstrip.h"
#include "font/editfont.h"
#include "makers/guides.h"
#include "makers/outlinestrip.h"
#include "text/codepage.h"

enum class THinting { None, Light, Full };

struct TRenderMode {
    bool Mono = false;
    THinting Hinting = THinting::Light;
};

// One face of a font, at one pixel size at a time.
class TGlyphSource {
public:
    virtual ~TGlyphSource() = default;
    virtual bool Scalable() const = 0;
    // The pixel sizes of a font made of bitmaps.
    virtual std::vector<int> FixedSizes() const = 0;
    // The largest size whose ascender plus descender fits Height; a font of
    // bitmaps with none that fits takes its smallest. 0 if none.
    virtual int FitSize(int Height) = 0;
    // Throws EFontError for a size the face doesn't have.
    virtual void SetSize(int Pixels) = 0;
    virtual int Size() const = 0;
    virtual int Ascender() const = 0;   // whole pixels above the baseline
    virtual int Descender() const = 0;  // whole pixels below it
    virtual bool HasGlyph(char32_t CodePoint) const = 0;
    // Whether the face maps Unicode code points to glyphs at all.
    virtual bool HasUnicodeMap() const = 0;
    // The glyph of CodePoint, or the font's missing-glyph shape when it has
    // none. Throws EFontError when it can't be rendered.
    virtual TGlyphBitmap Render(char32_t CodePoint, TRenderMode Mode) = 0;
};

// The character each code 0 to 255 stands for in a code page, by any name
// FindCodePage knows; nothing where the code page leaves a code undefined.
// Throws EFontError for another name.
using TCodePage = std::array<std::optional<char32_t>, 256>;
TCodePage LoadCodePage(const std::string& Name);

struct TOutlineRequest {
    std::vector<std::uint16_t> Codes;     // codes wanted, in any order
    std::u32string Characters;            // characters wanted; their codes are added
    const TCodePage* CodePage = nullptr;  // without one, a code is the code point
    bool KeepMissing = false;  // draw the missing-glyph shape instead of leaving a code out
    int Height = 0;            // the strip's
    int Size = 0;              // pixels; 0: the largest that fits Height
    int Spacing = 0;
    TRenderMode Mode;
    // An outline and a shadow on each glyph, in room kept for them: each
    // cell is widened by the columns they add, and the size that fits (or
    // matches) leaves the rows they add within the strip's height.
    TGlyphEffects Effects;
    // Checked between glyphs: once set, MakeOutlineStrip throws ECancelled.
    const std::atomic<bool>* Cancel = nullptr;
    // Adding to this font: the codes it has are left out, the strip is as
    // high as its own, and each glyph's baseline lies on the font's Baseline
    // guide (with the effects' rows under it, as the font's letters wear
    // them). With MatchSize the size is the one at which a letter both fonts
    // have stands as tall above the baseline as the font's does between its
    // guides (Cap height for H and 0, x-height for x, n, o); with MatchColors
    // the glyphs take the font's own colours row by row (8-bit ones through
    // Palette), in place of the colours given.
    const TEditedFont* AddTo = nullptr;
    // AddTo's guides as the user set them; without, found from its letters.
    std::optional<TGuideRows> Guides;
    // Codes made otherwise (built of the font's own glyphs): left out unsaid.
    std::vector<std::uint16_t> Made;
    bool MatchSize = false;
    bool MatchColors = false;
    const TPalette* Palette = nullptr;
};

class ECancelled : public EFontError {
public:
    ECancelled() : EFontError("cancelled") {}
};

// A glyph some of whose inked rows fell above or below the strip.
struct TRowsCut {
    std::uint16_t Code = 0;
    char32_t Char = 0;  // what the code stands for
    std::int32_t Top = 0, Bottom = 0;
};

struct TOutlineStrip : TPixelStrip<Bytes> {
    std::vector<TCharEntry> Table;
    int Size = 0;                          // the pixel size used
    std::vector<std::uint16_t> Undefined;  // codes the code page leaves undefined
    std::vector<std::uint16_t> Missing;    // codes the outline font has no glyph for
    std::vector<std::uint16_t> Skipped;    // codes the font added to has already
    char32_t MatchedLetter = 0;            // the letter whose height the size matched; 0: none
    bool Added = false;                    // made for the end of AddTo's strip
    std::u32string Unencodable;            // characters no code stands for
    std::uint64_t ClippedPixels = 0;
    std::uint32_t ClippedGlyphs = 0;
    // Adding: whether AddTo had a baseline to stand the glyphs on; without
    // one they stand at the other font's ascender, as a new font's do.
    bool OnBaseline = false;
    std::vector<TRowsCut> Cut;  // glyphs whose inked rows fell outside the strip
};

// "U+0429 Щ: 2 rows cut at the bottom"
std::string RowsCutText(const TRowsCut& Cut);
// What a preview says of Strip: its glyphs and size, and what was left out,
// skipped, matched, cut and clipped. MatchSize: the size was to match a letter.
std::string OutlineStripText(const TOutlineStrip& Strip, bool MatchSize);

// A font that would hold more characters, or a wider strip, than the format
// holds.
class EStripTooLarge : public EFontError {
public:
    using EFontError::EFontError;
};

// The codes Request asks for, in code order, less those Made and those AddTo
// has (put in Out.Skipped); the characters no code stands for go in
// Out.Unencodable.
std::vector<std::uint16_t> RequestedCodes(const TOutlineRequest& Request, TOutlineStrip& Out);

// The strip and table for Request, in code order; when adding, X counts
// from the strip's first new column. Throws EFontError, with the numbers,
// for no size that fits, a glyph that can't be rendered, no code left to
// make (saying why), or a font to match that has no ink; and
// EStripTooLarge.
TOutlineStrip MakeOutlineStrip(TGlyphSource& Face, const TOutlineRequest& Request,
                               const TCoverageColors& Colors);

// Outline fonts through FreeType, and code pages: what makes a
// font's strip and table from a TrueType or OpenType font. ttf2sft and the
// viewer's dialog share it.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/errors.h"
#include "base/pixelstrip.h"
#include "font/editfont.h"
#include "makers/outlinestrip.h"
#include "text/codepage.h"

enum class THinting { None, Light, Full };

struct TRenderMode {
    bool Mono = false;
    THinting Hinting = THinting::Light;
};

// One face of a font file, at one pixel size. Each object has a FreeType
// library of its own, so two threads may each use their own.
class TOutlineFace {
public:
    // Throws EFontError when FreeType can't open the face.
    TOutlineFace(const std::string& Path, int FaceIndex);
    // The same over a file held in memory, which must outlive the face.
    TOutlineFace(ByteSpan File, int FaceIndex);
    ~TOutlineFace();
    TOutlineFace(const TOutlineFace&) = delete;
    TOutlineFace& operator=(const TOutlineFace&) = delete;

    bool Scalable() const;
    // The pixel sizes of a font made of bitmaps.
    std::vector<int> FixedSizes() const;

    // The largest size whose ascender plus descender fits Height; 0 if none.
    int FitSize(int Height);
    // Throws EFontError for a size the face doesn't have.
    void SetSize(int Pixels);
    int Size() const { return size_; }
    int Ascender() const;   // whole pixels above the baseline
    int Descender() const;  // whole pixels below it

    bool HasGlyph(char32_t CodePoint) const;
    // Whether the face maps Unicode code points to glyphs at all.
    bool HasUnicodeMap() const;
    // The glyph of CodePoint, or the font's missing-glyph shape when it has
    // none. Throws EFontError when FreeType can't render it.
    TGlyphBitmap Render(char32_t CodePoint, TRenderMode Mode);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int size_ = 0;
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
    // Adding to this font: the codes it has are left out, and the strip is
    // as high as its own. With MatchSize the size is the one at which a
    // letter both fonts have, with the rows the effects add, is as tall as
    // the font's; with MatchColors the
    // glyphs take the font's own colours row by row (8-bit ones through
    // Palette), in place of the colours given.
    const TEditedFont* AddTo = nullptr;
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
};

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
TOutlineStrip MakeOutlineStrip(TOutlineFace& Face, const TOutlineRequest& Request,
                               const TCoverageColors& Colors);

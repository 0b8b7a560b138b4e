// Fonts FreeType opens (TrueType, OpenType, and the bitmap fonts BDF, PCF,
// FNT and OTB) as glyph sources for ttf2sft and the window's dialog.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "makers/glyphsource.h"

// One face of a font file, at one pixel size. Each object has a FreeType
// library of its own, so two threads may each use their own.
class TOutlineFace final : public TGlyphSource {
public:
    // Throws EFontError when FreeType can't open the face.
    TOutlineFace(const std::string& Path, int FaceIndex);
    // The same over a file held in memory, which must outlive the face.
    TOutlineFace(ByteSpan File, int FaceIndex);
    ~TOutlineFace();
    TOutlineFace(const TOutlineFace&) = delete;
    TOutlineFace& operator=(const TOutlineFace&) = delete;

    bool Scalable() const override;
    std::vector<int> FixedSizes() const override;
    int FitSize(int Height) override;
    void SetSize(int Pixels) override;
    int Size() const override { return size_; }
    int Ascender() const override;
    int Descender() const override;
    bool HasGlyph(char32_t CodePoint) const override;
    bool HasUnicodeMap() const override;
    // A bitmap font's glyph comes as its pixels are: 255 where inked.
    TGlyphBitmap Render(char32_t CodePoint, TRenderMode Mode) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int size_ = 0;
};

// Pictures: the BMP byte images of 8-bit and 16-bit glyph strips, the picture
// object that holds one, and the export file name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/errors.h"
#include "base/fileio.h"
#include "font/font.h"
#include "image/bmplayout.h"
#include "image/palette.h"

inline TStrip StripOf(const TSftFont& Font) {
    return TStrip{Font.Width, Font.Height, ByteSpan(Font.Pixels.data(), Font.Pixels.size())};
}

// The window's "Font Info :" list as the builders see it.
class IInfoList {
public:
    virtual ~IInfoList() = default;
    virtual void Clear() = 0;
    virtual void Append(const std::string& Line) = 0;
};

// The lines kept as they come, for a front end to show.
class TInfoLines final : public IInfoList {
public:
    void Clear() override { Lines.clear(); }
    void Append(const std::string& Line) override { Lines.push_back(Line); }
    std::vector<std::string> Lines;
};

// The picture object: holds one loaded BMP byte image, immutable once loaded.
// Copies share the image, so a copy given away stays valid whatever happens
// to the original.
class TBitmap {
public:
    // Loads a BMP byte image from a stream positioned at its first byte and
    // running to the stream's end. An empty stream leaves no image. Throws
    // EToolkitError "Bitmap image is not valid" for anything that is not an
    // uncompressed bottom-up 8-bit or 24-bit image whose rows all lie within
    // it; the object then keeps what it held.
    void LoadFromStream(ByteSpan Stream);
    // The same, taking over a buffer instead of copying it.
    void LoadFromImage(Bytes&& Image);
    // The picture of a font's strip, drawn from its pixels as it is asked
    // for: rows and parts are converted when read, the whole image is built
    // only for ScanLine or FileBytes, and SaveToFile streams it. The 8-bit
    // picture is drawn through Palette. Throws as the builders do.
    void LoadFromFont(const TSftFont& Font, const TPalette& Palette);

    bool Empty() const { return !image_ && !font_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    int BitCount() const { return bitCount_; }

    // Row y of the picture as shown, 0 being the top row; 8-bit rows hold
    // palette indices, 24-bit rows blue, green, red triples.
    const std::uint8_t* ScanLine(std::int32_t y) const;
    // Width pixels of row y from column X, in ScanLine's format, into Out;
    // false, writing nothing, when they are not all within the picture.
    bool ReadRow(std::int32_t y, std::int32_t X, std::int32_t Width, std::uint8_t* Out) const;
    // The 8-bit colour table: blue, green, red, reserved per entry.
    ByteSpan ColorTable() const;

    // The exported file: 14-byte file header and the stored image.
    Bytes FileBytes() const;
    // The same handed to Write a piece at a time, as SaveToFile writes it,
    // until Write returns false.
    void FilePieces(const TPieceWriter& Write) const;
    // Writes the exported file atomically. Throws EToolkitError "Cannot create
    // file <path>" or "Stream write error"; an empty picture writes nothing.
    void SaveToFile(const std::string& FileName, Durability durability = Durability::Synced) const;

private:
    struct TFontPicture;
    // The whole byte image, as loaded or once built from the font.
    const Bytes* Image() const;

    std::shared_ptr<const Bytes> image_;  // the whole byte image as loaded
    std::shared_ptr<const TFontPicture> font_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int bitCount_ = 0;
    std::uint32_t rowOffset_ = 0;  // from the file's first byte
    std::uint32_t stride_ = 0;
    std::uint32_t colorCount_ = 0;
};

void Make8BitBitmap(TBitmap& Bitmap, const TStrip& Strip, const TPalette& Palette);
void Make16BitBitmap(TBitmap& Bitmap, const TStrip& Strip);
void Show8BitFont(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font, const TPalette& Palette,
                  IInfoList& SFTInfo);
void Show16BitFont(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font, IInfoList& SFTInfo);
// Show8BitFont or Show16BitFont by the font's depth.
void ShowFontPicture(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font,
                     const TPalette& Palette, IInfoList& SFTInfo);

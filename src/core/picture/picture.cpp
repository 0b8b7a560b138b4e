#include "picture/picture.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "picture/export.h"

using namespace bmplayout;

void TBitmap::LoadFromStream(ByteSpan Stream) {
    if (Stream.empty()) {
        *this = TBitmap();
        return;
    }
    LoadFromImage(Bytes(Stream.begin(), Stream.end()));
}

void TBitmap::LoadFromImage(Bytes&& Image) {
    const std::size_t n = Image.size();
    if (n == 0) {
        *this = TBitmap();
        return;
    }
    const std::uint8_t* p = Image.data();
    if (n < kHeaders24 || GetU16(p) != 0x4D42) NotValid();
    if (GetU32(p + 14) != kInfoHeaderSize) NotValid();
    const std::int32_t width = GetI32(p + 18);
    const std::int32_t height = GetI32(p + 22);
    const int bitCount = GetU16(p + 28);
    if ((bitCount != 8 && bitCount != 24) || GetU32(p + 30) != 0) NotValid();
    std::uint32_t colors = GetU32(p + 46);
    if (colors == 0 && bitCount == 8) colors = 256;
    if (colors > 256) NotValid();
    const std::uint64_t rowOffset = kHeaders24 + 4ull * colors;
    std::uint64_t rowBytes = 0;
    if (!RowBytes(bitCount, width, height, 0, rowBytes)) NotValid();
    if (n < rowOffset || n - rowOffset < rowBytes) NotValid();

    image_ = std::make_shared<const Bytes>(std::move(Image));
    font_.reset();
    width_ = width;
    height_ = height;
    bitCount_ = bitCount;
    rowOffset_ = static_cast<std::uint32_t>(rowOffset);
    stride_ = static_cast<std::uint32_t>(StrideFor(bitCount, width));
    colorCount_ = colors;
}

// The font's pixels, and the rows drawn from them; the whole image is built
// at most once, for every copy of the picture.
struct TBitmap::TFontPicture {
    TFontPicture(const TSftFont& Font, const TPalette& Palette)
        : Pixels(Font.Pixels), Rows(Font.BitsPerPixel(), StripOf(Font), Palette) {}
    SharedBytes Pixels;
    TBmpRows Rows;
    mutable std::once_flag Built;
    mutable std::shared_ptr<const Bytes> Image;
};

void TBitmap::LoadFromFont(const TSftFont& Font, const TPalette& Palette) {
    auto font = std::make_shared<const TFontPicture>(Font, Palette);
    const bool eight = Font.BitsPerPixel() == 8;
    *this = TBitmap();
    font_ = std::move(font);
    width_ = Font.Width;
    height_ = Font.Height;
    bitCount_ = eight ? 8 : 24;
    rowOffset_ = eight ? kHeaders8 : kHeaders24;
    stride_ = static_cast<std::uint32_t>(font_->Rows.Stride());
    colorCount_ = eight ? 256 : 0;
}

const Bytes* TBitmap::Image() const {
    if (image_ || !font_) return image_.get();
    std::call_once(font_->Built, [this] {
        font_->Image = std::make_shared<const Bytes>(BuildImage(font_->Rows));
    });
    return font_->Image.get();
}

const std::uint8_t* TBitmap::ScanLine(std::int32_t y) const {
    if (Empty() || y < 0 || y >= height_) return nullptr;
    return Image()->data() + rowOffset_ + std::size_t(height_ - 1 - y) * stride_;
}

bool TBitmap::ReadRow(std::int32_t y, std::int32_t X, std::int32_t Width, std::uint8_t* Out) const {
    if (Empty() || y < 0 || y >= height_ || X < 0 || Width < 0 || X > width_ - Width) return false;
    if (font_) {
        font_->Rows.WritePart(std::size_t(y), std::size_t(X), std::size_t(Width), Out);
    } else if (Width != 0) {
        const std::size_t bytes = std::size_t(bitCount_ / 8);
        std::memcpy(Out, ScanLine(y) + std::size_t(X) * bytes, std::size_t(Width) * bytes);
    }
    return true;
}

ByteSpan TBitmap::ColorTable() const {
    if (Empty()) return {};
    const std::uint8_t* headers = font_ ? font_->Rows.Headers().data() : image_->data();
    return ByteSpan(headers + kHeaders24, 4 * std::size_t(colorCount_));
}

Bytes TBitmap::FileBytes() const {
    if (Empty()) return {};
    const ByteSpan stored = ByteSpan(*Image()).subspan(kFileHeaderSize);
    const auto head = FileHeader(stored.size(), rowOffset_);
    Bytes out(head.begin(), head.end());
    AppendBytes(out, stored);
    return out;
}

void TBitmap::FilePieces(const TPieceWriter& Write) const {
    if (Empty()) return;
    if (font_) return BmpPieces(font_->Rows, Write);
    const ByteSpan stored = ByteSpan(*image_).subspan(kFileHeaderSize);
    const auto head = FileHeader(stored.size(), rowOffset_);
    if (Write(head)) Write(stored);
}

void TBitmap::SaveToFile(const std::string& FileName, Durability durability) const {
    if (font_) return SaveBmpRows(font_->Rows, FileName, durability);
    if (!image_) NotValid();
    const ByteSpan stored = ByteSpan(*image_).subspan(kFileHeaderSize);
    const auto head = FileHeader(stored.size(), rowOffset_);
    WriteFileAtomically(FileName, head, stored, durability);
}

void Make8BitBitmap(TBitmap& Bitmap, const TStrip& Strip, const TPalette& Palette) {
    Bitmap.LoadFromImage(Build8BitImage(Strip, Palette));
}

void Make16BitBitmap(TBitmap& Bitmap, const TStrip& Strip) {
    Bitmap.LoadFromImage(Build16BitImage(Strip));
}

namespace {
void WriteInfo(IInfoList& SFTInfo, const char* depth, std::int32_t charCount) {
    SFTInfo.Clear();
    SFTInfo.Append(depth);
    SFTInfo.Append(std::to_string(charCount) + " characters");
}
}  // namespace

void Show8BitFont(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font, const TPalette& Palette,
                  IInfoList& SFTInfo) {
    WriteInfo(SFTInfo, "8-bit font", Font.CharCount);
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->LoadFromFont(Font, Palette);
}

void Show16BitFont(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font, IInfoList& SFTInfo) {
    WriteInfo(SFTInfo, "16-bit font", Font.CharCount);
    Bitmap = std::make_unique<TBitmap>();
    Bitmap->LoadFromFont(Font, TPalette{});
}

void ShowFontPicture(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font,
                     const TPalette& Palette, IInfoList& SFTInfo) {
    if (Font.BitsPerPixel() == 16)
        Show16BitFont(Bitmap, Font, SFTInfo);
    else
        Show8BitFont(Bitmap, Font, Palette, SFTInfo);
}

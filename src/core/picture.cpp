#include "picture.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

#include "fileio.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kColorTableSize = 1024;
constexpr std::uint32_t kHeaders8 = kFileHeaderSize + kInfoHeaderSize + kColorTableSize;  // 1078
constexpr std::uint32_t kHeaders24 = kFileHeaderSize + kInfoHeaderSize;                   // 54
constexpr std::uint64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void NotValid() { throw EToolkitError(kBitmapNotValid); }

std::uint64_t StrideFor(int bitCount, std::int32_t width) {
    return bitCount == 8 ? Stride8(width) : Stride24(width);
}

// Size of the rows of a strip, or 0 with ok false when it is negative or
// does not fit next to headerSize bytes in a signed 32-bit bfSize.
bool RowBytes(int bitCount, std::int32_t width, std::int32_t height, std::uint32_t headerSize,
              std::uint64_t& rowBytes) {
    if (width < 0 || height < 0) return false;
    const std::uint64_t stride = StrideFor(bitCount, width);
    if (height != 0 && stride > (kInt32Max - headerSize) / std::uint64_t(height)) return false;
    rowBytes = stride * std::uint64_t(height);
    return true;
}

void WriteHeaders(std::uint8_t* p, std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                  std::uint32_t offBits, std::uint32_t rowBytes, std::uint32_t colors) {
    PutU16(p, 0x4D42);
    PutU32(p + 2, offBits + rowBytes);
    PutU16(p + 6, 0);
    PutU16(p + 8, 0);
    PutU32(p + 10, offBits);
    PutU32(p + 14, kInfoHeaderSize);
    PutI32(p + 18, width);
    PutI32(p + 22, height);
    PutU16(p + 26, 1);
    PutU16(p + 28, bitCount);
    PutU32(p + 30, 0);
    PutU32(p + 34, rowBytes);
    PutU32(p + 38, 0);
    PutU32(p + 42, 0);
    PutU32(p + 46, colors);
    PutU32(p + 50, colors);
}

// Validated sizes of a strip that is about to be built.
struct Plan {
    std::uint32_t stride = 0;
    std::uint32_t rowBytes = 0;
};

Plan PlanStrip(const TStrip& strip, int bitCount, std::uint32_t headerSize, std::size_t pixelSize) {
    std::uint64_t rowBytes = 0;
    if (!RowBytes(bitCount, strip.Width, strip.Height, headerSize, rowBytes)) NotValid();
    // Checked above: Width * Height * pixelSize <= rowBytes < 2^31.
    if (strip.Pixels.size() / pixelSize < std::uint64_t(strip.Width) * std::uint64_t(strip.Height))
        NotValid();
    return Plan{static_cast<std::uint32_t>(StrideFor(bitCount, strip.Width)),
                static_cast<std::uint32_t>(rowBytes)};
}

}  // namespace

std::uint64_t Stride8(std::int32_t Width) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(Width)) + 3u) & ~3ull;
}

std::uint64_t Stride24(std::int32_t Width) {
    return (3ull * static_cast<std::uint32_t>(Width) + 3ull) & ~3ull;
}

bool ImageSizeFits(int BitsPerPixel, std::int32_t Width, std::int32_t Height) {
    std::uint64_t rowBytes = 0;
    return BitsPerPixel == 8 ? RowBytes(8, Width, Height, kHeaders8, rowBytes)
                             : RowBytes(24, Width, Height, kHeaders24, rowBytes);
}

void Color16ToRGB(std::uint8_t Low, std::uint8_t High, std::uint8_t& Red, std::uint8_t& Green,
                  std::uint8_t& Blue) {
    Blue = static_cast<std::uint8_t>(Low << 3);
    Green = static_cast<std::uint8_t>(((Low >> 5) << 2) | ((High & 7) << 5));
    Red = static_cast<std::uint8_t>(High & 0xF8);
}

namespace {
// One row of 16-bit pixels as blue-green-red triples.
void Convert16Row(const std::uint8_t* src, std::uint8_t* dst, std::size_t width) {
    for (std::size_t c = 0; c < width; ++c, src += 2, dst += 3)
        Color16ToRGB(src[0], src[1], dst[2], dst[1], dst[0]);
}

#if defined(__x86_64__)
// Eight pixels a step: the three components by shifts and masks in 16-bit
// lanes, packed to bytes and shuffled into triples.
__attribute__((target("ssse3"))) void Convert16RowSsse3(const std::uint8_t* src, std::uint8_t* dst,
                                                        std::size_t width) {
    const __m128i low5 = _mm_set1_epi16(0xF8), low6 = _mm_set1_epi16(0xFC);
    // A lane that the shuffle clears.
    constexpr char Z = char(0x80);
    // From the blue-green pairs, and from the reds in bytes 8 to 15.
    const __m128i pairs0 = _mm_setr_epi8(0, 1, Z, 2, 3, Z, 4, 5, Z, 6, 7, Z, 8, 9, Z, 10);
    const __m128i reds0 = _mm_setr_epi8(Z, Z, 8, Z, Z, 9, Z, Z, 10, Z, Z, 11, Z, Z, 12, Z);
    const __m128i pairs1 = _mm_setr_epi8(11, Z, 12, 13, Z, 14, 15, Z, Z, Z, Z, Z, Z, Z, Z, Z);
    const __m128i reds1 = _mm_setr_epi8(Z, 13, Z, Z, 14, Z, Z, 15, Z, Z, Z, Z, Z, Z, Z, Z);
    std::size_t c = 0;
    for (; c + 8 <= width; c += 8, src += 16, dst += 24) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i b = _mm_and_si128(_mm_slli_epi16(v, 3), low5);
        const __m128i g = _mm_and_si128(_mm_srli_epi16(v, 3), low6);
        const __m128i r = _mm_and_si128(_mm_srli_epi16(v, 8), low5);
        const __m128i br = _mm_packus_epi16(b, r);
        const __m128i bg = _mm_unpacklo_epi8(br, _mm_packus_epi16(g, g));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                         _mm_or_si128(_mm_shuffle_epi8(bg, pairs0), _mm_shuffle_epi8(br, reds0)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 16),
                         _mm_or_si128(_mm_shuffle_epi8(bg, pairs1), _mm_shuffle_epi8(br, reds1)));
    }
    Convert16Row(src, dst, width - c);
}
#endif

using TRowConverter = void (*)(const std::uint8_t*, std::uint8_t*, std::size_t);

TRowConverter RowConverter() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("ssse3")) return Convert16RowSsse3;
#endif
    return Convert16Row;
}
}  // namespace

TBmpRows::TBmpRows(int BitsPerPixel, const TStrip& Strip, const TPalette& Palette)
    : strip_(Strip), eight_(BitsPerPixel == 8) {
    const std::uint32_t headerSize = eight_ ? kHeaders8 : kHeaders24;
    const Plan plan = PlanStrip(Strip, eight_ ? 8 : 24, headerSize, eight_ ? 1 : 2);
    stride_ = plan.stride;
    // A strip 0 pixels wide has no row bytes at all, however many rows it claims.
    rows_ = plan.stride == 0 ? 0 : std::size_t(Strip.Height);
    headers_.resize(headerSize);
    std::uint8_t* p = headers_.data();
    WriteHeaders(p, Strip.Width, Strip.Height, eight_ ? 8 : 24, headerSize, plan.rowBytes,
                 eight_ ? 256 : 0);
    if (!eight_) return;
    std::uint8_t* table = p + kHeaders24;
    for (std::size_t k = 0; k < 256; ++k) {
        table[4 * k] = Palette[3 * k + 2];
        table[4 * k + 1] = Palette[3 * k + 1];
        table[4 * k + 2] = Palette[3 * k];
        table[4 * k + 3] = 0;
    }
}

void TBmpRows::Write(std::size_t First, std::size_t Count, std::uint8_t* Out) const {
    const auto width = std::size_t(strip_.Width);
    const std::size_t used = eight_ ? width : 3 * width;
    for (std::size_t r = First; r < First + Count; ++r, Out += stride_) {
        // Bottom-up: the file's first row is the strip's last.
        WritePart(rows_ - 1 - r, 0, width, Out);
        std::fill(Out + used, Out + stride_, std::uint8_t{0});
    }
}

void TBmpRows::WritePart(std::size_t Row, std::size_t X, std::size_t Width,
                         std::uint8_t* Out) const {
    static const TRowConverter convert = RowConverter();
    const std::size_t at = Row * std::size_t(strip_.Width) + X;
    if (!eight_)
        convert(strip_.Pixels.data() + 2 * at, Out, Width);
    else if (Width != 0)
        std::memcpy(Out, strip_.Pixels.data() + at, Width);
}

namespace {
Bytes BuildImage(const TBmpRows& rows) {
    Bytes image(rows.Headers().size() + rows.Count() * rows.Stride());
    std::copy(rows.Headers().begin(), rows.Headers().end(), image.begin());
    rows.Write(0, rows.Count(), image.data() + rows.Headers().size());
    return image;
}
}  // namespace

Bytes Build8BitImage(const TStrip& Strip, const TPalette& Palette) {
    return BuildImage(TBmpRows(8, Strip, Palette));
}

Bytes Build16BitImage(const TStrip& Strip) { return BuildImage(TBmpRows(16, Strip, TPalette{})); }

void SaveBmpRows(const TBmpRows& Rows, const std::string& FileName, Durability durability) {
    // A few hundred KiB of rows at a time: the whole image is never held.
    const std::size_t perPiece =
        std::max<std::size_t>(1, (256u << 10) / std::max(Rows.Stride(), std::size_t(1)));
    const std::size_t head = Rows.Headers().size();
    Bytes piece(head + std::min(perPiece, Rows.Count()) * Rows.Stride());
    // The headers go out with the first rows: a small font takes one write.
    std::copy(Rows.Headers().begin(), Rows.Headers().end(), piece.begin());
    WriteFileAtomically(
        FileName,
        [&](const TPieceWriter& write) {
            std::size_t at = head;
            for (std::size_t r = 0; r < Rows.Count() || at != 0; r += perPiece, at = 0) {
                const std::size_t n = std::min(perPiece, Rows.Count() - r);
                Rows.Write(r, n, piece.data() + at);
                if (!write(ByteSpan(piece.data(), at + n * Rows.Stride()))) return;
            }
        },
        durability);
}

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

namespace {
std::array<std::uint8_t, kFileHeaderSize> FileHeaderFor(std::size_t storedSize,
                                                        std::uint32_t rowOffset) {
    std::array<std::uint8_t, kFileHeaderSize> h{};
    PutU16(h.data(), 0x4D42);
    PutU32(h.data() + 2, static_cast<std::uint32_t>(kFileHeaderSize + storedSize));
    PutU32(h.data() + 10, rowOffset);
    return h;
}
}  // namespace

Bytes TBitmap::FileBytes() const {
    if (Empty()) return {};
    const ByteSpan stored = ByteSpan(*Image()).subspan(kFileHeaderSize);
    const auto head = FileHeaderFor(stored.size(), rowOffset_);
    Bytes out(head.begin(), head.end());
    out.insert(out.end(), stored.begin(), stored.end());
    return out;
}

void TBitmap::SaveToFile(const std::string& FileName, Durability durability) const {
    if (font_) return SaveBmpRows(font_->Rows, FileName, durability);
    if (!image_) NotValid();
    const ByteSpan stored = ByteSpan(*image_).subspan(kFileHeaderSize);
    const auto head = FileHeaderFor(stored.size(), rowOffset_);
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

namespace {
#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
#else
constexpr const char* kSeparators = "/";
#endif
}  // namespace

std::string FolderOf(const std::string& Path) {
    const auto cut = Path.find_last_of(kSeparators);
    return cut == std::string::npos ? std::string() : Path.substr(0, cut + 1);
}

std::string ProposedExportName(const std::string& FontPath, const std::string& LastSaveDir) {
    std::string name = FontPath.substr(FolderOf(FontPath).size());
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return LastSaveDir + name + ".BMP";
}

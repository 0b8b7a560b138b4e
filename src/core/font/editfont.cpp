#include "font/editfont.h"

#include <limits>
#include <string>

#include "image/bmplayout.h"

bool TEditedFont::Load(const std::string& Path, bool Pixels) {
    ReadOnlyFile file;
    return file.Open(Path) && Load(file, Path, Pixels);
}

bool TEditedFont::Parse(ByteSpan File, const std::string& Path) {
    SpanSource source(File);
    return Load(source, Path);
}

bool TEditedFont::Load(ByteSource& Source, const std::string& Path, bool Pixels) {
    TSftFont font;
    TCharTable rows;
    std::vector<TRange> ranges;
    if (!ReadSFT(Source, font, rows, std::int32_t(rows.size()) - 1, &ranges, Pixels)) return false;
    font_ = std::move(font);
    table_.assign(rows.begin(), rows.begin() + font_.CharCount);
    ranges_ = std::move(ranges);
    rangesAsRead_ = true;
    path_ = Path;
    modified_ = false;
    return true;
}

TEditedFont TEditedFont::FromHeaders(int BitsPerPixel, const std::array<std::uint8_t, 40>& Header,
                                     const std::array<std::uint8_t, 128>& StripHeader) {
    if (BitsPerPixel != 8 && BitsPerPixel != 16)
        throw EFontError("the depth is " + std::to_string(BitsPerPixel) +
                         " bits per pixel; a font has 8 or 16");
    if (!MagicIs(ByteSpan(Header.data(), 4), "SFNT"))
        throw EFontError("the header does not begin with SFNT");
    TEditedFont f;
    f.font_.Header = Header;
    f.font_.StripHeader = StripHeader;
    PutI32(f.font_.Header.data() + 20, 0);
    PutI32(f.font_.StripHeader.data() + 36, BitsPerPixel);
    f.modified_ = true;
    return f;
}

bool StripFits(int BitsPerPixel, std::int64_t Width, std::int32_t Height) {
    const std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    return Width >= 0 && Height >= 0 && Width <= limit &&
           Width * (BitsPerPixel / 8) * Height <= limit &&
           ImageSizeFits(BitsPerPixel, std::int32_t(Width), Height);
}

void TEditedFont::ReplaceStrip(std::int32_t Width, std::int32_t Height, Bytes Pixels) {
    const int bpp = BitsPerPixel();
    const std::string size = std::to_string(Width) + " x " + std::to_string(Height);
    if (Width < 0 || Height < 0) throw EFontError("a strip of " + size + " pixels");
    // As the reader checks it: the pixel data and its picture must both fit.
    if (!StripFits(bpp, Width, Height))
        throw EFontError("a strip of " + size + " pixels is more than a font holds");
    const std::int64_t bytes = std::int64_t(Width) * (bpp / 8) * Height;
    if (Pixels.size() != std::uint64_t(bytes))
        throw EFontError("a strip of " + size + " pixels needs " + std::to_string(bytes) +
                         " bytes, not " + std::to_string(Pixels.size()));
    font_.Width = Width;
    font_.Height = Height;
    font_.Pixels = SharedBytes(std::move(Pixels));
    modified_ = true;
}

void TEditedFont::SetTable(std::vector<TCharEntry> Table) {
    if (Table.size() > kMaxChars)
        throw EFontError("the table has " + std::to_string(Table.size()) +
                         " characters; a font holds at most " + std::to_string(kMaxChars));
    table_ = std::move(Table);
    font_.CharCount = std::int32_t(table_.size());
    rangesAsRead_ = false;
    modified_ = true;
}

TPixelGrid TEditedFont::Grid() {
    return TPixelGrid{font_.Width, font_.Height, BitsPerPixel() / 8, font_.Pixels.Writable()};
}

TPixelGrid ReadOnlyGrid(const TSftFont& Font) {
    return TPixelGrid{Font.Width, Font.Height, Font.BitsPerPixel() / 8,
                      const_cast<std::uint8_t*>(Font.Pixels.data())};
}

TFontBody TEditedFont::Body() const {
    return TFontBody{{font_.Width, font_.Height, font_.Pixels}, table_, ranges_, rangesAsRead_};
}

void TEditedFont::SetBody(TFontBody Body) {
    font_.Width = Body.Width;
    font_.Height = Body.Height;
    font_.Pixels = std::move(Body.Pixels);
    table_ = std::move(Body.Table);
    font_.CharCount = std::int32_t(table_.size());
    ranges_ = std::move(Body.Ranges);
    rangesAsRead_ = Body.RangesAsRead;
}

std::vector<TRange> RangesOf(const std::vector<TCharEntry>& Table) {
    std::vector<TRange> ranges;
    for (const TCharEntry& e : Table) {
        if (!ranges.empty() && ranges.back().Last != 0xFFFF && e.Code == ranges.back().Last + 1)
            ranges.back().Last = e.Code;
        else
            ranges.push_back(TRange{e.Code, e.Code});
    }
    return ranges;
}

Bytes TEditedFont::HeadBytes(std::int32_t Width) const {
    const std::vector<TRange> ranges = rangesAsRead_ ? ranges_ : RangesOf(table_);
    Bytes head(font_.Header.begin(), font_.Header.end());
    // A file read with no records may say so with any count of 0 or less.
    if (!(ranges.empty() && font_.RangeCount() <= 0))
        PutI32(head.data() + 20, std::int32_t(ranges.size()));
    std::size_t row = 0;
    auto put = [&head](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) head.push_back(std::uint8_t(v >> (8 * i)));
    };
    for (const TRange& r : ranges) {
        put(r.First, 2);
        put(r.Last, 2);
        for (std::int32_t c = r.First; c <= std::int32_t(r.Last); ++c, ++row) {
            put(std::uint32_t(table_[row].X), 4);
            put(std::uint32_t(table_[row].Extra), 4);
        }
    }
    head.insert(head.end(), font_.StripHeader.begin(), font_.StripHeader.end());
    put(std::uint32_t(Width), 4);
    put(std::uint32_t(font_.Height), 4);
    return head;
}

void TEditedFont::Save(const std::string& Path, Durability durability) {
    const Bytes head = HeadBytes();
    WriteFileAtomically(Path, head, ByteSpan(font_.Pixels.data(), font_.Pixels.size()), durability);
    Saved(Path);
}

Bytes TEditedFont::FileBytes() const {
    Bytes out = HeadBytes();
    AppendBytes(out, ByteSpan(font_.Pixels.data(), font_.Pixels.size()));
    return out;
}

void TEditedFont::Saved(const std::string& Path) {
    path_ = Path;
    modified_ = false;
}

#include "edit/editstep.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "font/stripcolumns.h"

TEditStep::TEditStep(const char* Name, TPixelDelta Pixels)
    : name_(Name), pixels_(std::move(Pixels)) {
    bytes_ = sizeof *this + pixels_.MemoryBytes() - sizeof pixels_;
}

TEditStep::TEditStep(const char* Name, TFontBody Before, const TEditedFont& After)
    : name_(Name), other_(std::make_unique<TFontBody>(std::move(Before))) {
    bytes_ = sizeof *this + sizeof *other_ + other_->Table.capacity() * sizeof(TCharEntry) +
             other_->Ranges.capacity() * sizeof(TRange);
    const TSftFont& after = After.Font();
    sharesPixels_ = other_->Pixels.data() == after.Pixels.data() && other_->Width == after.Width &&
                    other_->Height == after.Height;
    // A strip replaced keeps both strips alive while the step is held.
    if (!sharesPixels_) bytes_ += other_->Pixels.size() + after.Pixels.size();
}

TEditStep::TEditStep(const char* Name, TColumnChange Change, TFontBody Before)
    : name_(Name),
      other_(std::make_unique<TFontBody>(std::move(Before))),
      columns_(std::make_unique<TColumnChange>(std::move(Change))) {
    other_->Pixels = SharedBytes();  // the strip is made anew from the columns
    bytes_ = sizeof *this + sizeof *other_ + sizeof *columns_ +
             other_->Table.capacity() * sizeof(TCharEntry) +
             other_->Ranges.capacity() * sizeof(TRange) + columns_->Columns.capacity();
}

void TEditStep::Toggle(TEditedFont& Font) {
    if (columns_) {
        const TColumnChange& c = *columns_;
        const TPixelGrid grid = Font.Grid();
        // Undone, an insertion takes its columns out again, and the other way round.
        const bool insert = c.Insert != done_;
        SharedBytes pixels(insert ? InsertColumns(grid, c.At, c.Width, c.Columns, c.Fill)
                                  : RemoveColumns(grid, c.At, c.Width));
        TFontBody now = Font.Body();
        now.Pixels = SharedBytes();
        TFontBody next = std::move(*other_);
        next.Pixels = std::move(pixels);
        next.Width = grid.Width + (insert ? c.Width : -c.Width);
        next.Height = grid.Height;
        Font.SetBody(std::move(next));
        *other_ = std::move(now);
        done_ = !done_;
        return;
    }
    done_ = !done_;
    if (!other_) {
        TPixelGrid grid = Font.Grid();
        pixels_.Toggle(grid);
        return;
    }
    TFontBody now = Font.Body();
    TFontBody next = std::move(*other_);
    // A step read back holds no copy of the strip it shares.
    if (sharesPixels_) next.Pixels = now.Pixels;
    Font.SetBody(std::move(next));
    *other_ = std::move(now);
}

std::size_t StepsToDrop(std::span<const std::size_t> Sizes, std::size_t Bound) {
    std::size_t total = 0, keep = 0;
    // From the newest back, as long as they fit; the newest fits always.
    for (auto it = Sizes.rbegin(); it != Sizes.rend(); ++it, ++keep) {
        if (keep > 0 && (total > Bound || *it > Bound - total)) break;
        total += *it;
    }
    return Sizes.size() - keep;
}

namespace {

enum : std::uint8_t { kPixelStep, kBodyStep, kColumnStep };

// The names of steps read back, kept for the program's life: a few texts.
const char* KeptName(std::string Name) {
    static std::mutex lock;
    static std::set<std::string> names;
    const std::lock_guard<std::mutex> hold(lock);
    return names.insert(std::move(Name)).first->c_str();
}

EFontError Damaged(const std::string& What) {
    return EFontError("a step of the history is damaged: " + What);
}

std::uint64_t Need(ByteSource& In, int N, const char* What) {
    std::uint64_t v = 0;
    if (!ReadLe(In, v, N)) throw Damaged(std::string(What) + " is cut short");
    return v;
}

std::int32_t NeedI32(ByteSource& In, const char* What) {
    return std::int32_t(std::uint32_t(Need(In, 4, What)));
}

std::size_t PixelBytes(std::int32_t Width, std::int32_t Height, int BitsPerPixel) {
    return std::size_t(Width) * std::size_t(Height) * std::size_t(BitsPerPixel / 8);
}

void WriteBody(Bytes& Out, const TFontBody& Body, bool WithPixels) {
    AppendLe(Out, std::uint32_t(Body.Width), 4);
    AppendLe(Out, std::uint32_t(Body.Height), 4);
    if (WithPixels) {
        AppendLe(Out, Body.Pixels.size(), 4);
        AppendBytes(Out, Body.Pixels);
    }
    AppendLe(Out, Body.Table.size(), 2);
    for (const TCharEntry& e : Body.Table) {
        AppendLe(Out, e.Code, 2);
        AppendLe(Out, std::uint32_t(e.X), 4);
        AppendLe(Out, std::uint32_t(e.Extra), 4);
    }
    AppendLe(Out, Body.Ranges.size(), 4);
    for (const TRange& r : Body.Ranges) {
        AppendLe(Out, r.First, 2);
        AppendLe(Out, r.Last, 2);
    }
    Out.push_back(Body.RangesAsRead);
}

// A strip that grows past Max bytes is refused: more than a front end gives a
// font. Its size is one StripFits passed, so the product can't overflow.
void CheckGrowth(std::int32_t Width, std::int32_t Height, int BitsPerPixel, std::size_t Now,
                 std::size_t Max) {
    const std::size_t bytes = PixelBytes(Width, Height, BitsPerPixel);
    if (bytes > Now && bytes > Max)
        throw Damaged("a strip of " + std::to_string(Width) + " x " + std::to_string(Height) +
                      " is " + std::to_string(bytes) + " bytes, more than the " +
                      std::to_string(Max) + " a font may have");
}

TFontBody ReadBody(ByteSource& In, int BitsPerPixel, bool WithPixels, std::size_t Now,
                   std::size_t Max) {
    TFontBody b;
    b.Width = NeedI32(In, "the strip's width");
    b.Height = NeedI32(In, "the strip's height");
    if (!StripFits(BitsPerPixel, b.Width, b.Height))
        throw Damaged("a strip of " + std::to_string(b.Width) + " x " + std::to_string(b.Height));
    if (WithPixels) {
        CheckGrowth(b.Width, b.Height, BitsPerPixel, Now, Max);
        const std::uint64_t n = Need(In, 4, "the strip");
        if (n != PixelBytes(b.Width, b.Height, BitsPerPixel) || n > In.Left())
            throw Damaged("the strip's pixels are not its size");
        Bytes pixels(static_cast<std::size_t>(n));
        if (!In.Read(pixels.data(), pixels.size())) throw Damaged("the strip is cut short");
        b.Pixels = SharedBytes(std::move(pixels));
    }
    const std::uint64_t rows = Need(In, 2, "the table");
    if (rows > kMaxChars) throw Damaged(std::to_string(rows) + " characters");
    for (std::uint64_t i = 0; i < rows; ++i) {
        TCharEntry e;
        e.Code = std::uint16_t(Need(In, 2, "the table"));
        e.X = NeedI32(In, "the table");
        e.Extra = NeedI32(In, "the table");
        b.Table.push_back(e);
    }
    const std::uint64_t ranges = Need(In, 4, "the ranges");
    std::uint64_t covered = 0;
    if (ranges > In.Left() / 4) throw Damaged("the ranges are cut short");
    for (std::uint64_t i = 0; i < ranges; ++i) {
        TRange r;
        r.First = std::uint16_t(Need(In, 2, "the ranges"));
        r.Last = std::uint16_t(Need(In, 2, "the ranges"));
        if (r.Last + 1 < r.First) throw Damaged("a range ends before it begins");
        covered += std::uint64_t(r.Last + 1 - r.First);
        b.Ranges.push_back(r);
    }
    b.RangesAsRead = Need(In, 1, "the ranges") != 0;
    // Ranges written as they stand must name each row once.
    if (b.RangesAsRead && covered != b.Table.size())
        throw Damaged("the ranges don't match the table");
    return b;
}

std::size_t BodyBytes(const TFontBody& Body) {
    return sizeof Body + Body.Table.capacity() * sizeof(TCharEntry) +
           Body.Ranges.capacity() * sizeof(TRange);
}

}  // namespace

void TEditStep::Write(Bytes& Out) const { WriteAs(Out, done_, other_ ? *other_ : TFontBody()); }

void TEditStep::WriteUndone(Bytes& Out, const TEditedFont& Font) const {
    WriteAs(Out, false, other_ ? Font.Body() : TFontBody());
}

void TEditStep::WriteAs(Bytes& Out, bool Done, const TFontBody& Other) const {
    Out.push_back(columns_ ? kColumnStep : other_ ? kBodyStep : kPixelStep);
    Out.push_back(Done);
    const std::size_t name = std::min<std::size_t>(std::strlen(name_), 0xFFFF);
    AppendLe(Out, name, 2);
    AppendText(Out, name_, name);
    if (columns_) {
        const TColumnChange& c = *columns_;
        Out.push_back(c.Insert);
        AppendLe(Out, std::uint32_t(c.At), 4);
        AppendLe(Out, std::uint32_t(c.Width), 4);
        AppendLe(Out, c.Fill, 2);
        AppendLe(Out, c.Columns.size(), 4);
        Out.insert(Out.end(), c.Columns.begin(), c.Columns.end());
        WriteBody(Out, Other, false);
    } else if (other_) {
        Out.push_back(sharesPixels_);
        WriteBody(Out, Other, !sharesPixels_);
    } else {
        pixels_.Write(Out);
    }
}

TEditStep TEditStep::Read(ByteSource& In, std::int32_t& Width, std::int32_t& Height,
                          int BitsPerPixel, std::size_t MaxStrip) {
    const std::size_t now = PixelBytes(Width, Height, BitsPerPixel);
    const std::uint64_t kind = Need(In, 1, "its kind");
    TEditStep s;
    s.done_ = Need(In, 1, "its state") != 0;
    const std::uint64_t length = Need(In, 2, "its name");
    std::string name(static_cast<std::size_t>(std::min(length, In.Left())), '\0');
    if (length > In.Left() || !In.Read(name.data(), name.size()))
        throw Damaged("its name is cut short");
    s.name_ = KeptName(std::move(name));
    const int bytesPerPixel = BitsPerPixel / 8;
    if (kind == kPixelStep) {
        if (!s.pixels_.Read(In, Width, Height, bytesPerPixel))
            throw Damaged("\"" + std::string(s.name_) + "\" changes pixels the font doesn't have");
        s.bytes_ = sizeof s + s.pixels_.MemoryBytes() - sizeof s.pixels_;
        return s;
    }
    if (kind == kBodyStep) {
        s.sharesPixels_ = Need(In, 1, "its strip") != 0;
        s.other_ = std::make_unique<TFontBody>(
            ReadBody(In, BitsPerPixel, !s.sharesPixels_, now, MaxStrip));
        const TFontBody& b = *s.other_;
        if (s.sharesPixels_ && (b.Width != Width || b.Height != Height))
            throw Damaged("a strip kept is not the font's size");
        s.bytes_ = sizeof s + BodyBytes(b);
        if (!s.sharesPixels_) s.bytes_ += b.Pixels.size() + PixelBytes(Width, Height, BitsPerPixel);
        Width = b.Width, Height = b.Height;
        return s;
    }
    if (kind != kColumnStep) throw Damaged("its kind is unknown");
    TColumnChange c;
    c.Insert = Need(In, 1, "its columns") != 0;
    c.At = NeedI32(In, "its columns");
    c.Width = NeedI32(In, "its columns");
    c.Fill = std::uint16_t(Need(In, 2, "its columns"));
    const std::uint64_t n = Need(In, 4, "its columns");
    // Checked before anything is had: columns put in by their fill alone
    // make a strip the bytes read don't back.
    const bool insert = c.Insert != s.done_;
    const std::int64_t wide = Width, next = insert ? wide + c.Width : wide - c.Width;
    const bool fits = c.At >= 0 && c.Width >= 0 &&
                      (insert ? c.At <= wide : c.At + std::int64_t(c.Width) <= wide) &&
                      StripFits(BitsPerPixel, next, Height) &&
                      (n == 0 || n == std::uint64_t(c.Width) * std::uint64_t(Height) *
                                          std::uint64_t(bytesPerPixel));
    if (!fits) throw Damaged("its columns don't fit the strip");
    CheckGrowth(std::int32_t(next), Height, BitsPerPixel, now, MaxStrip);
    if (n > In.Left()) throw Damaged("its columns are cut short");
    c.Columns.resize(static_cast<std::size_t>(n));
    if (!In.Read(c.Columns.data(), c.Columns.size())) throw Damaged("its columns are cut short");
    s.other_ = std::make_unique<TFontBody>(ReadBody(In, BitsPerPixel, false, now, MaxStrip));
    s.columns_ = std::make_unique<TColumnChange>(std::move(c));
    s.bytes_ =
        sizeof s + sizeof(TColumnChange) + BodyBytes(*s.other_) + s.columns_->Columns.capacity();
    Width = std::int32_t(next);
    return s;
}

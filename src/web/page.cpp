#include "page.h"

#include <emscripten/bind.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "fontjson.h"
#include "image/bmpread.h"
#include "picture/export.h"
#include "picture/pixelinfo.h"
#include "picture/rgba.h"
#include "session/display.h"
#include "text/charcode.h"

ByteSpan SpanOf(const std::string& Data) {
    return ByteSpan(reinterpret_cast<const std::uint8_t*>(Data.data()), Data.size());
}

// A Uint8Array read as a file: small reads from a window of it copied in at
// once, large ones (a strip's pixels) straight into their place, so a large
// font is copied into the page's memory once.
class TArraySource final : public ByteSource {
public:
    explicit TArraySource(const val& Array)
        : array_(Array), size_(Array["length"].as<std::size_t>()) {}
    std::uint64_t Left() const override { return size_ - pos_; }
    bool Read(void* Dst, std::size_t N) override {
        if (size_ - pos_ < N) return false;
        if (N > kWindow) {
            Copy(Dst, pos_, N);
        } else {
            if (pos_ < from_ || pos_ + N > from_ + window_.size()) {
                window_.resize(std::min(kWindow, size_ - pos_));
                Copy(window_.data(), from_ = pos_, window_.size());
            }
            if (N != 0) std::memcpy(Dst, window_.data() + (pos_ - from_), N);
        }
        pos_ += N;
        return true;
    }

private:
    static constexpr std::size_t kWindow = 64 * 1024;
    void Copy(void* Dst, std::size_t At, std::size_t N) const {
        val(emscripten::typed_memory_view(N, static_cast<std::uint8_t*>(Dst)))
            .call<void>("set", array_.call<val>("subarray", At, At + N));
    }

    val array_;
    std::size_t size_, pos_ = 0, from_ = 0;
    Bytes window_;
};

// A copy the script owns, since the WebAssembly memory may move as it grows.
val ByteArray(ByteSpan Data) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(Data.size(), Data.data()));
}

val Error(const std::string& Text) {
    val out = val::object();
    out.set("error", Text);
    return out;
}

val Question(const EColorsNotInPalette& Missing) {
    val out = val::object();
    out.set("question", NearestQuestionText(Missing));
    return out;
}

val Done() {
    val out = val::object();
    out.set("ok", true);
    return out;
}

namespace {

class TWarnings final : public IWarningSink {
public:
    void ShowWarning(const std::string& Text) override { Texts.push_back(Text); }
    std::vector<std::string> Texts;
};

std::uint32_t Argb(const std::uint8_t* Rgba) {
    return std::uint32_t(Rgba[3]) << 24 | std::uint32_t(Rgba[0]) << 16 |
           std::uint32_t(Rgba[1]) << 8 | Rgba[2];
}

}  // namespace

std::optional<TImagePixels> ImageOf(int W, int H, bool Indexed, const std::string& Data,
                                    const std::string& Table) {
    const std::size_t count = std::size_t(std::max(W, 0)) * std::size_t(std::max(H, 0));
    if (W < 0 || H < 0 || Data.size() != count * (Indexed ? 1 : 4)) return std::nullopt;
    TImagePixels image;
    image.Width = W;
    image.Height = H;
    image.Indexed = Indexed;
    const ByteSpan data = SpanOf(Data), table = SpanOf(Table);
    if (Indexed) {
        image.Indices.assign(data.begin(), data.end());
        for (std::size_t k = 0; k < 256; ++k)
            image.ColorTable[k] = 4 * k + 3 < table.size() ? Argb(&table[4 * k]) : 0xFF000000u;
    } else {
        image.Colors.resize(count);
        for (std::size_t i = 0; i < count; ++i) image.Colors[i] = Argb(&data[4 * i]);
    }
    return image;
}

TPage::TPage() {
    session_.SetJournal(this);
    session_.SetPrepare([this](const TEditedFont& Font) { Build(Font, session_.Palette()); });
}

void TPage::Build(const TEditedFont& Font, const TPalette& Palette) {
    TInfoLines info;
    std::unique_ptr<TBitmap> picture;
    ShowFontPicture(picture, Font.Font(), Palette, info);
    if (!picture) throw EToolkitError(kBitmapNotValid);
    built_ = std::move(picture);
    builtInfo_ = std::move(info.Lines);
}

val TPage::Report(const TSessionChange& Change) {
    val out = val::object();
    if (Change.Kind == TSessionChange::TKind::Font) {
        // Built aside before the change was kept.
        if (built_) picture_ = std::move(built_), info_ = std::move(builtInfo_);
        out.set("row", Change.Row);
    } else if (Change.Kind == TSessionChange::TKind::Pixels) {
        picture_->LoadFromFont(session_.Font().Font(), session_.Palette());
        const TPixelRect a = Change.Area;
        out.set("area", ArrayOf(std::vector<int>{a.Left, a.Top, a.Right, a.Bottom}));
        // Pixels that only moved, with the rest of what changed, for the view to
        // move what it drew: not under a reference glyph, which stays put.
        const TSessionChange::TShift& s = Change.Shift;
        if (!s.From.Empty() && !reference_) {
            std::vector<int> moved{s.From.Left,   s.From.Top, s.From.Right,
                                   s.From.Bottom, s.Dx,       s.Dy};
            for (const TPixelRect& p : Change.Parts)
                moved.insert(moved.end(), {p.Left, p.Top, p.Right, p.Bottom});
            out.set("shift", TypedArray("Int32Array", moved));
        }
    } else {
        out.set("ok", true);
    }
    if (Change.Colors) out.set("picked", true);
    if (Change.NoPixels) out.set("unchanged", kNoPixelsChanged);
    if (Change.Selected) out.set("selected", Change.Row);
    if (Change.Selected && !Change.Scroll) out.set("stay", true);
    return out;
}

val TPage::OpenFont(const val& File, const std::string& Name) {
    return Guarded([&] {
        TEditedFont font;
        TArraySource file(File);
        if (!font.Load(file, Name) || !OpenableDepth(font.BitsPerPixel()))
            return Error(kInvalidSFT);
        Build(font, session_.Palette());
        session_.Open(std::move(font));
        picture_ = std::move(built_), info_ = std::move(builtInfo_);
        return Done();
    });
}

val TPage::LoadPalette(const std::string& File, bool BM) {
    return Guarded([&] {
        TPalette palette = session_.Palette();
        TWarnings warnings;
        const bool loaded = BM ? ParseBMPalette(SpanOf(File), palette, warnings)
                               : ParseCMPPalette(SpanOf(File), palette, warnings);
        if (!loaded) {
            val out = Error(kErrorLoadingPalette);
            out.set("warnings", ArrayOf(warnings.Texts));
            return out;
        }
        if (picture_) {
            Build(session_.Font(), palette);
            picture_ = std::move(built_), info_ = std::move(builtInfo_);
        }
        session_.SetPalette(palette);
        return Done();
    });
}

val TPage::InfoLines() const { return ArrayOf(info_); }

val TPage::Table() const {
    return Guarded([&] { return TableOf(); });
}

val TPage::TableOf() const {
    const std::vector<TCharEntry>& table = session_.Font().Table();
    std::vector<std::uint16_t> codes(table.size());
    std::vector<std::int32_t> x(table.size()), begin(table.size()), end(table.size());
    std::string chars;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const TGlyphExtent glyph = session_.Glyphs().Extent(i);
        codes[i] = table[i].Code, x[i] = table[i].X, begin[i] = glyph.Begin, end[i] = glyph.End;
        const std::optional<char32_t> c = ShownCharOf(table[i].Code, session_.CodePage());
        if (c) chars += Utf8Of(*c);
        chars += '\0';
    }
    val out = val::object();
    out.set("code", TypedArray("Uint16Array", codes));
    out.set("x", TypedArray("Int32Array", x));
    out.set("begin", TypedArray("Int32Array", begin));
    out.set("end", TypedArray("Int32Array", end));
    out.set("chars", chars);
    return out;
}

val TPage::Boundaries() const { return ArrayOf(session_.Glyphs().Boundaries()); }

std::string TPage::ExportName() const { return ProposedExportName(Name(), ""); }

val TPage::Pixels(int X, int Y, int W, int H, bool OnScreen, int Zoom) {
    if (!picture_ || W <= 0 || H <= 0 || Zoom < 1 || Zoom > 16) return val::null();
    const std::size_t w = std::size_t(W), h = std::size_t(H), z = std::size_t(Zoom);
    try {
        rgba_.resize(w * h * 4);
        if (z > 1) zoomed_.resize(w * z * h * z * 4);
    } catch (const std::bad_alloc&) {
        return val::null();
    }
    if (!PictureRGBA(*picture_, X, Y, W, H, rgba_.data())) return val::null();
    if (OnScreen && reference_)
        reference_->DrawUnder(session_.Font(), session_.Palette(), session_.Background(),
                              session_.Glyph(session_.CurrentRow()), X, Y, W, H, rgba_.data());
    if (z == 1) return val(emscripten::typed_memory_view(rgba_.size(), rgba_.data()));
    // Zoomed here, a row once and copied down: the browser puts the view's
    // pixels in place without scaling them through a canvas of its own.
    const std::size_t row = w * z * 4;
    for (std::size_t y = 0; y < h; ++y) {
        std::uint8_t* out = zoomed_.data() + y * z * row;
        for (std::size_t x = 0; x < w; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, rgba_.data() + (y * w + x) * 4, 4);
            std::uint8_t* at = out + x * z * 4;
            for (std::size_t k = 0; k < z; ++k, at += 4) std::memcpy(at, &pixel, 4);
        }
        for (std::size_t k = 1; k < z; ++k) std::memcpy(out + k * row, out, row);
    }
    return val(emscripten::typed_memory_view(zoomed_.size(), zoomed_.data()));
}

std::string TPage::PixelInfo(int X, int Y) const {
    return picture_ ? PixelText(session_.Font(), session_.Palette(), session_.Glyphs(), X, Y)
                    : std::string();
}

val TPage::BmpFile() const {
    return Guarded([&] {
        if (!picture_) return val::null();
        // Made a piece at a time, as the window writes its file: the whole
        // image is never built, and each piece is copied once, into a blob of
        // its own, before the next is made in the same memory.
        val pieces = val::array(), blob = val::global("Blob");
        picture_->FilePieces([&](ByteSpan Piece) {
            val view = val::array();
            view.call<void>("push", val(emscripten::typed_memory_view(Piece.size(), Piece.data())));
            pieces.call<void>("push", blob.new_(view));
            return true;
        });
        val type = val::object();
        type.set("type", std::string("image/bmp"));
        return blob.new_(pieces, type);
    });
}

val TPage::SftFile() const {
    return Guarded([&] { return picture_ ? ByteArray(session_.Font().FileBytes()) : val::null(); });
}

val TPage::Saved(const std::string& Name) {
    return Guarded([&] {
        session_.Saved(Name);
        session_.StartJournal();
        return Done();
    });
}

val TPage::Json() const {
    return Guarded([&] {
        nlohmann::json list = nlohmann::json::array();
        list.push_back(FontJson(Name(), session_.Font().Font(), session_.Font().Table()));
        return val(list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    });
}

val TPage::ImportPixels(int W, int H, bool Indexed, const std::string& Data,
                        const std::string& Table, bool Nearest, const std::string& Name) {
    return Guarded([&] {
        const std::optional<TImagePixels> image = ImageOf(W, H, Indexed, Data, Table);
        if (!image) return Error("Cannot import " + Name + ": the picture's pixels are not whole.");
        return Import(*image, Nearest, Name);
    });
}

val TPage::ImportBmp(const std::string& File, bool Nearest, const std::string& Name) {
    return Guarded([&] {
        if (!BmpFormIsRead(SpanOf(File)))
            return Error("Cannot import " + Name +
                         ": not a picture that can be read (BMP or PNG).");
        TImagePixels image;
        try {
            image = ReadBmp(SpanOf(File));
        } catch (const EFontError& e) {
            return Error("Cannot import " + Name + ": " + e.what() + ".");
        }
        return Import(image, Nearest, Name);
    });
}

val TPage::Import(const TImagePixels& Image, bool Nearest, const std::string& Name) {
    try {
        return Report(session_.Import(Image, Nearest));
    } catch (const EColorsNotInPalette& e) {
        return Question(e);
    } catch (const EFontError& e) {
        return Error("Cannot import " + Name + ": " + e.what() + ".");
    }
}

void TPage::Begin(const TWrite& Write) {
    pending_.clear();
    restart_ = true;
    Write([this](ByteSpan Piece) { AppendBytes(pending_, Piece); });
}

void TPage::Append(ByteSpan Record) { AppendBytes(pending_, Record); }

val TPage::TakeJournal() {
    return Guarded([&] {
        if (pending_.empty()) return val::null();
        val out = val::object();
        out.set("bytes", ByteArray(pending_));
        out.set("start", restart_);
        out.set("changes", double(session_.Changes()));
        pending_.clear();
        restart_ = false;
        return out;
    });
}

val TPage::Recover(const std::string& Journal) {
    return Guarded([&] {
        TJournalHistory kept;
        try {
            SpanSource in(SpanOf(Journal));
            kept = ParseJournal(in, "the kept work");
        } catch (const EFontError& e) {
            return Error(std::string("The work kept in this browser can't be recovered: ") +
                         e.what() + ".");
        }
        Build(kept.Font, session_.Palette());
        session_.Recover(std::move(kept));
        picture_ = std::move(built_), info_ = std::move(builtInfo_);
        return Done();
    });
}

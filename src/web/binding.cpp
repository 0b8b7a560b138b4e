// The page's view of the core: one open font, the palette in use and the
// picture drawn from them, with every rule left to the core. Calls never
// throw into the script: a refusal comes back as an object with "error".
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bmpread.h"
#include "colorrules.h"
#include "editfont.h"
#include "export.h"
#include "fontjson.h"
#include "palette.h"
#include "picture.h"
#include "pixelinfo.h"
#include "rgba.h"
#include "strip.h"

using emscripten::val;

namespace {

ByteSpan SpanOf(const std::string& Data) {
    return ByteSpan(reinterpret_cast<const std::uint8_t*>(Data.data()), Data.size());
}

// A copy the script owns, since the WebAssembly memory may move as it grows.
val ByteArray(ByteSpan Data) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(Data.size(), Data.data()));
}

val Error(const std::string& Text) {
    val out = val::object();
    out.set("error", Text);
    return out;
}

val Done() {
    val out = val::object();
    out.set("ok", true);
    return out;
}

// The standard error box's text of whatever a command threw.
template <class F>
val Guarded(F&& Command) {
    try {
        return Command();
    } catch (const std::bad_alloc&) {
        return Error(std::string(kOutOfMemory) + ".");
    } catch (const std::exception& e) {
        return Error(std::string(e.what()) + ".");
    }
}

class TInfoLines final : public IInfoList {
public:
    void Clear() override { Lines.clear(); }
    void Append(const std::string& Line) override { Lines.push_back(Line); }
    std::vector<std::string> Lines;
};

class TWarnings final : public IWarningSink {
public:
    void ShowWarning(const std::string& Text) override { Texts.push_back(Text); }
    std::vector<std::string> Texts;
};

template <class T>
val ArrayOf(const std::vector<T>& Items) {
    val out = val::array();
    for (std::size_t i = 0; i < Items.size(); ++i) out.set(i, Items[i]);
    return out;
}

class TPage {
public:
    // Fonts the window refuses are refused alike; the page keeps what it had.
    val OpenFont(const std::string& File, const std::string& Name) {
        return Guarded([&] {
            TEditedFont font;
            if (!font.Parse(SpanOf(File), Name) ||
                (font.BitsPerPixel() != 8 && font.BitsPerPixel() != 16))
                return Error(kInvalidSFT);
            Show(std::move(font), palette_);
            return Done();
        });
    }

    // The readers' warnings, then "Error loading Palette!", or the palette in
    // use and the picture drawn through it.
    val LoadPalette(const std::string& File, bool BM) {
        return Guarded([&] {
            TPalette palette = palette_;
            TWarnings warnings;
            const bool loaded = BM ? ParseBMPalette(SpanOf(File), palette, warnings)
                                   : ParseCMPPalette(SpanOf(File), palette, warnings);
            if (!loaded) {
                val out = Error(kErrorLoadingPalette);
                out.set("warnings", ArrayOf(warnings.Texts));
                return out;
            }
            if (picture_) Show(font_, palette);
            palette_ = palette;
            return Done();
        });
    }

    bool HasFont() const { return picture_ != nullptr; }
    std::string Name() const { return font_.Path(); }
    bool Modified() const { return font_.Modified(); }
    int Bits() const { return font_.BitsPerPixel(); }
    int Width() const { return picture_ ? picture_->Width() : 0; }
    int Height() const { return picture_ ? picture_->Height() : 0; }
    val InfoLines() const { return ArrayOf(info_); }

    // The table's rows: code, X, and the glyph's first and last-but-one column.
    val Table() const {
        val out = val::array();
        const std::vector<TCharEntry>& table = font_.Table();
        for (std::size_t i = 0; i < table.size(); ++i) {
            const TGlyphExtent glyph = glyphs_.Extent(i);
            val row = val::object();
            row.set("code", table[i].Code);
            row.set("x", table[i].X);
            row.set("begin", glyph.Begin);
            row.set("end", glyph.End);
            out.set(i, row);
        }
        return out;
    }
    val Boundaries() const { return ArrayOf(glyphs_.Boundaries()); }
    // Text laid out in the font: glyphs' columns, or gaps for codes it lacks.
    val Spell(val Codes) const {
        std::vector<std::uint16_t> codes;
        for (int c : emscripten::vecFromJSArray<int>(Codes)) codes.push_back(std::uint16_t(c));
        val out = val::array();
        const std::vector<TTextPiece> pieces = glyphs_.Spell(codes);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            val piece = val::object();
            piece.set("begin", pieces[i].Glyph.Begin);
            piece.set("end", pieces[i].Glyph.End);
            piece.set("gap", pieces[i].GapWidth);
            out.set(i, piece);
        }
        return out;
    }
    // The name Save as BMP gives the picture: main.sft gives main.BMP.
    std::string ExportName() const { return ProposedExportName(font_.Path(), ""); }
    int EntryAt(int X) const { return glyphs_.EntryAt(X); }

    // Pixels of the picture as RGBA, for the part of the strip on screen.
    val Pixels(int X, int Y, int W, int H) {
        if (!picture_ || W <= 0 || H <= 0) return val::null();
        rgba_.resize(std::size_t(W) * std::size_t(H) * 4);
        if (!PictureRGBA(*picture_, X, Y, W, H, rgba_.data())) return val::null();
        return val(emscripten::typed_memory_view(rgba_.size(), rgba_.data()));
    }
    std::string PixelInfo(int X, int Y) const {
        return picture_ ? PixelText(font_, palette_, glyphs_, X, Y) : std::string();
    }

    val BmpFile() const {
        return Guarded([&] { return picture_ ? ByteArray(picture_->FileBytes()) : val::null(); });
    }
    // A download is a save: the font is unchanged from then on.
    val SftFile(const std::string& Name) {
        return Guarded([&] {
            if (!picture_) return val::null();
            val out = ByteArray(font_.FileBytes());
            font_.Saved(Name);
            return out;
        });
    }
    // What sft2bmp --json prints for the font, its name for the path.
    std::string Json() const {
        nlohmann::json list = nlohmann::json::array();
        list.push_back(FontJson(font_.Path(), font_.Font(), font_.Table()));
        return list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    }

    // A picture's pixels in place of the strip, under the colour rules: an
    // indexed picture (Data the indices, Table 256 RGBA entries) or RGBA
    // colours. Colours the palette lacks give back the question; asked
    // again with Nearest they move.
    val ImportPixels(int W, int H, bool Indexed, const std::string& Data, const std::string& Table,
                     bool Nearest, const std::string& Name) {
        return Guarded([&] {
            TImagePixels image;
            image.Width = W;
            image.Height = H;
            image.Indexed = Indexed;
            const std::size_t count = std::size_t(std::max(W, 0)) * std::size_t(std::max(H, 0));
            if (W < 0 || H < 0 || Data.size() != count * (Indexed ? 1 : 4))
                return Error("Cannot import " + Name + ": the picture's pixels are not whole.");
            const ByteSpan data = SpanOf(Data), table = SpanOf(Table);
            if (Indexed) {
                image.Indices.assign(data.begin(), data.end());
                for (std::size_t k = 0; k < 256; ++k)
                    image.ColorTable[k] =
                        4 * k + 3 < table.size() ? Argb(&table[4 * k]) : 0xFF000000u;
            } else {
                image.Colors.resize(count);
                for (std::size_t i = 0; i < count; ++i) image.Colors[i] = Argb(&data[4 * i]);
            }
            return Import(image, Nearest, Name);
        });
    }

    // A BMP picture, read by the core's own reader.
    val ImportBmp(const std::string& File, bool Nearest, const std::string& Name) {
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

private:
    static std::uint32_t Argb(const std::uint8_t* Rgba) {
        return std::uint32_t(Rgba[3]) << 24 | std::uint32_t(Rgba[0]) << 16 |
               std::uint32_t(Rgba[1]) << 8 | Rgba[2];
    }

    val Import(const TImagePixels& Image, bool Nearest, const std::string& Name) {
        TFontPixels pixels;
        try {
            if (font_.BitsPerPixel() == 16) {
                pixels = ToFontPixels16(Image);
            } else {
                pixels = ToFontPixels8(Image, Image.Indexed ? nullptr : &palette_, Nearest);
            }
            TEditedFont font = font_;
            font.ReplaceStrip(Image.Width, Image.Height, std::move(pixels.Pixels));
            Show(std::move(font), palette_);
        } catch (const EColorsNotInPalette& e) {
            val out = val::object();
            out.set("question", NearestQuestionText(e));
            return out;
        } catch (const EFontError& e) {
            return Error("Cannot import " + Name + ": " + e.what() + ".");
        }
        return Done();
    }

    // Built aside: the page changes only once the picture has succeeded.
    void Show(TEditedFont Font, const TPalette& Palette) {
        TInfoLines info;
        std::unique_ptr<TBitmap> picture;
        if (Font.BitsPerPixel() == 8)
            Show8BitFont(picture, Font.Font(), Palette, info);
        else
            Show16BitFont(picture, Font.Font(), info);
        TStripGeometry glyphs(Font.Table(), Font.Font().Width);
        font_ = std::move(Font);
        picture_ = std::move(picture);
        info_ = std::move(info.Lines);
        glyphs_ = std::move(glyphs);
    }

    TEditedFont font_;
    TPalette palette_{};
    std::unique_ptr<TBitmap> picture_;
    std::vector<std::string> info_;
    TStripGeometry glyphs_;
    std::vector<std::uint8_t> rgba_;
};

std::string Version() { return QUILL_VERSION; }

}  // namespace

EMSCRIPTEN_BINDINGS(quillmere) {
    emscripten::function("version", &Version);
    emscripten::class_<TPage>("Page")
        .constructor<>()
        .function("openFont", &TPage::OpenFont)
        .function("loadPalette", &TPage::LoadPalette)
        .function("hasFont", &TPage::HasFont)
        .function("name", &TPage::Name)
        .function("modified", &TPage::Modified)
        .function("bits", &TPage::Bits)
        .function("width", &TPage::Width)
        .function("height", &TPage::Height)
        .function("infoLines", &TPage::InfoLines)
        .function("table", &TPage::Table)
        .function("boundaries", &TPage::Boundaries)
        .function("entryAt", &TPage::EntryAt)
        .function("spell", &TPage::Spell)
        .function("exportName", &TPage::ExportName)
        .function("pixels", &TPage::Pixels)
        .function("pixelInfo", &TPage::PixelInfo)
        .function("bmpFile", &TPage::BmpFile)
        .function("sftFile", &TPage::SftFile)
        .function("json", &TPage::Json)
        .function("importPixels", &TPage::ImportPixels)
        .function("importBmp", &TPage::ImportBmp);
}

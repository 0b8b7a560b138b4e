// File > New Font from Outline Font... in the page: the browser draws the
// outline font's glyphs (outline.js) and the core makes the strip of them,
// by the rules the window's FreeType glyphs go through.
#include <algorithm>
#include <cmath>
#include <span>
#include <variant>

#include "edit/glyphstyle.h"
#include "image/color.h"
#include "makers/glyphsource.h"
#include "page.h"
#include "session/commands.h"
#include "text/charcode.h"

namespace {

constexpr int kMostSize = 1024;  // the window's Size field's
constexpr int kMostSpacing = 256;

// A font the browser loaded, drawn and measured by the script at one size
// at a time; everything else is the core's.
class TBrowserFont final : public TGlyphSource {
public:
    explicit TBrowserFont(val Font) : font_(std::move(Font)) {}

    bool Scalable() const override { return true; }
    std::vector<int> FixedSizes() const override { return {}; }
    int FitSize(int Height) override {
        for (int s = std::min(Height, kMostSize); s > 0; --s) {
            SetSize(s);
            if (ascender_ + descender_ <= Height) return s;
        }
        return 0;
    }
    void SetSize(int Pixels) override {
        if (Pixels < 1 || Pixels > kMostSize)
            throw EFontError("the browser draws sizes from 1 to " + std::to_string(kMostSize) +
                             " px, not " + std::to_string(Pixels));
        const val m = font_.call<val>("setSize", Pixels);
        size_ = Pixels;
        ascender_ = m["ascender"].as<int>();
        descender_ = m["descender"].as<int>();
    }
    int Size() const override { return size_; }
    int Ascender() const override { return ascender_; }
    int Descender() const override { return descender_; }
    bool HasGlyph(char32_t CodePoint) const override {
        return CodePoint <= 0x10FFFF && font_.call<bool>("hasGlyph", std::uint32_t(CodePoint));
    }
    bool HasUnicodeMap() const override { return true; }
    TGlyphBitmap Render(char32_t CodePoint, TRenderMode Mode) override {
        TGlyphBitmap g;
        // The missing-glyph shape: the browser draws none of its own.
        if (CodePoint > 0x10FFFF) {
            g.Advance = size_ / 2;
            return g;
        }
        const val r = font_.call<val>("render", std::uint32_t(CodePoint));
        if (r.isNull()) throw EFontError(Utf8Of(CodePoint) + " can't be drawn at this size");
        g.Width = r["width"].as<int>();
        g.Rows = r["rows"].as<int>();
        g.Left = r["left"].as<int>();
        g.Top = r["top"].as<int>();
        g.Advance = r["advance"].as<int>();
        g.Coverage = emscripten::convertJSArrayToNumberVector<std::uint8_t>(r["coverage"]);
        if (g.Width < 0 || g.Rows < 0 ||
            g.Coverage.size() != std::size_t(g.Width) * std::size_t(g.Rows))
            throw EFontError(Utf8Of(CodePoint) + " came back from the browser misshapen");
        if (Mode.Mono)
            for (std::uint8_t& c : g.Coverage) c = c >= 128 ? 255 : 0;
        return g;
    }

private:
    val font_;
    int size_ = 0, ascender_ = 0, descender_ = 0;
};

// The dialog's settings as the core takes them.
struct TOutlineJob {
    TOutlineRequest Request;
    std::optional<TCodePage> Page;
    TCoverageColors Colors;
};

// A refusal of the settings, worded as the window's status line words it.
struct TRefusal {
    std::string Text;
};

std::string Field(const val& Fields, const char* Name) { return Fields[Name].as<std::string>(); }

int Whole(const val& Fields, const char* Name, const char* Label, int Min, int Max) {
    const double v = Fields[Name].isNumber() ? Fields[Name].as<double>() : NAN;
    if (!(v >= Min && v <= Max) || v != std::floor(v))
        throw TRefusal{std::string(Label) + ": a whole number from " + std::to_string(Min) +
                       " to " + std::to_string(Max)};
    return int(v);
}

template <class F>
auto Parsed(const char* Label, F&& Parse) {
    try {
        return Parse();
    } catch (const EFontError& e) {
        throw TRefusal{std::string(Label) + ": " + e.what()};
    }
}

std::optional<std::int32_t> RowOf(const val& Row) {
    return Row.isNumber() ? std::optional(Row.as<std::int32_t>()) : std::nullopt;
}

TOutlineJob JobOf(const TEditSession& Session, const val& Fields) {
    TOutlineJob job;
    TOutlineRequest& r = job.Request;
    r.Codes = Parsed("Characters", [&] { return ParseCharList(Field(Fields, "chars")); });
    const std::string page = Field(Fields, "codePage");
    if (page != "Unicode") job.Page = Parsed("Code page", [&] { return LoadCodePage(page); });
    r.Height = Session.Height();
    r.Size = Whole(Fields, "size", "Size", 0, kMostSize);
    if (Fields["add"].as<bool>()) {
        r.AddTo = &Session.Font();
        if (const val g = Fields["guides"]; g.isArray())
            r.Guides = TGuideRows{RowOf(g[0]), RowOf(g[1]), RowOf(g[2])};
        r.MatchSize = Fields["matchSize"].as<bool>();
        r.MatchColors = Fields["matchColors"].as<bool>();
        r.Palette = &Session.Palette();
    }
    if (!r.Height && !r.Size) throw TRefusal{"The open font's strip has no height: give a size."};
    r.Spacing = Whole(Fields, "spacing", "Spacing", 0, kMostSpacing);
    r.Mode.Mono = Fields["mono"].as<bool>();
    const bool eight = Session.Bits() == 8;
    // A colour as the font holds it: a palette index, or R,G,B as 5-6-5.
    const auto value = [&](const char* Name) {
        const std::string text = Field(Fields, Name);
        return eight ? std::uint16_t(ParsePaletteIndex(text)) : To565(ParseRgb(text));
    };
    job.Colors = Parsed("Colours", [&] {
        const std::string color = Field(Fields, "color"), background = Field(Fields, "background");
        return eight ? CoverageColors8(Session.Palette(), ParsePaletteIndex(color),
                                       ParsePaletteIndex(background))
                     : CoverageColors16(ParseRgb(color), ParseRgb(background));
    });
    TGlyphEffects& effects = r.Effects;
    if ((effects.Outline = Fields["outline"].as<bool>()))
        effects.OutlineColor = Parsed("Outline", [&] { return value("outlineColor"); });
    if ((effects.Shadow = Fields["shadow"].as<bool>())) {
        effects.ShadowColor = Parsed("Shadow", [&] { return value("shadowColor"); });
        effects.Right = Whole(Fields, "right", "Shadow", -kShadowReach, kShadowReach);
        effects.Down = Whole(Fields, "down", "Shadow", -kShadowReach, kShadowReach);
        if (std::string why = ShadowRefusal(effects.Right, effects.Down); !why.empty())
            throw TRefusal{"Shadow: " + why};
    }
    return job;
}

// The strip of the settings, or {error} with the status line's text.
std::variant<TOutlineStrip, val> MakeStrip(const TEditSession& Session, val Font, val Fields) {
    if (Font.isNull() || Font.isUndefined()) return Error("Choose an outline font.");
    try {
        TOutlineJob job = JobOf(Session, Fields);
        job.Request.CodePage = job.Page ? &*job.Page : nullptr;
        TBrowserFont source(std::move(Font));
        return MakeOutlineStrip(source, job.Request, job.Colors);
    } catch (const TRefusal& e) {
        return Error(e.Text);
    } catch (const EFontError& e) {
        return Error(Field(Fields, "file") + ": " + e.what());
    }
}

std::string Index(std::uint8_t I) { return std::to_string(I); }

std::string RgbText(TRgb C) {
    return std::to_string(C.R) + "," + std::to_string(C.G) + "," + std::to_string(C.B);
}

}  // namespace

val TPage::OutlineStart() const {
    val out = val::object();
    std::vector<std::uint16_t> codes;
    for (const TCharEntry& e : session_.Font().Table()) codes.push_back(e.Code);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    out.set("chars", codes.empty() ? std::string("32-126") : FormatCharList(codes));
    // As the window's colour fields start.
    const TPalette& palette = session_.Palette();
    const bool eight = Bits() == 8;
    const auto color = [&](TRgb C) {
        return eight ? Index(NearestPaletteEntry(palette, C)) : RgbText(C);
    };
    out.set("color", eight ? Index(BrightestEntry(palette)) : RgbText({255, 255, 255}));
    out.set("background", eight ? Index(DarkestEntry(palette)) : RgbText({0, 0, 0}));
    out.set("outlineColor", color({96, 96, 96}));
    out.set("shadowColor", color({48, 48, 48}));
    const std::span<const TCommandField> shadow = CommandOf("shadow").Fields;
    out.set("right", int(shadow[0].Value));
    out.set("down", int(shadow[1].Value));
    out.set("eight", eight);
    return out;
}

std::string TPage::OutlineRefusal(const std::string& Name) const {
    return Name + " is not a font the browser can open";
}

val TPage::OutlinePreview(val Font, val Fields) {
    return Guarded([&] {
        auto made = MakeStrip(session_, std::move(Font), Fields);
        if (auto* why = std::get_if<val>(&made)) return *why;
        const TOutlineStrip& strip = std::get<TOutlineStrip>(made);
        const TSftFont& font = session_.Font().Font();
        const std::size_t step = std::size_t(font.BitsPerPixel() / 8);
        Bytes rgba(std::size_t(strip.Width) * std::size_t(strip.Height) * 4);
        for (std::size_t i = 0; i < rgba.size() / 4; ++i) {
            const std::uint16_t v =
                step == 1 ? strip.Pixels[i]
                          : std::uint16_t(strip.Pixels[2 * i] | strip.Pixels[2 * i + 1] << 8);
            const TRgb c = ValueColor(font.BitsPerPixel(), session_.Palette(), v);
            rgba[4 * i] = c.R, rgba[4 * i + 1] = c.G, rgba[4 * i + 2] = c.B, rgba[4 * i + 3] = 255;
        }
        val out = val::object();
        out.set("status", OutlineStripText(strip, strip.Added && Fields["matchSize"].as<bool>()));
        out.set("width", strip.Width);
        out.set("height", strip.Height);
        out.set("rgba", ByteArray(rgba));
        return out;
    });
}

val TPage::NewFromOutline(val Font, val Fields) {
    return Guarded([&] {
        auto made = MakeStrip(session_, std::move(Font), Fields);
        if (auto* why = std::get_if<val>(&made)) return *why;
        TOutlineStrip& strip = std::get<TOutlineStrip>(made);
        if (strip.Added)
            return Report(session_.Append(strip.Width, std::move(strip.Pixels), strip.Table));
        TEditedFont font = session_.Font();
        font.ReplaceStrip(strip.Width, strip.Height, std::move(strip.Pixels));
        font.SetTable(std::move(strip.Table));
        return Report(session_.Replace(std::move(font), 0, "New Font from Outline Font"));
    });
}

// ttf2sft: makes a font from an outline font (TrueType, OpenType) rendered by
// FreeType, with the depth, headers, height and codes of a font it replaces.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "base/fileio.h"
#include "cli.h"
#include "edit/charedit.h"
#include "font/editfont.h"
#include "image/palette.h"
#include "makers/accents.h"
#include "makers/fontlook.h"
#include "outline.h"
#include "text/charcode.h"
#include "text/decompose.h"

namespace {

const std::string kUsage =
    "Usage: ttf2sft --font FONT --ttf OUTLINE [options] -o OUT\n"
    "       ttf2sft --font FONT --add --accents [--ttf OUTLINE] [options] -o OUT\n"
    "Makes a font (.SFT) from an outline font (TrueType, OpenType) or a bitmap font\n"
    "(BDF, PCF, FNT, OTB), whose pixels are copied as they are.\n"
    "\n"
    "Options:\n"
    "  --font FILE         take the depth, headers, height and codes of this font\n"
    "  --ttf FILE          the other font: any font FreeType opens\n"
    "  -o FILE             the font to write (required)\n"
    "  --face N            the face of a font collection (default 0)\n"
    "  --add               keep the font's glyphs and rows, and add the characters it\n"
    "                      lacks at its strip's end (codes it has are skipped), on\n"
    "                      its baseline\n"
    "  --accents           with --add: build what the font's own letters and marks\n"
    "                      make, as Build Accented Characters does; only the rest\n"
    "                      is rendered from --ttf (without it, left out)\n"
    "  --size PX|match     the pixel size (default: the largest that fits the height);\n"
    "                      match: as tall as the font's own H (or x, n, o, 0);\n"
    "                      a bitmap font's: one of the sizes it holds\n"
    "  --height PX         the strip's height (default: the font's; not with --add)\n"
    "  --chars LIST        codes and ranges, as 32-126,160,192-255\n"
    "  --chars-file FILE   every character of a text file (UTF-8, or UTF-16 with its\n"
    "                      byte order mark; a .po's translations only) but line\n"
    "                      breaks (with --chars, the codes of both)\n"
    "  --codepage NAME     what each code stands for: Windows-1250 to -1258,\n"
    "                      ISO-8859-1 to -16, KOI8-R, KOI8-U, CP437, CP850, CP852,\n"
    "                      CP866 (or iconv's names: CP1251, ISO8859-2, ...) or\n"
    "                      Unicode, the default: a code is the code point\n"
    "  --keep-missing      draw the font's missing-glyph shape for codes it lacks\n"
    "                      (they are left out otherwise)\n"
    "  --spacing N         empty columns after each glyph (default 0)\n"
    "  --fit LEFT,RIGHT    each glyph made LEFT + its ink's width + RIGHT columns\n"
    "                      wide (each 0 to 8), as Glyph > Fit Width makes it\n"
    "  --mono              1-bit glyphs, not anti-aliased\n"
    "  --hinting MODE      none, light or full (default light)\n"
    "  --color C|match     the glyphs' colour: R,G,B for a 16-bit font (default\n"
    "                      255,255,255), a palette index for an 8-bit one (default\n"
    "                      the brightest entry); match (with --add): the font's own,\n"
    "                      row by row, over its background\n"
    "  --background C      the same for the background (default 0,0,0 or the\n"
    "                      darkest entry)\n"
    "  --outline C         an outline round each glyph in colour C, as Glyph >\n"
    "                      Outline draws it, in a column and a row of room each side\n"
    "  --shadow C          a shadow of each glyph (and its outline) in colour C\n"
    "  --shadow-offset R,D how far right and down the shadow falls, each -3 to 3,\n"
    "                      not both 0 (default 1,1)\n"
    "  --cmp FILE          an 8-bit font's palette from a .CMP file\n"
    "  --bm FILE           ... or from a .BM game bitmap (default: uicolormap.cmp\n"
    "                      in the current folder)\n" +
    UsageEnd(22, kFontWrittenExit);

struct Options {
    std::string font, ttf, out, chars, charsFile, codepage,
        hinting = "light", color, background, cmp, bm, size, outline, shadow, shadowOffset, fit;
    std::optional<std::pair<int, int>> margins;  // --fit
    int face = 0, height = 0, spacing = 0;
    std::pair<int, int> offset{1, 1};
    bool keepMissing = false, mono = false, charsGiven = false, add = false, accents = false;
    std::vector<std::uint16_t> codes;
    TCodePageMap pageMap;  // Unicode unless --codepage names a single-byte page
    TCodePage page;
};

std::optional<int> ParseArgs(CLI::App& app, int argc, char** argv, Options& o) {
    app.add_option("--font", o.font);
    app.add_option("--ttf", o.ttf);
    app.add_option("-o", o.out);
    app.add_option("--face", o.face)->check(CLI::NonNegativeNumber);
    app.add_flag("--add", o.add);
    app.add_flag("--accents", o.accents);
    app.add_option("--size", o.size)
        ->check(CLI::PositiveNumber | CLI::IsMember({"match"}), "PX|match");
    app.add_option("--height", o.height)->check(CLI::PositiveNumber);
    auto* chars = app.add_option("--chars", o.chars);
    app.add_option("--chars-file", o.charsFile);
    app.add_option("--codepage", o.codepage);
    app.add_flag("--keep-missing", o.keepMissing);
    app.add_option("--spacing", o.spacing)->check(CLI::NonNegativeNumber);
    app.add_option("--fit", o.fit);
    app.add_flag("--mono", o.mono);
    app.add_option("--hinting", o.hinting)->check(CLI::IsMember({"none", "light", "full"}));
    app.add_option("--color", o.color);
    app.add_option("--background", o.background);
    app.add_option("--outline", o.outline);
    app.add_option("--shadow", o.shadow);
    app.add_option("--shadow-offset", o.shadowOffset);
    app.add_option("--bm", o.bm)->excludes(app.add_option("--cmp", o.cmp));
    if (const auto stop = ParseCommandLine(app, argc, argv, kUsage)) return stop;
    if (o.font.empty())
        return UsageError(app, "give the font to take the headers from with --font", kUsage);
    if (o.accents && !o.add)
        return UsageError(app, "--accents without --add: it builds what the font lacks", kUsage);
    if (o.ttf.empty() && !o.accents)
        return UsageError(app, "give the outline font with --ttf", kUsage);
    if (o.out.empty()) return UsageError(app, "give the font to write with -o", kUsage);
    if (o.add && o.height)
        return UsageError(app, "--height with --add: the font keeps its strip's height", kUsage);
    if (!o.add && (o.size == "match" || o.color == "match"))
        return UsageError(app, "match is for --add: it matches the font added to", kUsage);
    if (const auto stop =
            OutIsAnInput(app, o.out, {o.font, o.ttf, o.charsFile, o.cmp, o.bm}, kUsage))
        return stop;
    try {
        o.charsGiven = chars->count() > 0;
        if (o.charsGiven) o.codes = ParseCharList(o.chars);
    } catch (const EFontError& e) {
        return UsageError(app, std::string("--chars: ") + e.what(), kUsage);
    }
    if (!o.shadowOffset.empty()) {
        if (o.shadow.empty())
            return UsageError(app, "--shadow-offset without --shadow: give the shadow's colour",
                              kUsage);
        try {
            o.offset = ParseShadowOffset(o.shadowOffset);
        } catch (const EFontError& e) {
            return UsageError(app, std::string("--shadow-offset: ") + e.what(), kUsage);
        }
    }
    try {
        if (!o.fit.empty()) o.margins = ParseFitMargins(o.fit);
    } catch (const EFontError& e) {
        return UsageError(app, std::string("--fit: ") + e.what(), kUsage);
    }
    try {
        if (!o.codepage.empty()) o.pageMap = CodePageNamed(o.codepage);
        if (!o.pageMap.Unicode()) o.page = LoadCodePage(o.codepage);
    } catch (const EFontError& e) {
        return UsageError(app, std::string("--codepage: ") + e.what(), kUsage);
    }
    return std::nullopt;
}

// A usage error found once the font's depth is known.
struct Misuse {
    std::string what;
};

TPalette PaletteOf(const Options& o) {
    const bool bm = !o.bm.empty();
    const std::string file = bm ? o.bm : o.cmp.empty() ? "uicolormap.cmp" : o.cmp;
    if (o.bm.empty() && o.cmp.empty() && !RegularFileExists(file))
        throw TRefusal{file, "not found! (an 8-bit font needs a palette: give --cmp or --bm)"};
    return LoadPaletteFile(file, bm);
}

TCoverageColors ColorsOf(const Options& o, int bpp) {
    if (o.color == "match") return TCoverageColors{bpp, {}};  // the font's own take their place
    try {
        if (bpp == 16)
            return CoverageColors16(o.color.empty() ? TRgb{255, 255, 255} : ParseRgb(o.color),
                                    o.background.empty() ? TRgb{} : ParseRgb(o.background));
    } catch (const EFontError& e) {
        throw Misuse{std::string("a 16-bit font's colours: ") + e.what()};
    }
    std::optional<std::uint8_t> color, background;
    try {
        if (!o.color.empty()) color = ParsePaletteIndex(o.color);
        if (!o.background.empty()) background = ParsePaletteIndex(o.background);
    } catch (const EFontError& e) {
        throw Misuse{std::string("an 8-bit font's colours: ") + e.what()};
    }
    const TPalette palette = PaletteOf(o);
    return CoverageColors8(palette, color.value_or(BrightestEntry(palette)),
                           background.value_or(DarkestEntry(palette)));
}

// The outline's and the shadow's colours, as --color takes them.
TGlyphEffects EffectsOf(const Options& o, int bpp) {
    TGlyphEffects effects;
    const auto value = [bpp](const std::string& text, const char* option) -> std::uint16_t {
        try {
            if (bpp == 16) return To565(ParseRgb(text));
            return ParsePaletteIndex(text);
        } catch (const EFontError& e) {
            throw Misuse{std::string(option) + ": " + (bpp == 16 ? "a 16" : "an 8") +
                         "-bit font's colour: " + e.what()};
        }
    };
    if ((effects.Outline = !o.outline.empty()))
        effects.OutlineColor = value(o.outline, "--outline");
    if ((effects.Shadow = !o.shadow.empty())) effects.ShadowColor = value(o.shadow, "--shadow");
    std::tie(effects.Right, effects.Down) = o.offset;
    return effects;
}

std::string Plural(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

void Report(const Options& o, const TOutlineStrip& strip) {
    const char* fate = o.keepMissing ? "drawn as the missing-glyph shape" : "left out";
    if (!strip.Unencodable.empty()) {
        std::string list;
        for (char32_t c : strip.Unencodable) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
            list += (list.empty() ? "" : ", ") + std::string(buf);
        }
        std::cerr << o.charsFile << ": " << Plural(strip.Unencodable.size(), "character")
                  << " without a code" << (o.codepage.empty() ? "" : " in " + o.codepage)
                  << ", left out: " << list << "\n";
    }
    if (!strip.Undefined.empty())
        std::cerr << o.ttf << ": " << o.codepage << " leaves "
                  << Plural(strip.Undefined.size(), "code") << " undefined, " << fate << ": "
                  << FormatCharList(strip.Undefined) << "\n";
    if (o.size == "match" && !strip.MatchedLetter)
        std::cerr << o.font
                  << ": none of H, x, n, o, 0 is in both fonts: the largest size that fits\n";
    if (!strip.Skipped.empty())
        std::cerr << o.font << ": " << Plural(strip.Skipped.size(), "code")
                  << " in the font already, skipped: " << FormatCharList(strip.Skipped) << "\n";
    if (!strip.Missing.empty())
        std::cerr << o.ttf << ": no glyph for " << Plural(strip.Missing.size(), "code") << ", "
                  << fate << ": " << FormatCharList(strip.Missing) << "\n";
    if (o.add && !strip.OnBaseline && !strip.Table.empty())
        std::cerr << o.font
                  << ": no letter to find the baseline from: the new letters stand at the "
                     "outline font's ascender\n";
    for (const TRowsCut& cut : strip.Cut) std::cerr << RowsCutText(cut) << "\n";
    if (strip.ClippedPixels)
        std::cerr << o.ttf << ": note: " << Plural(strip.ClippedPixels, "pixel") << " of "
                  << Plural(strip.ClippedGlyphs, "glyph")
                  << " fell outside their cells or the strip and were clipped\n";
}

// The glyphs of two strips as high as each other, side by side in code order.
struct TMerged {
    std::int32_t Width = 0;
    Bytes Pixels;
    std::vector<TCharEntry> Table;
};
TMerged Merge(const TAccentPlan& Built, const TOutlineStrip& Drawn, int Bpp, std::int32_t Height) {
    struct Piece {
        const TCharEntry* Row;
        const Bytes* Pixels;
        std::int32_t StripWidth, End;
    };
    std::vector<Piece> pieces;
    const auto add = [&](const std::vector<TCharEntry>& Rows, const Bytes& Pixels, std::int32_t W) {
        for (std::size_t i = 0; i < Rows.size(); ++i)
            pieces.push_back({&Rows[i], &Pixels, W, i + 1 < Rows.size() ? Rows[i + 1].X : W});
    };
    add(Built.Rows, Built.Pixels, Built.Width);
    add(Drawn.Table, Drawn.Pixels, Drawn.Width);
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.Row->Code < b.Row->Code; });
    TMerged out;
    out.Width = Built.Width + Drawn.Width;
    const std::size_t bpp = std::size_t(Bpp / 8), row = std::size_t(out.Width) * bpp;
    out.Pixels.resize(row * std::size_t(Height));
    std::int32_t x = 0;
    for (const Piece& p : pieces) {
        const std::size_t n = std::size_t(p.End - p.Row->X) * bpp;
        for (std::size_t y = 0; y < std::size_t(Height); ++y)
            std::copy_n(
                p.Pixels->data() + (y * std::size_t(p.StripWidth) + std::size_t(p.Row->X)) * bpp, n,
                out.Pixels.data() + y * row + std::size_t(x) * bpp);
        out.Table.push_back({p.Row->Code, x, p.Row->Extra});
        x += p.End - p.Row->X;
    }
    return out;
}

// --accents: what the font's own letters and marks make of the codes asked
// for, by Build Accented Characters' rules; those codes are then Made.
TAccentPlan BuildAccents(const Options& o, const TEditedFont& Font, TOutlineRequest& Request) {
    TOutlineStrip asked;
    std::vector<TAccentRequest> requests;
    for (std::uint16_t code : RequestedCodes(Request, asked))
        if (const std::optional<char32_t> ch = o.pageMap.CharOf(code))
            requests.push_back({*ch, Decomposition(*ch)});
    TAccentPlan plan;
    try {
        plan = PlanAccentedIn(Font, o.pageMap, StripBackground(ReadOnlyGrid(Font.Font())),
                              std::move(requests));
    } catch (const EFontError& e) {
        throw TRefusal{o.out, e.what()};
    }
    for (const TCharEntry& row : plan.Rows) Request.Made.push_back(row.Code);
    return plan;
}

// --fit on every glyph of Font, on Background.
void Fit(const Options& o, TEditedFont& Font, std::uint16_t Background) {
    if (!o.margins) return;
    std::vector<int> rows(Font.Table().size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = int(i);
    FitGlyphWidths(Font, rows, o.margins->first, o.margins->second, Background);
}

// A font of bitmaps has the sizes it holds and no other.
void RefuseMissingSize(const Options& o, const TOutlineFace& Face, int Size) {
    const std::vector<int> sizes = Face.FixedSizes();
    if (!Size || Face.Scalable() || std::find(sizes.begin(), sizes.end(), Size) != sizes.end())
        return;
    std::string list;
    for (int s : sizes) list += (list.empty() ? "" : ", ") + std::to_string(s);
    throw Misuse{o.ttf + " has sizes " + list + "; --size " + std::to_string(Size) +
                 " is not one of them"};
}

int Run(const Options& o) {
    TEditedFont font = LoadFontFile(o.font);
    const bool render = !o.ttf.empty();
    const TGlyphEffects effects = EffectsOf(o, font.BitsPerPixel());
    const TCoverageColors colors = render ? ColorsOf(o, font.BitsPerPixel()) : TCoverageColors{};

    TOutlineRequest request;
    request.Codes = o.codes;
    if (!o.charsFile.empty()) request.Characters = ReadTextOf(o.charsFile).All;
    if (!o.charsGiven && o.charsFile.empty()) {
        if (font.Table().empty())
            throw TRefusal{o.font, "it holds no characters: give --chars or --chars-file"};
        for (const TCharEntry& e : font.Table()) request.Codes.push_back(e.Code);
    }
    request.CodePage = o.pageMap.Unicode() ? nullptr : &o.page;
    request.KeepMissing = o.keepMissing;
    request.Height = o.height ? o.height : font.Font().Height;
    request.Size = o.size.empty() || o.size == "match" ? 0 : std::stoi(o.size);
    if (request.Height == 0 && o.size.empty())
        throw TRefusal{o.font, "its strip is 0 pixels high: give --height or --size"};
    request.Spacing = o.spacing;
    request.Effects = effects;
    request.Mode.Mono = o.mono;
    request.Mode.Hinting = o.hinting == "none"   ? THinting::None
                           : o.hinting == "full" ? THinting::Full
                                                 : THinting::Light;
    std::optional<TPalette> palette;
    if (o.add) {
        request.AddTo = &font;
        request.MatchSize = o.size == "match";
        request.MatchColors = o.color == "match";
        if (request.MatchColors && font.BitsPerPixel() == 8)
            request.Palette = &palette.emplace(PaletteOf(o));
    }

    TAccentPlan built;
    if (o.accents) built = BuildAccents(o, font, request);
    TOutlineStrip strip;
    if (!render) {
        const std::vector<std::uint16_t> left = RequestedCodes(request, strip);
        Report(o, strip);
        if (built.Rows.empty())
            throw TRefusal{o.font, left.empty() && !strip.Skipped.empty()
                                       ? "the font has every code asked for already"
                                       : "none of the characters asked for can be built of its "
                                         "own letters and marks: give --ttf"};
        if (!built.Refused.empty())
            std::cerr << o.font << ": " << NotBuiltText(built.Refused) << "\n";
    } else if (TOutlineStrip asked; built.Rows.empty() || !RequestedCodes(request, asked).empty()) {
        try {
            TOutlineFace face(o.ttf, o.face);
            RefuseMissingSize(o, face, request.Size);
            strip = MakeOutlineStrip(face, request, colors);
        } catch (const EStripTooLarge& e) {
            throw TRefusal{o.out, e.what()};
        } catch (const EFontError& e) {
            // What was built is still added.
            if (built.Rows.empty()) throw TRefusal{o.ttf, e.what()};
            std::cerr << o.ttf << ": " << e.what() << "\n";
        }
        Report(o, strip);
    }
    try {
        if (o.add) {
            TMerged m = Merge(built, strip, font.BitsPerPixel(), font.Font().Height);
            // The glyphs added are fitted on their own, on the background they
            // were drawn on.
            TEditedFont added = font;
            added.ReplaceStrip(m.Width, font.Font().Height, std::move(m.Pixels));
            added.SetTable(std::move(m.Table));
            Fit(o, added, StripBackground(ReadOnlyGrid(added.Font())));
            const SharedBytes& pixels = added.Font().Pixels;
            return SaveAppended(font, added.Font().Width, ByteSpan(pixels.data(), pixels.size()),
                                added.Table(), o.out),
                   0;
        }
        font.ReplaceStrip(strip.Width, strip.Height, std::move(strip.Pixels));
        font.SetTable(std::move(strip.Table));
        Fit(o, font, StripBackground(ReadOnlyGrid(font.Font())));
        font.Save(o.out);
    } catch (const std::exception& e) {
        throw TRefusal{o.out, e.what()};
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app("", "ttf2sft");
    if (const auto stop = ParseArgs(app, argc, argv, o)) return *stop;
    return RunRefusing(
        [&] {
            try {
                return Run(o);
            } catch (const Misuse& m) {
                return UsageError(app, m.what, kUsage);
            }
        },
        o.ttf);
}

// bmp2sft: makes a font from a picture of its strip, with the table and the
// headers of a font or of sft2bmp's JSON.
#include <iostream>
#include <optional>
#include <string>

#include "base/fileio.h"
#include "cli.h"
#include "font/editfont.h"
#include "fontjson.h"
#include "image/colorrules.h"
#include "image/palette.h"
#include "imagefile.h"

namespace {

const std::string kUsage =
    "Usage: bmp2sft (--font FONT | --table JSON) [options] -o OUT PICTURE\n"
    "Makes a font (.SFT) from a picture (BMP or PNG) of its glyph strip.\n"
    "\n"
    "Options:\n"
    "  --font FILE   take the depth, headers and character table of this font\n"
    "  --table FILE  take the table (and depth and headers, when it has them)\n"
    "                from sft2bmp --json; with --font, it replaces the font's table\n"
    "  -o FILE       the font to write (required)\n"
    "  --cmp FILE    match an 8-bit font's colours to the palette of a .CMP file\n"
    "  --bm FILE     ... or of a .BM game bitmap (an indexed picture is otherwise\n"
    "                taken as it stands)\n"
    "  --nearest     take the nearest palette colour for colours it lacks\n" +
    UsageEnd(16, kFontWrittenExit);

struct Options {
    std::string font, table, out, picture, cmp, bm;
    bool nearest = false;
};

std::optional<int> ParseArgs(int argc, char** argv, Options& o) {
    CLI::App app("", "bmp2sft");
    app.add_option("--font", o.font);
    app.add_option("--table", o.table);
    app.add_option("-o", o.out);
    app.add_option("--bm", o.bm)->excludes(app.add_option("--cmp", o.cmp));
    app.add_flag("--nearest", o.nearest);
    app.add_option("PICTURE", o.picture);
    if (const auto stop = ParseCommandLine(app, argc, argv, kUsage)) return stop;
    if (o.font.empty() && o.table.empty()) return UsageError(app, "give --font or --table", kUsage);
    if (o.out.empty()) return UsageError(app, "give the font to write with -o", kUsage);
    if (o.picture.empty()) return UsageError(app, "no picture given", kUsage);
    return OutIsAnInput(app, o.out, {o.font, o.table, o.picture, o.cmp, o.bm}, kUsage);
}

TEditedFont FontAndTable(const Options& o) {
    // The font's own strip is replaced, so only its headers and table are read.
    TEditedFont font = o.font.empty() ? TEditedFont() : LoadFontFile(o.font, false);
    if (o.table.empty()) return font;
    try {
        TTableFile table = ParseTableJson(ReadTextFile(o.table));
        if (o.font.empty()) {
            if (!table.BitsPerPixel)
                throw EFontError("no bits_per_pixel: give --font, or a table from sft2bmp --json");
            std::array<std::uint8_t, 40> header{'S', 'F', 'N', 'T'};
            font = TEditedFont::FromHeaders(
                *table.BitsPerPixel, table.Header.value_or(header),
                table.StripHeader.value_or(std::array<std::uint8_t, 128>{}));
        }
        font.SetTable(std::move(table.Table));
    } catch (const EFontError& e) {
        throw TRefusal{o.table, e.what()};
    }
    return font;
}

std::optional<TPalette> PaletteOf(const Options& o) {
    if (o.cmp.empty() && o.bm.empty()) return std::nullopt;
    return o.bm.empty() ? LoadPaletteFile(o.cmp, false) : LoadPaletteFile(o.bm, true);
}

int Run(const Options& o) {
    TEditedFont font = FontAndTable(o);
    const std::optional<TPalette> palette = PaletteOf(o);
    const bool sixteen = font.BitsPerPixel() == 16;
    // Rows go straight into the font's pixels as they are decoded.
    TStripMaker strip(font.BitsPerPixel(), palette ? &*palette : nullptr, o.nearest);
    TFontPixels pixels;
    try {
        LoadImageRows(o.picture, strip);
        if (!sixteen && !strip.Form().Indexed && !palette)
            throw EFontError(
                "the picture has colours, not palette indices: give the palette to match "
                "them with --cmp FILE or --bm FILE");
        pixels = strip.Finish();
        font.ReplaceStrip(strip.Form().Width, strip.Form().Height, std::move(pixels.Pixels));
    } catch (const EColorsNotInPalette& e) {
        throw TRefusal{o.picture, std::string(e.what()) + " (--nearest takes the nearest)"};
    } catch (const EFontError& e) {
        throw TRefusal{o.picture, e.what()};
    }
    try {
        font.Save(o.out);
    } catch (const std::exception& e) {
        throw TRefusal{o.out, e.what()};
    }
    if (pixels.Changed)
        std::cerr << o.picture << ": note: " << pixels.Changed
                  << (sixteen ? " pixels lost bits to 5-6-5 colour"
                              : " pixels moved to the nearest palette colour")
                  << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (const auto stop = ParseArgs(argc, argv, o)) return *stop;
    return RunRefusing([&] { return Run(o); }, o.picture);
}

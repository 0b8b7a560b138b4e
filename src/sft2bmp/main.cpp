// sft2bmp: converts fonts to the BMP files the viewer's Save as BMP writes,
// or prints their character tables.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/fileio.h"
#include "cli.h"
#include "font/font.h"
#include "font/textlayout.h"
#include "fontjson.h"
#include "image/palette.h"
#include "picture/export.h"
#include "picture/picture.h"
#include "text/charcode.h"

namespace {

const std::string kUsage =
    "Usage: sft2bmp [options] FONT...\n"
    "Converts each font (.SFT) to a Windows BMP file named after it.\n"
    "\n"
    "Options:\n"
    "  -o DIR            write the BMP files into DIR (default: the current folder)\n"
    "  --cmp FILE        draw 8-bit fonts through the palette of a .CMP colour map\n"
    "  --bm FILE         draw 8-bit fonts through the palette of a .BM game bitmap\n"
    "                    (default: uicolormap.cmp in the current folder)\n"
    "  --text TEXT       draw TEXT in each font instead of its strip: its lines one\n"
    "                    under the other, as wide as the widest\n"
    "  --text-file FILE  the same for a text file's lines (UTF-8, or UTF-16 with its\n"
    "                    byte order mark; of a .po its translations)\n"
    "  --codepage NAME   what the fonts' codes stand for, for --text: Windows-1250\n"
    "                    to -1258, ISO-8859-1 to -16, KOI8-R, KOI8-U, CP437, CP850,\n"
    "                    CP852, CP866 (or iconv's names) or Unicode, the default\n"
    "  --info            print each font's information and character table instead\n"
    "  --json            the same as JSON\n" +
    UsageEnd(20,
             "Exit status: 0 when every font was done, 1 when any was refused, 2 for a\n"
             "usage error.\n");

enum class Mode { Convert, Info, Json };

struct Options {
    Mode mode = Mode::Convert;
    std::string outDir;
    std::string paletteFile;
    bool paletteIsBM = false;
    bool paletteGiven = false;
    std::vector<std::string> fonts;
    bool drawText = false;
    std::vector<std::u32string> lines;  // --text's or --text-file's
    TCodePageMap page;
};

// Returns the exit code to stop with, or nothing to go on.
std::optional<int> ParseArgs(int argc, char** argv, Options& o) {
    CLI::App app("", "sft2bmp");
    std::string cmp, bm;
    bool info = false, json = false;
    std::string text, textFile, codepage;
    const auto notEmpty = [](const std::string& v) {
        return v.empty() ? std::string("needs a value") : std::string();
    };
    app.add_option("-o", o.outDir)->check(notEmpty);
    auto* cmpOption = app.add_option("--cmp", cmp)->check(notEmpty);
    app.add_option("--bm", bm)->check(notEmpty)->excludes(cmpOption);
    auto* infoOption = app.add_flag("--info", info);
    auto* jsonOption = app.add_flag("--json", json)->excludes(infoOption);
    auto* textOption = app.add_option("--text", text);
    textOption->excludes(app.add_option("--text-file", textFile)->check(notEmpty))
        ->excludes(infoOption)
        ->excludes(jsonOption);
    app.get_option("--text-file")->excludes(infoOption)->excludes(jsonOption);
    app.add_option("--codepage", codepage)->check(notEmpty);
    app.add_option("FONT", o.fonts);
    if (const auto stop = ParseCommandLine(app, argc, argv, kUsage)) return stop;
    if (o.fonts.empty()) return UsageError(app, "no font given", kUsage);
    o.mode = info ? Mode::Info : json ? Mode::Json : Mode::Convert;
    o.paletteGiven = !cmp.empty() || !bm.empty();
    o.paletteIsBM = !bm.empty();
    o.paletteFile = o.paletteIsBM ? bm : cmp;
    o.drawText = app.count("--text") > 0 || !textFile.empty();
    if (!codepage.empty() && !o.drawText)
        return UsageError(app, "--codepage is for --text and --text-file", kUsage);
    try {
        if (!codepage.empty()) o.page = CodePageNamed(codepage);
    } catch (const EFontError& e) {
        return UsageError(app, std::string("--codepage: ") + e.what(), kUsage);
    }
    try {
        if (app.count("--text") > 0) o.lines = SplitLines(DecodeUtf8(text));
    } catch (const EFontError& e) {
        return UsageError(app, std::string("--text: ") + e.what(), kUsage);
    }
    if (!textFile.empty()) {
        try {
            // A translation's own line breaks split it as the game shows it.
            const TText read = ReadTextOf(textFile);
            for (const TTextLine& line : read.Lines)
                for (std::u32string& one : SplitLines(read.Text(line)))
                    o.lines.push_back(std::move(one));
        } catch (const TRefusal& r) {
            return Refuse(r.Path, r.Why);
        }
        if (o.lines.empty()) return Refuse(textFile, "it holds no text to draw");
    }
    return std::nullopt;
}

// The palette for 8-bit fonts, read once, when the first 8-bit font needs it.
class PaletteSource {
public:
    explicit PaletteSource(const Options& o) : o_(o) {}

    // The palette, or nullptr with why set to the reason there is none.
    const TPalette* Get(std::string& why) {
        if (!tried_) {
            tried_ = true;
            Load();
        }
        why = why_;
        return ok_ ? &palette_ : nullptr;
    }

private:
    void Load() {
        std::string file = o_.paletteFile;
        if (!o_.paletteGiven) {
            file = "uicolormap.cmp";
            if (!RegularFileExists(file)) {
                why_ =
                    "no palette for an 8-bit font: uicolormap.cmp not found! (give --cmp or --bm)";
                return;
            }
        }
        try {
            palette_ = LoadPaletteFile(file, o_.paletteIsBM);
            ok_ = true;
        } catch (const TRefusal& r) {
            why_ = "no palette for an 8-bit font: " + r.Path + ": " + r.Why;
        }
    }

    const Options& o_;
    bool tried_ = false;
    bool ok_ = false;
    TPalette palette_{};
    std::string why_;
};

std::string InfoLines(const TSftFont& font) {
    const char* depth = font.BitsPerPixel() == 8 ? "8-bit font" : "16-bit font";
    return std::string(depth) + "\n" + std::to_string(font.CharCount) + " characters\n";
}

class Progress {
public:
    explicit Progress(std::size_t total)
        : on_(total > 1 && ::isatty(STDERR_FILENO)), total_(total) {}
    void Step(std::size_t done, const std::string& name) {
        if (!on_) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done, total_, name.c_str());
        std::fflush(stderr);
        shown_ = true;
    }
    void Message(const std::string& line) {
        if (shown_) std::fputs("\r\033[K", stderr);
        std::fprintf(stderr, "%s\n", line.c_str());
        shown_ = false;
    }
    ~Progress() {
        if (shown_) std::fputs("\r\033[K", stderr);
    }

private:
    bool on_;
    std::size_t total_;
    bool shown_ = false;
};

// The font's picture of the text, written as its strip would be; false
// when refused.
template <class Refuser>
bool DrawText(const Options& o, const std::string& path, PaletteSource& palettes,
              const std::string& outDir, std::map<std::string, std::string>& written,
              const Refuser& refuse) {
    TEditedFont font;
    try {
        font = LoadFontFile(path);
    } catch (const TRefusal& r) {
        refuse(r.Why);
        return false;
    }
    const TPalette* palette = nullptr;
    if (font.BitsPerPixel() == 8) {
        std::string why;
        if (!(palette = palettes.Get(why))) return refuse(why), false;
    }
    const TTextLayout layout(TStripGeometry(font.Table(), font.Font().Width), o.page);
    const TPixelStrip<Bytes> picture = TextPicture(font.Font(), layout, o.lines);
    const TBmpRows rows(font.BitsPerPixel(),
                        TStrip{picture.Width, picture.Height, ByteSpan(picture.Pixels)},
                        palette ? *palette : TPalette{});
    const std::string target = outDir + ProposedExportName(path, "");
    const auto [earlier, fresh] = written.emplace(target, path);
    if (!fresh) return refuse(target + " was already written from " + earlier->second), false;
    SaveBmpRows(rows, target, Durability::Unsynced);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (const auto stop = ParseArgs(argc, argv, o)) return *stop;
    // Interrupted mid-batch, the finished files stay.
    StopCleanlyOnSignals();

    std::string outDir = o.outDir;
    if (!outDir.empty() && outDir.back() != '/') outDir += '/';

    PaletteSource palettes(o);
    Progress progress(o.mode == Mode::Convert ? o.fonts.size() : 0);
    nlohmann::json json = nlohmann::json::array();
    bool anyRefused = false;
    std::vector<TCharEntry> table(256);
    std::map<std::string, std::string> written;  // output file -> font

    for (std::size_t i = 0; i < o.fonts.size(); ++i) {
        const std::string& path = o.fonts[i];
        progress.Step(i + 1, path);
        auto refuse = [&](const std::string& why) {
            progress.Message(path + ": " + why);
            anyRefused = true;
        };
        try {
            if (o.drawText) {
                DrawText(o, path, palettes, outDir, written, refuse);
                continue;
            }
            // The strip is read a few rows at a time as the picture is written.
            TSftFont font;
            ReadOnlyFile file;
            if (!file.Open(path) || !ReadSFTHead(file, font, table, 255)) {
                const std::string why = WhyNotReadable(path);
                refuse(why.empty() ? "Invalid SFT file!" : why);
                continue;
            }
            if (o.mode == Mode::Info) {
                std::cout << path << "\n" << InfoLines(font) << "code\tx\textra\n";
                for (std::int32_t r = 0; r < font.CharCount; ++r) {
                    const TCharEntry& e = table[std::size_t(r)];
                    std::cout << e.Code << "\t" << e.X << "\t" << e.Extra << "\n";
                }
                continue;
            }
            if (o.mode == Mode::Json) {
                json.push_back(FontJson(
                    path, font,
                    std::vector<TCharEntry>(table.begin(), table.begin() + font.CharCount)));
                continue;
            }

            const TPalette* palette = nullptr;
            if (font.BitsPerPixel() == 8) {
                std::string why;
                palette = palettes.Get(why);
                if (!palette) {
                    refuse(why);
                    continue;
                }
            }
            const TBmpRows rows(font.BitsPerPixel(), font.Width, font.Height,
                                palette ? *palette : TPalette{});
            // Fonts of one name from different folders would overwrite each other.
            const std::string target = outDir + ProposedExportName(path, "");
            const auto [earlier, fresh] = written.emplace(target, path);
            if (!fresh) {
                refuse(target + " was already written from " + earlier->second);
                continue;
            }
            SaveBmpFromFile(rows, file, file.Size() - file.Left(), target, Durability::Unsynced);
        } catch (const std::bad_alloc&) {
            refuse("Out of memory");
        } catch (const std::exception& e) {
            refuse(e.what());
        }
    }
    if (o.mode == Mode::Json)  // A path that is not UTF-8 (a Latin-1 name from an old archive) is
                               // written with its bad bytes replaced.
        std::cout << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "sft2bmp: cannot write the output\n";
        return 1;
    }
    return anyRefused ? 1 : 0;
}

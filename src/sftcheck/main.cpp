// sftcheck: which characters of a translation each font lacks, and whether
// Build Accented Characters can make them, before the game shows a gap.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli.h"
#include "font/textlayout.h"
#include "makers/fontlook.h"
#include "makers/textcheck.h"
#include "text/charcode.h"
#include "text/decompose.h"

namespace {

const char* const kUsage =
    "Usage: sftcheck --text FILE [--text FILE ...] [options] FONT...\n"
    "Says which characters of the texts each font (.SFT) lacks.\n"
    "\n"
    "Options:\n"
    "  --text FILE       a text the fonts must show: UTF-8, or UTF-16 with its byte\n"
    "                    order mark; of a gettext file (.po, .pot) its translations\n"
    "                    only. Line breaks, tabs and other control characters don't\n"
    "                    count\n"
    "  --codepage NAME   what the fonts' codes stand for: Windows-1250 to -1258,\n"
    "                    ISO-8859-1 to -16, KOI8-R, KOI8-U, CP437, CP850, CP852,\n"
    "                    CP866 (or iconv's names: CP1251, ISO8859-2, ...) or Unicode,\n"
    "                    the default: a code is the code point\n"
    "  --width PX        also list each line of the texts wider than PX pixels in\n"
    "                    a font, with the file and line where its text begins\n"
    "  --json            for each font its path, the number of characters and each\n"
    "                    missing one, with its code and what can be done: build (of\n"
    "                    the font's own letter and mark), add, or codepage (the code\n"
    "                    page lacks it), and with --width its wide lines\n"
    "  -h, --help        show this text\n"
    "  --version         show the version\n"
    "\n"
    "Exit status: 0 when every font holds every character (and every line fits),\n"
    "1 when a font lacks one, a line is too wide or a file is refused, 2 for a\n"
    "usage error.\n";

struct Options {
    std::vector<std::string> texts, fonts;
    std::string codepage;
    bool json = false;
    std::optional<std::int64_t> width;
    TCodePageMap page;
};

std::optional<int> ParseArgs(int argc, char** argv, CLI::App& app, Options& o) {
    app.add_option("--text", o.texts)->allow_extra_args(false);
    app.add_option("--codepage", o.codepage);
    app.add_option("--width", o.width)->check(CLI::NonNegativeNumber);
    app.add_flag("--json", o.json);
    app.add_option("fonts", o.fonts);
    if (const auto stop = ParseCommandLine(app, argc, argv, kUsage)) return stop;
    if (o.texts.empty()) return UsageError(app, "give the text to check with --text", kUsage);
    if (o.fonts.empty()) return UsageError(app, "give the fonts to check", kUsage);
    try {
        if (!o.codepage.empty()) o.page = CodePageNamed(o.codepage);
    } catch (const EFontError& e) {
        return UsageError(app, std::string("--codepage: ") + e.what(), kUsage);
    }
    return std::nullopt;
}

std::string CodePoint(char32_t C) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", unsigned(C));
    return hex;
}

const char* FixName(TFix Fix) {
    return Fix == TFix::Build ? "build" : Fix == TFix::Add ? "add" : "codepage";
}

std::string Line(const std::string& Path, const TTextCheck& Check) {
    const std::string of =
        std::to_string(Check.Characters) + " character" + (Check.Characters == 1 ? "" : "s");
    if (Check.Missing.empty()) return Path + ": all " + of + " present";
    std::string shown, points;
    for (const TMissingChar& m : Check.Missing) {
        shown += " " + Utf8Of(m.Char);
        points += (points.empty() ? "" : " ") + CodePoint(m.Char);
    }
    return Path + ": " + std::to_string(Check.Missing.size()) + " of " + of + " missing:" + shown +
           " (" + points + ")";
}

// A text file's lines as read.
struct TTextFile {
    std::string Path;
    TText Text;
};

// A line the game shows wider than the limit: where its text begins.
struct TWideLine {
    const std::string* File;
    std::uint32_t Line;
    std::int64_t Width;
    std::u32string_view Text;
};

// The lines the game shows: each text's lines, split at a translation's own
// line breaks; found once, measured in every font.
std::vector<TWideLine> ShownLines(const std::vector<TTextFile>& Files) {
    std::vector<TWideLine> shown;
    for (const TTextFile& f : Files)
        for (const TTextLine& line : f.Text.Lines) {
            const std::u32string_view text = f.Text.Text(line);
            std::size_t at = 0;
            for (std::size_t i = 0; i < text.size(); ++i)
                if (text[i] == '\r' || text[i] == '\n') {
                    shown.push_back({&f.Path, line.Line, 0, text.substr(at, i - at)});
                    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
                    at = i + 1;
                }
            shown.push_back({&f.Path, line.Line, 0, text.substr(at)});
        }
    return shown;
}

// Those of Shown, measured in Measured, wider than Limit in the layout.
std::vector<TWideLine> WideLines(const TTextLayout& Layout, const std::vector<TWideLine>& Shown,
                                 TLineWidths& Measured, std::int64_t Limit) {
    std::vector<TWideLine> wide;
    const std::vector<std::int64_t>& widths = Measured.In(Layout);
    for (std::size_t i = 0; i < Shown.size(); ++i)
        if (widths[i] > Limit)
            wide.push_back({Shown[i].File, Shown[i].Line, widths[i], Shown[i].Text});
    return wide;
}

std::string Utf8(std::u32string_view Text) {
    std::string out;
    for (char32_t c : Text) out += Utf8Of(c);
    return out;
}

std::string WideText(const std::string& Path, const TWideLine& Wide, std::int64_t Limit) {
    return Path + ": " + *Wide.File + ":" + std::to_string(Wide.Line) + ": " +
           std::to_string(Wide.Width) + " pixels wide (limit " + std::to_string(Limit) +
           "): " + Utf8(Wide.Text);
}

nlohmann::ordered_json WideJson(const std::vector<TWideLine>& Wide) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const TWideLine& w : Wide)
        list.push_back(
            {{"file", *w.File}, {"line", w.Line}, {"width", w.Width}, {"text", Utf8(w.Text)}});
    return list;
}

nlohmann::ordered_json Json(const std::string& Path, const TTextCheck& Check) {
    nlohmann::ordered_json missing = nlohmann::ordered_json::array();
    for (const TMissingChar& m : Check.Missing) {
        nlohmann::ordered_json one = {
            {"code_point", std::uint32_t(m.Char)},
            {"code", m.Code ? nlohmann::ordered_json(*m.Code) : nlohmann::ordered_json()},
            {"fix", FixName(m.Fix)}};
        if (m.Fix == TFix::Build) one["from"] = {std::uint32_t(m.Letter), std::uint32_t(m.Mark)};
        missing.push_back(std::move(one));
    }
    return {{"path", Path}, {"characters", Check.Characters}, {"missing", std::move(missing)}};
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    CLI::App app("", "sftcheck");
    if (const auto stop = ParseArgs(argc, argv, app, o)) return *stop;

    std::vector<char32_t> chars;
    std::vector<TTextFile> files;
    for (const std::string& path : o.texts) {
        try {
            TText read = ReadTextOf(path);
            const std::vector<char32_t> more = TextCharacters(read.All);
            std::vector<char32_t> both;
            std::set_union(chars.begin(), chars.end(), more.begin(), more.end(),
                           std::back_inserter(both));
            chars = std::move(both);
            // The lines are kept only to be measured.
            if (o.width) files.push_back({path, std::move(read)});
        } catch (const TRefusal& r) {
            return Refuse(r.Path, r.Why);
        } catch (const std::bad_alloc&) {
            return Refuse(path, "Out of memory");
        }
    }
    const std::vector<TWideLine> shown = ShownLines(files);
    std::vector<std::u32string_view> texts;
    for (const TWideLine& line : shown) texts.push_back(line.Text);
    TLineWidths measured(texts);
    nlohmann::ordered_json json = nlohmann::ordered_json::array();
    bool anyMissing = false;
    for (const std::string& path : o.fonts) {
        try {
            const TEditedFont font = LoadFontFile(path);
            const TTextCheck check = CheckText(font, o.page, chars, Decomposition,
                                               StripBackground(ReadOnlyGrid(font.Font())));
            anyMissing |= !check.Missing.empty();
            std::vector<TWideLine> wide;
            if (o.width)
                wide =
                    WideLines(TTextLayout(TStripGeometry(font.Table(), font.Font().Width), o.page),
                              shown, measured, *o.width);
            anyMissing |= !wide.empty();
            if (o.json) {
                json.push_back(Json(path, check));
                if (o.width) json.back()["wide"] = WideJson(wide);
            } else {
                std::cout << Line(path, check) << "\n";
                for (const TWideLine& w : wide) std::cout << WideText(path, w, *o.width) << "\n";
            }
        } catch (const TRefusal& r) {
            anyMissing = Refuse(r.Path, r.Why) != 0;
        } catch (const std::bad_alloc&) {
            anyMissing = Refuse(path, "Out of memory") != 0;
        } catch (const std::exception& e) {
            anyMissing = Refuse(path, e.what()) != 0;
        }
    }
    if (o.json)  // A path that is not UTF-8 is written with its bad bytes replaced.
        std::cout << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << "\n";
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "sftcheck: cannot write the output\n";
        return 1;
    }
    return anyMissing ? 1 : 0;
}

// sftcheck: which characters of a translation each font lacks, and whether
// Build Accented Characters can make them, before the game shows a gap.
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli.h"
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
    "  --json            for each font its path, the number of characters and each\n"
    "                    missing one, with its code and what can be done: build (of\n"
    "                    the font's own letter and mark), add, or codepage (the code\n"
    "                    page lacks it)\n"
    "  -h, --help        show this text\n"
    "  --version         show the version\n"
    "\n"
    "Exit status: 0 when every font holds every character, 1 when a font lacks one\n"
    "or a file is refused, 2 for a usage error.\n";

struct Options {
    std::vector<std::string> texts, fonts;
    std::string codepage;
    bool json = false;
    TCodePageMap page;
};

std::optional<int> ParseArgs(int argc, char** argv, CLI::App& app, Options& o) {
    app.add_option("--text", o.texts)->allow_extra_args(false);
    app.add_option("--codepage", o.codepage);
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

    std::u32string text;
    for (const std::string& path : o.texts) {
        try {
            if (text.empty())
                text = ReadTextOf(path).All;
            else
                text += ReadTextOf(path).All;
        } catch (const TRefusal& r) {
            return Refuse(r.Path, r.Why);
        } catch (const std::bad_alloc&) {
            return Refuse(path, "Out of memory");
        }
    }
    const std::vector<char32_t> chars = TextCharacters(text);
    nlohmann::ordered_json json = nlohmann::ordered_json::array();
    bool anyMissing = false;
    for (const std::string& path : o.fonts) {
        try {
            const TEditedFont font = LoadFontFile(path);
            const TTextCheck check = CheckText(font, o.page, chars, Decomposition,
                                               StripBackground(ReadOnlyGrid(font.Font())));
            anyMissing |= !check.Missing.empty();
            if (o.json)
                json.push_back(Json(path, check));
            else
                std::cout << Line(path, check) << "\n";
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

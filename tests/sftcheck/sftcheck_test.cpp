// sftcheck over good, short and broken fonts: its lines, its JSON and its
// statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "runtool.h"

namespace {

// A font with a, the space and an ogonek at Ogonek; one of ASCII; one broken;
// a translation of four characters (a ą ł and the space), a text that is not
// UTF-8 and one with a snowman.
struct Folder : TempDir {
    Folder() {
        for (const auto& [name, ogonek] : {std::pair{"uni.sft", 0x2DB}, {"cp.sft", 0xB2}})
            WriteFile(Path(name), FileOf(BoxFont({{' ', {0, 0, 0, 0}},
                                                  {'a', {1, 4, 5, 5}},
                                                  {std::uint16_t(ogonek), {3, 0, 2, 2}}})));
        WriteFile(Path("ascii.sft"), MakeFont(8, 600, 16));
        WriteFile(Path("broken.sft"), {'S', 'F', 'N', 'T', 1});
        const std::string po =
            "msgid \"\"\nmsgstr \"X-Header\\n\"\n\nmsgid \"A\"\nmsgstr \"a\xC4\x85 \xC5\x82\"\n";
        WriteFile(Path("pl.po"), ByteVec(po.begin(), po.end()));
        WriteFile(Path("bad.txt"), {'o', 'k', 0xE9});
        WriteFile(Path("snow.txt"), {0xE2, 0x98, 0x83, 'a', '\n'});
    }
};

ToolResult Check(const Folder& dir, std::vector<std::string> args) {
    return RunTool(SFTCHECK_PATH, dir.Dir(), std::move(args));
}

}  // namespace

TEST(Sftcheck, SaysWhatEachFontLacksAndEndsWithItsStatus) {
    const std::string lacking = " of 4 characters missing: \xC4\x85 \xC5\x82 (U+0105 U+0142)\n";
    const std::vector<std::tuple<std::vector<std::string>, int, std::string, std::string>> cases = {
        {{"--text", "pl.po", "uni.sft", "broken.sft", "ascii.sft"},
         1,
         "uni.sft: 2" + lacking + "ascii.sft: 2" + lacking,
         "broken.sft: Invalid SFT file!\n"},
        {{"--text", "snow.txt", "--codepage", "unicode", "uni.sft"},
         1,
         "uni.sft: 1 of 2 characters missing: \xE2\x98\x83 (U+2603)\n",
         ""},
        {{"--text", "pl.po", "--text", "bad.txt", "uni.sft"},
         1,
         "",
         "bad.txt is not UTF-8 text (byte 0xE9 at offset 2).\n"},
        {{"--text", "none.po", "uni.sft"}, 1, "", "none.po: No such file or directory\n"},
        {{"--text", "snow.txt"}, 2, "", "sftcheck: give the fonts to check\n"},
        {{"uni.sft"}, 2, "", "sftcheck: give the text to check with --text\n"},
        {{"--text", "pl.po", "--codepage", "CP1259", "uni.sft"}, 2, "", "sftcheck: --codepage: no"},
    };
    Folder dir;
    for (const auto& [args, code, out, err] : cases) {
        std::string named;
        for (const std::string& a : args) named += a + ' ';
        SCOPED_TRACE(named);
        const ToolResult r = Check(dir, args);
        EXPECT_EQ(r.code, code);
        EXPECT_EQ(r.out, out);
        EXPECT_EQ(r.err.substr(0, err.size()), err);
    }
    const std::string all = "a b\n";
    WriteFile(dir.Path("ab.txt"), ByteVec(all.begin(), all.end()));
    EXPECT_EQ(Check(dir, {"--text", "ab.txt", "ascii.sft"}).out,
              "ascii.sft: all 3 characters present\n");
    EXPECT_EQ(Check(dir, {"--text", "ab.txt", "ascii.sft"}).code, 0);
}

TEST(Sftcheck, JsonNamesEachCodeAndWhatCanBeDone) {
    Folder dir;
    const ToolResult r = Check(dir, {"--json", "--codepage", "CP1250", "--text", "pl.po", "--text",
                                     "snow.txt", "cp.sft", "uni.sft"});
    EXPECT_EQ(r.code, 1);
    const auto missing = [](std::initializer_list<std::tuple<int, nlohmann::json, const char*>> m) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& [point, code, fix] : m) {
            list.push_back({{"code_point", point}, {"code", code}, {"fix", fix}});
            if (std::string(fix) == "build") list.back()["from"] = {'a', 0x2DB};
        }
        return list;
    };
    const nlohmann::json expected = {
        {{"path", "cp.sft"},
         {"characters", 5},
         {"missing",
          missing({{0x142, 179, "add"}, {0x105, 185, "build"}, {0x2603, nullptr, "codepage"}})}},
        // Its ogonek is at U+02DB, which is no code of Windows-1250.
        {{"path", "uni.sft"},
         {"characters", 5},
         {"missing",
          missing({{0x142, 179, "add"}, {0x105, 185, "add"}, {0x2603, nullptr, "codepage"}})}},
    };
    EXPECT_EQ(nlohmann::json::parse(r.out), expected);
}

// Each glyph is 7 wide; a msgstr's own line break splits it, its lines named
// by the file's line where its text begins.
TEST(Sftcheck, WidthListsTheLinesWiderThanTheLimit) {
    Folder dir;
    const std::string po =
        "msgid \"x\"\nmsgstr \"\"\n\"aaa\"\n\"a\\n\"\n\"a\"\n\nmsgid \"y\"\nmsgstr \"a a\"\n";
    WriteFile(dir.Path("t.po"), ByteVec(po.begin(), po.end()));
    const std::string all = "uni.sft: all 2 characters present\n",
                      aaaa = "uni.sft: t.po:3: 28 pixels wide (limit ";
    for (const auto& [width, code, out] : std::vector<std::tuple<const char*, int, std::string>>{
             {"20", 1, all + aaaa + "20): aaaa\nuni.sft: t.po:8: 21 pixels wide (limit 20): a a\n"},
             {"28", 0, all}}) {
        const ToolResult r = Check(dir, {"--width", width, "--text", "t.po", "uni.sft"});
        EXPECT_EQ(std::make_pair(r.code, r.out), std::make_pair(code, out));
    }
    const ToolResult r = Check(dir, {"--json", "--width", "25", "--text", "t.po", "uni.sft"});
    EXPECT_EQ(
        std::make_pair(r.code, nlohmann::json::parse(r.out)[0]["wide"]),
        std::make_pair(1, nlohmann::json::parse(
                              R"([{"file": "t.po", "line": 3, "width": 28, "text": "aaaa"}])")));
}

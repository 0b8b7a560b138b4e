#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "font.h"
#include "picture.h"
#include "testfiles.h"

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

std::string Slurp(const std::string& path) {
    const ByteVec b = ReadFile(path);
    return std::string(b.begin(), b.end());
}

// Runs sft2bmp in cwd with the given arguments; stdout and stderr go through
// files so that neither pipe can fill up.
Result RunTool(const std::string& cwd, const std::vector<std::string>& args) {
    TempDir io;
    const std::string outPath = io.Path("out"), errPath = io.Path("err");
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(120);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv = {const_cast<char*>(SFT2BMP_PATH)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(SFT2BMP_PATH, argv.data());
        ::_exit(121);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(outPath);
    r.err = Slurp(errPath);
    return r;
}

ByteVec Expected(const ByteVec& fontFile, const TPalette& palette) {
    TSftFont font;
    TCharTable table{};
    SpanSource src(fontFile);
    EXPECT_TRUE(ReadSFT(src, font, table, 255));
    const Bytes img = font.BitsPerPixel() == 8 ? Build8BitImage(StripOf(font), palette)
                                               : Build16BitImage(StripOf(font));
    return ByteVec(img.begin(), img.end());
}

TEST(Sft2bmp, ConvertsLikeTheViewer) {
    const TPalette cmp = PatternPalette(10), bm = PatternPalette(90), fallback = PatternPalette(150);
    const ByteVec font8 = MakeFont(8, 37, 5), font16 = MakeFont(16, 13, 3);
    struct Case {
        const char* name;
        std::vector<std::string> options;
        const ByteVec& font;
        const TPalette* palette;
    };
    const std::vector<Case> cases = {
        {"--cmp", {"--cmp", "pal.cmp"}, font8, &cmp},
        {"--bm", {"--bm", "pal.bm"}, font8, &bm},
        {"default palette", {}, font8, &fallback},
        {"16-bit needs no palette", {}, font16, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteFile(dir.Path("pal.cmp"), MakeCMP(cmp));
        WriteFile(dir.Path("pal.bm"), MakeBM(bm));
        if (c.palette == &fallback) WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(fallback));
        WriteFile(dir.Path("Title.font.sft"), c.font);
        ASSERT_EQ(::mkdir(dir.Path("out").c_str(), 0700), 0);
        WriteFile(dir.Path("out/Title.font.BMP"), ByteVec(10, 1));  // replaced

        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-o", "out", "Title.font.sft"});
        const Result r = RunTool(dir.Dir(), args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadFile(dir.Path("out/Title.font.BMP")), Expected(c.font, c.palette ? *c.palette : TPalette{}));
    }
}

TEST(Sft2bmp, ReportsRefusedFontsAndGoesOn) {
    TempDir dir;
    WriteFile(dir.Path("a.sft"), MakeFont(16, 4, 4));
    WriteFile(dir.Path("bad.sft"), ByteVec{'S', 'F', 'N', 'X'});
    WriteFile(dir.Path("eight.sft"), MakeFont(8, 4, 4));  // no palette anywhere
    WriteFile(dir.Path("z.sft"), MakeFont(16, 2, 2));
    const Result r = RunTool(dir.Dir(), {"a.sft", "bad.sft", "missing.sft", "eight.sft", "z.sft", "-o", "nowhere"});
    EXPECT_EQ(r.code, 1);
    std::vector<std::string> lines;
    std::istringstream in(r.err);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    ASSERT_EQ(lines.size(), 5u) << r.err;
    EXPECT_EQ(lines[0], "a.sft: Cannot create file nowhere/a.BMP");
    EXPECT_EQ(lines[1], "bad.sft: Invalid SFT file!");
    EXPECT_EQ(lines[2], "missing.sft: Invalid SFT file!");
    EXPECT_EQ(lines[3].rfind("eight.sft: no palette for an 8-bit font: uicolormap.cmp not found!", 0), 0u);
    EXPECT_EQ(lines[4], "z.sft: Cannot create file nowhere/z.BMP");

    const Result good = RunTool(dir.Dir(), {"a.sft", "bad.sft", "z.sft"});
    EXPECT_EQ(good.code, 1);
    EXPECT_EQ(ReadFile(dir.Path("a.BMP")), Expected(MakeFont(16, 4, 4), {}));
    EXPECT_EQ(ReadFile(dir.Path("z.BMP")), Expected(MakeFont(16, 2, 2), {}));
    EXPECT_EQ(good.err, "bad.sft: Invalid SFT file!\n");

    ASSERT_EQ(::mkdir(dir.Path("sub").c_str(), 0700), 0);
    WriteFile(dir.Path("sub/a.sft"), MakeFont(16, 9, 9));
    const Result twice = RunTool(dir.Dir(), {"a.sft", "sub/a.sft"});
    EXPECT_EQ(twice.code, 1);
    EXPECT_EQ(twice.err, "sub/a.sft: a.BMP was already written from a.sft\n");
    EXPECT_EQ(ReadFile(dir.Path("a.BMP")), Expected(MakeFont(16, 4, 4), {}));

    WriteFile(dir.Path("broken.cmp"), ByteVec{'C', 'M', 'P'});
    const Result badPalette = RunTool(dir.Dir(), {"--cmp", "broken.cmp", "eight.sft"});
    EXPECT_EQ(badPalette.code, 1);
    EXPECT_EQ(badPalette.err, "eight.sft: no palette for an 8-bit font: broken.cmp: Invalid CMP file!\n");
}

TEST(Sft2bmp, PrintsTheCharacterTable) {
    TempDir dir;
    const ByteVec two = SftWriter().Header(2).Range(65, 67, 4, 9).Range(200, 201, -3, 1).StripHeader(8).Size(3, 2).Pixels(6).Bytes();
    WriteFile(dir.Path("two.sft"), two);
    WriteFile(dir.Path("hi.sft"), MakeFont(16, 5, 1, 0, 0));
    TSftFont font;
    TCharTable table{};
    ASSERT_TRUE(LoadSFT(dir.Path("two.sft"), font, table, 255));

    const Result info = RunTool(dir.Dir(), {"--info", "two.sft"});
    EXPECT_EQ(info.code, 0);
    std::ostringstream want;
    want << "two.sft\n8-bit font\n5 characters\n";
    for (int i = 0; i < 5; ++i) want << table[std::size_t(i)].Code << "\t" << table[std::size_t(i)].X << "\t" << table[std::size_t(i)].Extra << "\n";
    EXPECT_EQ(info.out, want.str());

    const Result js = RunTool(dir.Dir(), {"--json", "two.sft", "nope.sft", "hi.sft"});
    EXPECT_EQ(js.code, 1);
    EXPECT_EQ(js.err, "nope.sft: Invalid SFT file!\n");
    const auto parsed = nlohmann::json::parse(js.out);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0]["path"], "two.sft");
    EXPECT_EQ(parsed[0]["bits_per_pixel"], 8);
    EXPECT_EQ(parsed[0]["width"], 3);
    EXPECT_EQ(parsed[0]["height"], 2);
    ASSERT_EQ(parsed[0]["characters"].size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(parsed[0]["characters"][i]["code"], table[i].Code);
        EXPECT_EQ(parsed[0]["characters"][i]["x"], table[i].X);
        EXPECT_EQ(parsed[0]["characters"][i]["extra"], table[i].Extra);
    }
    EXPECT_EQ(parsed[1]["bits_per_pixel"], 16);
    EXPECT_EQ(parsed[1]["characters"][0]["code"], 0);
}

TEST(Sft2bmp, UsageErrors) {
    TempDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {}, {"--frobnicate", "a.sft"}, {"-o"}, {"--cmp"}, {"--cmp", "a", "--bm", "b", "x.sft"},
        {"--info", "--json", "x.sft"}, {"-o", "out"}};
    for (const auto& args : bad) {
        const Result r = RunTool(dir.Dir(), args);
        EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage: sft2bmp"), std::string::npos);
    }
    const Result help = RunTool(dir.Dir(), {"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Usage: sft2bmp", 0), 0u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{});
}

}  // namespace

namespace {

// The progress counter shows only on a terminal: `script` gives the program one.
TEST(Sft2bmp, ProgressOnlyOnATerminal) {
    TempDir dir;
    WriteFile(dir.Path("a.sft"), MakeFont(16, 2, 2));
    WriteFile(dir.Path("b.sft"), MakeFont(16, 2, 2));
    const std::string cmd = std::string(SFT2BMP_PATH) + " a.sft b.sft";
    const std::string typescript = dir.Path("typescript");
    const std::string shell = "cd '" + dir.Dir() + "' && script -qec \"" + cmd + "\" '" + typescript + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(shell.c_str()), 0);
    const std::string seen = Slurp(typescript);
    EXPECT_NE(seen.find("[1/2] a.sft"), std::string::npos) << seen;
    EXPECT_NE(seen.find("[2/2] b.sft"), std::string::npos) << seen;

    const Result piped = RunTool(dir.Dir(), {"a.sft", "b.sft"});
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.err, "");
}

}  // namespace

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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

// Runs sft2bmp in cwd; stdout and stderr go through files so neither pipe can fill up.
Result RunTool(const std::string& cwd, std::vector<std::string> args) {
    TempDir io;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(120);
        ::dup2(::open(io.Path("out").c_str(), O_WRONLY | O_CREAT, 0600), 1);
        ::dup2(::open(io.Path("err").c_str(), O_WRONLY | O_CREAT, 0600), 2);
        std::vector<char*> argv = {const_cast<char*>(SFT2BMP_PATH)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(SFT2BMP_PATH, argv.data());
        ::_exit(121);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(io.Path("out")),
            Slurp(io.Path("err"))};
}

TEST(Sft2bmp, ConvertsLikeTheViewer) {
    const TPalette cmp = PatternPalette(10), bm = PatternPalette(90),
                   fallback = PatternPalette(150);
    const ByteVec font8 = MakeFont(8, 37, 5), font16 = MakeFont(16, 13, 3);
    const std::vector<std::tuple<std::vector<std::string>, const ByteVec*, TPalette>> cases = {
        {{"--cmp", "pal.cmp"}, &font8, cmp},
        {{"--bm", "pal.bm"}, &font8, bm},
        {std::vector<std::string>{}, &font8, fallback},
        {std::vector<std::string>{}, &font16, TPalette{}},
    };
    for (const auto& [options, font, palette] : cases) {
        TempDir dir;
        WriteFile(dir.Path("pal.cmp"), MakeCMP(cmp));
        WriteFile(dir.Path("pal.bm"), MakeBM(bm));
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(fallback));
        WriteFile(dir.Path("Title.font.sft"), *font);
        ASSERT_EQ(::mkdir(dir.Path("out").c_str(), 0700), 0);
        WriteFile(dir.Path("out/Title.font.BMP"), ByteVec(10, 1));  // replaced
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-o", "out", "Title.font.sft"});
        const Result r = RunTool(dir.Dir(), args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadFile(dir.Path("out/Title.font.BMP")), ReferenceBmp(*font, palette));
    }
}

TEST(Sft2bmp, ReportsRefusedFontsAndGoesOn) {
    TempDir dir;
    WriteFile(dir.Path("a.sft"), MakeFont(16, 4, 4));
    WriteFile(dir.Path("bad.sft"), ByteVec{'S', 'F', 'N', 'X'});
    WriteFile(dir.Path("eight.sft"), MakeFont(8, 4, 4));  // no palette anywhere
    WriteFile(dir.Path("broken.cmp"), ByteVec{'C', 'M', 'P'});
    ASSERT_EQ(::mkdir(dir.Path("sub").c_str(), 0700), 0);
    WriteFile(dir.Path("sub/a.sft"), MakeFont(16, 9, 9));
    const std::vector<std::tuple<std::vector<std::string>, std::string>> cases = {
        {{"a.sft", "bad.sft", "missing.sft", "sub", "-o", "nowhere"},
         "a.sft: Cannot create file nowhere/a.BMP\nbad.sft: Invalid SFT file!\n"
         "missing.sft: No such file or directory\nsub: Is a directory\n"},
        {{"eight.sft", "a.sft"},
         "eight.sft: no palette for an 8-bit font: uicolormap.cmp not found! (give --cmp or "
         "--bm)\n"},
        {{"a.sft", "sub/a.sft"}, "sub/a.sft: a.BMP was already written from a.sft\n"},
        {{"--cmp", "broken.cmp", "eight.sft"},
         "eight.sft: no palette for an 8-bit font: broken.cmp: Invalid CMP file!\n"},
    };
    for (const auto& [args, err] : cases) {
        const Result r = RunTool(dir.Dir(), args);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, err);
    }
    EXPECT_EQ(ReadFile(dir.Path("a.BMP")), ReferenceBmp(MakeFont(16, 4, 4), {}));
}

TEST(Sft2bmp, PrintsTheCharacterTable) {
    TempDir dir;
    WriteFile(dir.Path("two.sft"), SftWriter()
                                       .Header(2)
                                       .Range(65, 66, 4, 9)
                                       .Range(200, 200, -3)
                                       .StripHeader(8)
                                       .Size(3, 2)
                                       .Pixels(6)
                                       .Bytes());
    WriteFile(dir.Path("hi.sft"), MakeFont(16, 5, 1, 0, 0));
    const Result info = RunTool(dir.Dir(), {"--info", "two.sft"});
    EXPECT_EQ(info.code, 0);
    EXPECT_EQ(info.out,
              "two.sft\n8-bit font\n3 "
              "characters\ncode\tx\textra\n65\t4\t1065\n66\t13\t1066\n200\t-3\t1200\n");
    const Result js = RunTool(dir.Dir(), {"--json", "two.sft", "nope.sft", "hi.sft"});
    EXPECT_EQ(js.code, 1);
    EXPECT_EQ(js.err, "nope.sft: No such file or directory\n");
    std::string flat;
    for (char c : js.out)
        if (!std::isspace(static_cast<unsigned char>(c))) flat += c;
    EXPECT_EQ(flat,
              R"([{"bits_per_pixel":8,"characters":[{"code":65,"extra":1065,"x":4},)"
              R"({"code":66,"extra":1066,"x":13},{"code":200,"extra":1200,"x":-3}],"height":2,)"
              R"("path":"two.sft","width":3},{"bits_per_pixel":16,"characters":[{"code":0,)"
              R"("extra":1000,"x":0}],"height":1,"path":"hi.sft","width":5}])");
}

TEST(Sft2bmp, UsageAndProgress) {
    TempDir dir;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"--frobnicate", "a.sft"},
                                               {"-o"},
                                               {"--cmp"},
                                               {"--cmp", "a", "--bm", "b", "x.sft"},
                                               {"--info", "--json", "x.sft"},
                                               {"-o", "out"}}) {
        const Result r = RunTool(dir.Dir(), args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("Usage: sft2bmp"), std::string::npos);
    }
    EXPECT_EQ(RunTool(dir.Dir(), {"--help"}).out.rfind("Usage: sft2bmp", 0), 0u);
    EXPECT_EQ(RunTool(dir.Dir(), {"--version"}).out, "sft2bmp 1.0\n");
    // The progress counter shows only on a terminal: `script` gives the program one.
    WriteFile(dir.Path("a.sft"), MakeFont(16, 2, 2));
    WriteFile(dir.Path("b.sft"), MakeFont(16, 2, 2));
    const std::string shell = "cd '" + dir.Dir() + "' && script -qec '" + SFT2BMP_PATH +
                              " a.sft b.sft' typescript >/dev/null 2>&1";
    ASSERT_EQ(std::system(shell.c_str()), 0);
    const std::string seen = Slurp(dir.Path("typescript"));
    EXPECT_NE(seen.find("[1/2] a.sft"), std::string::npos) << seen;
    EXPECT_NE(seen.find("[2/2] b.sft"), std::string::npos) << seen;
    EXPECT_EQ(RunTool(dir.Dir(), {"a.sft", "b.sft"}).err, "");
}

}  // namespace

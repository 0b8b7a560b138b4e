#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "runtool.h"

namespace {

ToolResult RunSft2bmp(const std::string& cwd, std::vector<std::string> args) {
    return RunTool(SFT2BMP_PATH, cwd, std::move(args));
}

// Each run's exit code, messages and the BMP files it must have written.
TEST(Sft2bmp, ConvertsLikeTheViewerAndReportsRefusals) {
    const TPalette cmp = PatternPalette(10), bm = PatternPalette(90), fallback = PatternPalette(4);
    // The larger fonts are read and written in more than one piece.
    const ByteVec f8 = MakeFont(8, 1000, 300), f16 = MakeFont(16, 13, 3),
                  g16 = MakeFont(16, 300, 400);
    TempDir dir;
    WriteFile(dir.Path("pal.cmp"), MakeCMP(cmp));
    WriteFile(dir.Path("pal.bm"), MakeBM(bm));
    WriteFile(dir.Path("bad.cmp"), {'C', 'M', 'P'});
    WriteFile(dir.Path("bad.sft"), {'S', 'F', 'N', 'X'});
    WriteFile(dir.Path("Title.f8.sft"), f8);
    WriteFile(dir.Path("f16.sft"), f16);
    WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(fallback));
    ASSERT_EQ(::mkdir(dir.Path("out").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(dir.Path("sub").c_str(), 0700), 0);  // no palette here
    WriteFile(dir.Path("sub/f16.sft"), g16);
    WriteFile(dir.Path("out/Title.f8.BMP"), ByteVec(10, 1));  // replaced
    const std::string usage = "Usage: sft2bmp";
    ExpectRuns(
        SFT2BMP_PATH, dir,
        {{{"--cmp", "pal.cmp", "-o", "out", "Title.f8.sft"},
          0,
          "",
          {{"out/Title.f8.BMP", ReferenceBmp(f8, cmp)}}},
         {{"--bm=pal.bm", "Title.f8.sft", "f16.sft"},
          0,
          "",
          {{"Title.f8.BMP", ReferenceBmp(f8, bm)}, {"f16.BMP", ReferenceBmp(f16, {})}}},
         {{"-o", "out", "Title.f8.sft"}, 0, "", {{"out/Title.f8.BMP", ReferenceBmp(f8, fallback)}}},
         {{"f16.sft", "bad.sft", "missing.sft", "sub", "-o", "nowhere"},
          1,
          "f16.sft: Cannot create file nowhere/f16.BMP\nbad.sft: Invalid SFT file!\n"
          "missing.sft: No such file or directory\nsub: Is a directory\n"},
         {{"f16.sft", "sub/f16.sft", "-o", "out"},
          1,
          "sub/f16.sft: out/f16.BMP was already written from f16.sft\n",
          {{"out/f16.BMP", ReferenceBmp(f16, {})}}},
         {{"--cmp", "bad.cmp", "Title.f8.sft"},
          1,
          "Title.f8.sft: no palette for an 8-bit font: bad.cmp: Invalid CMP file!\n"},
         {{"../Title.f8.sft", "f16.sft"},
          1,
          "../Title.f8.sft: no palette for an 8-bit font: uicolormap.cmp not found! (give --cmp "
          "or --bm)\n",
          {{"sub/f16.BMP", ReferenceBmp(g16, {})}},
          "sub"},
         {{}, 2, "sft2bmp: no font given\n" + usage},
         {{"--cmp", "a", "--bm", "b", "x.sft"}, 2, "sft2bmp: --cmp excludes --bm\n" + usage}});
}

TEST(Sft2bmp, PrintsTheCharacterTable) {
    TempDir dir;
    SftWriter two;
    two.Header(2).Range(65, 66, 4, 9).Range(200, 200, -3);
    WriteFile(dir.Path("two.sft"), two.StripHeader(8).Size(3, 2).Pixels(6).Bytes());
    WriteFile(dir.Path("hi.sft"), MakeFont(16, 5, 1, 0, 0));
    WriteFile(dir.Path("caf\xe9.sft"), MakeFont(16, 5, 1, 0, 0));  // a Latin-1 name
    const ToolResult info = RunSft2bmp(dir.Dir(), {"--info", "two.sft"});
    EXPECT_EQ(info.code, 0);
    EXPECT_EQ(info.out,
              "two.sft\n8-bit font\n3 "
              "characters\ncode\tx\textra\n65\t4\t1065\n66\t13\t1066\n200\t-3\t1200\n");
    const ToolResult js = RunSft2bmp(dir.Dir(), {"--json", "hi.sft", "nope.sft", "caf\xe9.sft"});
    EXPECT_EQ(js.code, 1);
    EXPECT_EQ(js.err, "nope.sft: No such file or directory\n");
    // What each font's object holds comes back through bmp2sft's round trip;
    // here, a name that is not UTF-8 is written with its byte replaced.
    for (const char* path : {"hi.sft", "caf\xef\xbf\xbd.sft"})
        EXPECT_NE(js.out.find("\"path\": \"" + std::string(path) + "\""), std::string::npos);
    // Output that can't be written is a failure.
    const std::string full =
        "cd '" + dir.Dir() + "' && " + SFT2BMP_PATH + " --info hi.sft >/dev/full 2>/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(full.c_str())), 1);
}

// Stopped mid-batch, the run leaves only complete files and exits 128 + the signal.
TEST(Sft2bmp, InterruptedRunLeavesOnlyCompleteFiles) {
    for (const int sig : {SIGINT, SIGTERM}) {
        TempDir dir;
        WriteFile(dir.Path("big.sft"), MakeFont(16, 8192, 64));
        std::vector<std::string> names;
        for (int i = 0; i < 500; ++i) {
            names.push_back("f" + std::to_string(i) + ".sft");
            ASSERT_EQ(::symlink("big.sft", dir.Path(names.back()).c_str()), 0);
        }
        TempDir io;
        const int pid = StartTool(SFT2BMP_PATH, dir.Dir(), names, io);
        // A few done, one being written; a run that ends early fails below.
        while (dir.Entries().size() < names.size() + 6 && ::waitpid(pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(pid, sig);
        EXPECT_EQ(WaitTool(pid), 128 + sig);
        std::size_t bmps = 0;
        for (const std::string& name : dir.Entries()) {
            if (name.find(".sft") != std::string::npos) continue;
            ASSERT_EQ(name.substr(name.size() - 4), ".BMP");  // no temporary file
            const ByteVec b = ReadFile(dir.Path(name));
            EXPECT_EQ(b.size(), b[2] | b[3] << 8 | b[4] << 16 | b[5] << 24) << name;
            ++bmps;
        }
        EXPECT_GE(bmps, 4u);
        EXPECT_LT(bmps, names.size());
    }
}

}  // namespace

// --text's picture against one put together here: each line's glyphs'
// columns of the font ({B, E}) or a gap of 0s ({-N, 0}), as wide as the
// widest line; 'a' 0-4, 0xB3 (ł in Windows-1250) 5-13, the space 14-20. A
// picture too large for a BMP is refused.
TEST(Sft2bmp, DrawsTextLineUnderLineThroughTheCodePage) {
    TEditedFont font = BoxFont({{1, {1, 2, 3, 4}}, {2, {0, 0, 7, 12}}, {3, {2, 0, 1, 12}}});
    font.SetTable({{'a', 0, 0}, {0xB3, 5, 0}, {' ', 14, 0}});
    TempDir dir;
    WriteFile(dir.Path("p.cmp"), MakeCMP(PatternPalette(3)));
    WriteFile(dir.Path("f.sft"), FileOf(font));
    const std::string po = "msgid \"x\"\nmsgstr \"\"\n\"\xC5\x82\"\n\"a\\na\"\n";
    WriteFile(dir.Path("t.po"), ByteVec(po.begin(), po.end()));
    WriteFile(dir.Path("w.sft"), MakeFont(16, 100000, 1));  // '~' is 99,436 columns wide
    const std::pair<int, int> a{0, 5}, l{5, 14}, space{14, 21}, gap{-7, 0};
    std::vector<ToolCase> cases;
    for (const auto& [args, lines] : std::vector<
             std::pair<std::vector<std::string>, std::vector<std::vector<std::pair<int, int>>>>>{
             {{"--text", "a\xC5\x82\n\xC5\x82 a"}, {{a, gap}, {gap, space, a}}},
             {{"--text", "a\xC5\x82\n\xC5\x82 a", "--codepage", "cp1250"}, {{a, l}, {l, space, a}}},
             {{"--text-file", "t.po", "--codepage", "Windows-1250"}, {{l, a}, {a}}}}) {
        std::vector<ByteVec> rows(12 * lines.size());
        for (std::size_t n = 0; n < rows.size(); ++n)
            for (const auto& [b, e] : lines[n / 12])
                for (int x = std::max(b, 0); x < (b < 0 ? -b : e); ++x)
                    rows[n].push_back(b < 0 ? 0 : font.Font().Pixels[n % 12 * 21 + std::size_t(x)]);
        const std::size_t w = std::max_element(rows.begin(), rows.end(), [](auto& p, auto& q) {
                                  return p.size() < q.size();
                              })->size();
        ByteVec pixels;
        for (ByteVec& row : rows)
            row.resize(w), pixels.insert(pixels.end(), row.begin(), row.end());
        const ByteVec bmp =
            ReferenceBmp(8, std::int32_t(w), std::int32_t(rows.size()), pixels, PatternPalette(3));
        cases.push_back({args, 0, "", {{"f.BMP", bmp}}});
        cases.back().args.insert(cases.back().args.end(), {"--cmp", "p.cmp", "f.sft"});
    }
    cases.push_back({{"--codepage", "cp1250", "f.sft"}, 2, "sft2bmp: --codepage is for --text"});
    cases.push_back({{"--text", std::string(30000, '~'), "w.sft"},
                     1,
                     "w.sft: a picture of 2983080000 x 1 pixels is more than a BMP file holds\n"});
    ExpectRuns(SFT2BMP_PATH, dir, cases);
}

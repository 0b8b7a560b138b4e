// Writes the fuzz targets' seed corpora: valid files of every kind and depth
// and the edge cases the readers must refuse or accept.
#include <filesystem>
#include <iostream>
#include <string>

#include "edit/charedit.h"
#include "history/journal.h"
#include "imagefile.h"
#include "picture/picture.h"
#include "pngwrite.h"
#include "testfiles.h"
#include "tinyfont.h"

namespace fs = std::filesystem;

namespace {
void Seed(const fs::path& dir, const std::string& name, const ByteVec& bytes) {
    fs::create_directories(dir);
    WriteFile((dir / name).string(), bytes);
}
ByteVec Vec(const Bytes& b) { return ByteVec(b.begin(), b.end()); }
ByteVec Head(const ByteVec& b, std::size_t n) {
    return ByteVec(b.begin(), b.begin() + std::ptrdiff_t(std::min(n, b.size())));
}
ByteVec Text(const std::string& s) { return ByteVec(s.begin(), s.end()); }

// A 3 x 2 PNG of each colour type: the forms the picture module writes, and
// grey ones (one interlaced, at 16 bits) written through libpng as it is.
std::vector<std::pair<std::string, ByteVec>> TinyPngs() {
    std::vector<std::pair<std::string, ByteVec>> out;
    TImagePixels image;
    image.Width = 3;
    image.Height = 2;
    image.Indexed = true;
    image.ColorTable[1] = 0xFF090807;
    for (int i = 0; i < 6; ++i) image.Indices.push_back(std::uint8_t((i % 3 + i / 3) % 2));
    out.emplace_back("indexed.png", Vec(EncodePng(image)));
    image.Indexed = false;
    for (const bool translucent : {false, true}) {
        image.Colors.clear();
        for (std::uint32_t i = 0; i < 6; ++i)
            image.Colors.push_back((translucent ? 255 - i % 3 : 255) << 24 | 40 * (i % 3) << 16 |
                                   90 * (i / 3) << 8 | 7);
        out.emplace_back(translucent ? "rgba.png" : "rgb.png", Vec(EncodePng(image)));
    }
    const auto grey = [](int x, int y, int) { return 40 * x + 90 * y; };
    out.emplace_back("grey.png", WritePng({PNG_COLOR_TYPE_GRAY, 8}, 3, 2, grey));
    out.emplace_back("grey16-interlaced.png",
                     WritePng({PNG_COLOR_TYPE_GRAY, 16, true}, 3, 2,
                              [&](int x, int y, int c) { return 257 * grey(x, y, c); }));
    return out;
}

// A BMP of a 40-byte header, masks or a colour table after it, then data.
ByteVec Bmp(std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t compression,
            const std::vector<std::uint32_t>& extra, const ByteVec& data) {
    SftWriter f;
    const auto at = std::uint32_t(54 + 4 * extra.size());
    f.U16('B' | 'M' << 8).Le(at + std::uint32_t(data.size()), 4).I32(0).Le(at, 4).I32(40);
    f.I32(w).I32(h).U16(1).U16(bits).Le(compression, 4).I32(0).I32(0).I32(0);
    f.Le(bits <= 8 ? std::uint32_t(extra.size()) : 0, 4).I32(0);
    for (std::uint32_t v : extra) f.Le(v, 4);
    ByteVec out = f.Bytes();
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_corpus DIR\n";
        return 2;
    }
    const fs::path root = argv[1];

    // Recovery journals: steps of each kind as pushed, one undone, and the
    // same history written afresh.
    {
        const fs::path journal = root / "journal";
        fs::create_directories(journal);
        const std::string font = (journal / "font.tmp").string();
        WriteFile(font, MakeFont(16, 10, 2, 65, 67));
        TEditedFont f;
        if (!f.Load(font)) return 1;
        TJournalRecords records;
        TJournalWriter w;
        const auto start = [&](const char* Name, const std::vector<const TEditStep*>& Kept,
                               std::size_t Done, std::ptrdiff_t Clean) {
            w.Begin((journal / Name).string(), [&](const TJournalRecords::TOut& Out) {
                records.Start(f, {}, Kept, Done, Clean, Out);
            });
        };
        start("pushed", {}, 0, 0);
        std::vector<TEditStep> steps;
        TPixelGrid grid = f.Grid();
        steps.emplace_back(
            "Pencil", Recorded(grid, [&](TPixelDelta& d) { PaintLine(grid, 0, 0, 9, 1, 5, d); }));
        w.Append(records.Pushed(steps.back(), f));
        steps.push_back(InsertCharacter(f, 0, 90, 2, 9));
        w.Append(records.Pushed(steps.back(), f));
        TFontBody before = f.Body();
        f.ReplaceStrip(3, 2, Bytes(12, 7));
        steps.emplace_back("Import Picture", std::move(before), f);
        w.Append(records.Pushed(steps.back(), f));
        steps.back().Toggle(f);
        w.Append(records.Undone());
        start("kept", {&steps[0], &steps[1], &steps[2]}, 2, -1);
        w.Stop(false);
        fs::remove(font);
    }

    const fs::path sft = root / "sft";
    Seed(sft, "8bit", MakeFont(8, 24, 6, 32, 40));
    Seed(sft, "16bit", MakeFont(16, 10, 2, 65, 66));
    Seed(sft, "no-ranges", SftWriter().Header(0).StripHeader(8).Size(3, 2).Pixels(6).Bytes());
    Seed(sft, "two-ranges",
         SftWriter()
             .Header(2)
             .Range(65, 67)
             .Range(97, 98)
             .StripHeader(8)
             .Size(5, 1)
             .Pixels(5)
             .Bytes());
    Seed(
        sft, "empty-range",
        SftWriter().Header(2).Range(9, 8).Range(1, 1).StripHeader(16).Size(1, 1).Pixels(2).Bytes());
    Seed(sft, "full-table", MakeFont(8, 2, 1, 0, 255));
    Seed(sft, "width-0", MakeFont(8, 0, 4, 1, 1));
    Seed(sft, "height-0", MakeFont(16, 4, 0, 1, 1));
    Seed(sft, "trailing",
         SftWriter().Header(1).Range(7, 7).StripHeader(8).Size(3, 3).Pixels(49).Bytes());
    Seed(sft, "top-code", MakeFont(8, 1, 1, 65534, 65535));
    Seed(sft, "bpp-24", SftWriter().Header(0).StripHeader(24).Size(1, 1).Pixels(3).Bytes());
    Seed(sft, "negative-width", SftWriter().Header(0).StripHeader(8).Size(-1, 1).Bytes());
    Seed(sft, "truncated", Head(MakeFont(8, 8, 8, 32, 50), 300));

    const TPalette pal = PatternPalette(5);
    const fs::path palette = root / "palette";
    Seed(palette, "cmp", MakeCMP(pal));
    Seed(palette, "cmp-long", MakeCMP(pal, 100));
    Seed(palette, "cmp-short", Head(MakeCMP(pal), 100));
    Seed(palette, "bm", MakeBM(pal, 2, 64));
    Seed(palette, "bm-no-palette", MakeBM(pal, 0, 16));
    Seed(palette, "bm-short", Head(MakeBM(pal), 20));
    Seed(palette, "bm-768", Head(MakeBM(pal, 2, 0), 768));

    const fs::path bitmap = root / "bitmap";
    const ByteVec px8 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Seed(bitmap, "8bit", Vec(Build8BitImage(TStrip{3, 4, ByteSpan(px8)}, pal)));
    Seed(bitmap, "24bit", Vec(Build16BitImage(TStrip{3, 2, ByteSpan(px8)})));
    Seed(bitmap, "8bit-empty", Vec(Build8BitImage(TStrip{0, 0, {}}, pal)));
    Seed(bitmap, "24bit-empty", Vec(Build16BitImage(TStrip{5, 0, {}})));

    // Pictures to import: the exports above, and a PNG of each colour type.
    const fs::path picture = root / "picture";
    Seed(picture, "8bit", Vec(Build8BitImage(TStrip{3, 4, ByteSpan(px8)}, pal)));
    Seed(picture, "24bit", Vec(Build16BitImage(TStrip{3, 2, ByteSpan(px8)})));
    for (const auto& [name, png] : TinyPngs()) {
        Seed(picture, name, png);
        Seed(root / "png", name, ByteVec(png.begin() + 8, png.end()));  // past the signature
    }

    // The core's BMP reader: a form of each kind, and the exports above.
    const fs::path bmp = root / "bmp";
    const std::vector<std::uint32_t> two = {0x102030, 0x405060};
    Seed(bmp, "8bit", Vec(Build8BitImage(TStrip{3, 4, ByteSpan(px8)}, pal)));
    Seed(bmp, "24bit", Vec(Build16BitImage(TStrip{3, 2, ByteSpan(px8)})));
    Seed(bmp, "1bit", Bmp(9, 2, 1, 0, two, {0xA5, 0x80, 0, 0, 0x5A, 0, 0, 0}));
    Seed(bmp, "4bit-top-down", Bmp(3, -2, 4, 0, two, {0x10, 0x10, 0, 0, 0x01, 0x10, 0, 0}));
    Seed(bmp, "rle8", Bmp(4, 2, 8, 1, two, {3, 1, 0, 0, 0, 3, 0, 1, 1, 0, 0, 2, 1, 0, 0, 1}));
    Seed(bmp, "rle4", Bmp(6, 1, 4, 2, two, {3, 0x10, 0, 3, 0x10, 0x10, 0, 1}));
    Seed(bmp, "565", Bmp(2, 1, 16, 3, {0xF800, 0x7E0, 0x1F}, {0xFF, 0xFF, 0x1F, 0}));
    Seed(bmp, "alpha32", Bmp(1, 1, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {1, 2, 3, 4}));

    const fs::path table = root / "table";
    const std::string header = "53464e54" + std::string(72, '0');
    Seed(table, "font",
         Text(R"({"bits_per_pixel": 16, "header": ")" + header +
              R"(", "characters": [{"code": 65, "x": 0, "extra": 3},)"
              R"( {"code": 66, "x": -3, "extra": 2147483647}]})"));
    Seed(table, "list",
         Text(R"([{"bits_per_pixel": 8, "characters": [{"code": 65535,)"
              R"( "x": 1, "extra": 0}, {"code": 0, "x": 2, "extra": 0}]}])"));

    const fs::path outline = root / "outline";
    const ByteVec font = tiny::Font(), hinted = tiny::Font(true);
    Seed(outline, "tiny", font);
    Seed(outline, "tiny-hinted", hinted);
    Seed(outline, "tiny-cut", Head(font, font.size() / 2));

    const fs::path text = root / "text";
    Seed(text, "po",
         Text("# c\nmsgid \"\"\nmsgstr \"H\\n\"\n\nmsgctxt \"m\"\nmsgid \"a\"\nmsgstr \"\xC4\x85 "
              "\\\"\"\n"
              "msgid \"f\"\nmsgid_plural \"fs\"\nmsgstr[0] \"p\"\nmsgstr[1] \"\"\n\"q\\t\"\r\n"));
    Seed(text, "utf8-bom",
         Text("\xEF\xBB\xBF"
              "a\r\nb\rc"));
    Seed(text, "utf16le", {0xFF, 0xFE, 'a', 0, '\n', 0, 0x3D, 0xD8, 0x00, 0xDE});
    Seed(text, "utf16be", {0xFE, 0xFF, 0, 'b', 0xD8, 0x3D});
    Seed(text, "latin1", Text("caf\xE9"));
    return 0;
}

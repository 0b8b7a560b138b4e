#include "testfiles.h"

#include "font/editfont.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

SftWriter& SftWriter::Header(std::int32_t rangeCount, const char* magic) {
    bytes_.insert(bytes_.end(), magic, magic + std::min<std::size_t>(4, std::strlen(magic) + 1));
    bytes_.resize(20, 0xAB);
    I32(rangeCount);
    bytes_.resize(40, 0xAB);
    return *this;
}

ByteVec MakeCMP(const TPalette& palette, std::size_t extra) {
    ByteVec b = {'C', 'M', 'P', ' '};
    b.resize(64, 0x11);
    b.insert(b.end(), palette.begin(), palette.end());
    b.resize(b.size() + extra, 0x22);
    return b;
}

ByteVec MakeBM(const TPalette& palette, std::uint32_t flag, std::size_t body) {
    ByteVec b = {'B', 'M', ' ', 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33};
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(flag >> (8 * i)));
    b.resize(128 + body, 0x44);
    b.insert(b.end(), palette.begin(), palette.end());
    return b;
}

ByteVec ReferenceBmp(std::int32_t bpp, std::int32_t width, std::int32_t height,
                     const ByteVec& pixels, const TPalette& palette) {
    const std::uint32_t w = std::uint32_t(width), h = std::uint32_t(height);
    const std::uint32_t stride = bpp == 8 ? (w + 3) / 4 * 4 : (3 * w + 3) / 4 * 4;
    const std::uint32_t off = bpp == 8 ? 1078 : 54, rows = stride * h, colors = bpp == 8 ? 256 : 0;
    SftWriter b;
    b.U16(0x4D42).I32(off + rows).I32(0).I32(off).I32(40).I32(width).I32(height).U16(1);
    b.U16(bpp == 8 ? 8 : 24).I32(0).I32(rows).I32(0).I32(0).I32(colors).I32(colors);
    for (std::size_t k = 0; k < colors; ++k)
        b.Le(palette[3 * k + 2] | palette[3 * k + 1] << 8 | palette[3 * k] << 16, 4);
    // Each component's bits weighed as a fraction of 256.
    const auto scale = [](unsigned v, int bits) { return std::lround(v * 256.0 / (1 << bits)); };
    for (std::uint32_t r = h; r-- > 0;) {
        for (std::uint32_t x = 0, i = r * w + x; x < w; ++x, ++i) {
            const unsigned v = bpp == 8 ? 0 : pixels[2 * i] | pixels[2 * i + 1] << 8;
            if (bpp == 8)
                b.Le(pixels[i], 1);
            else
                b.Le(std::uint32_t(scale(v & 31, 5) | scale(v >> 5 & 63, 6) << 8 |
                                   scale(v >> 11, 5) << 16),
                     3);
        }
        b.Le(0, int(stride - (bpp == 8 ? w : 3 * w)));
    }
    return b.Bytes();
}

ByteVec ReferenceBmp(const ByteVec& fontFile, const TPalette& palette) {
    TSftFont font;
    TCharTable table{};
    SpanSource src(fontFile);
    if (!ReadSFT(src, font, table, 255)) throw std::runtime_error("not a font");
    return ReferenceBmp(font.BitsPerPixel(), font.Width, font.Height,
                        ByteVec(font.Pixels.begin(), font.Pixels.end()), palette);
}

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "quill-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir_))
        names.push_back(e.path().lexically_relative(dir_).string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteFile(const std::string& path, const ByteVec& data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

ByteVec ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return ByteVec(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

ByteVec FileOf(const TEditedFont& font) {
    const Bytes file = font.FileBytes();
    return ByteVec(file.begin(), file.end());
}

TEditedFont BoxFont(const std::vector<std::pair<std::uint16_t, std::array<int, 4>>>& glyphs) {
    const int n = int(glyphs.size());
    ByteVec file = SftWriter().Header(1).Range(1, 1).StripHeader(8).Size(7 * n, 12).Bytes();
    std::vector<TCharEntry> table;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 7 * n; ++x) {
            const auto [bx, by, bw, bh] = glyphs[std::size_t(x / 7)].second;
            file.push_back(x % 7 >= bx && x % 7 < bx + bw && y >= by && y < by + bh ? 5 : 0);
        }
    for (int g = 0; g < n; ++g) table.push_back({glyphs[std::size_t(g)].first, 7 * g, 7});
    TEditedFont font;
    if (!font.Parse(file, "f.sft")) throw std::runtime_error("BoxFont: not a font");
    font.SetTable(table);
    return font;
}

#include "testfiles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {
void PutLE(ByteVec& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
}  // namespace

SftWriter& SftWriter::Header(std::int32_t rangeCount, const char* magic) {
    ByteVec h(40, 0xAB);
    std::memcpy(h.data(), magic, std::min<std::size_t>(4, std::strlen(magic) + 1));
    for (int i = 0; i < 4; ++i) h[20 + i] = static_cast<std::uint8_t>(std::uint32_t(rangeCount) >> (8 * i));
    return Raw(h);
}

SftWriter& SftWriter::Range(std::uint16_t first, std::uint16_t last, std::int32_t x0,
                            std::int32_t step) {
    U16(first).U16(last);
    for (std::int32_t k = 0; k < std::int32_t(last) - std::int32_t(first) + 1; ++k)
        I32(x0 + k * step).I32(1000 + first + k);
    return *this;
}

SftWriter& SftWriter::StripHeader(std::int32_t bitsPerPixel) {
    ByteVec h(128, 0xCD);
    for (int i = 0; i < 4; ++i) h[36 + i] = static_cast<std::uint8_t>(std::uint32_t(bitsPerPixel) >> (8 * i));
    return Raw(h);
}

SftWriter& SftWriter::Size(std::int32_t width, std::int32_t height) { return I32(width).I32(height); }

SftWriter& SftWriter::Pixels(std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(i * 7 + i / 13));
    return *this;
}

SftWriter& SftWriter::Raw(const ByteVec& b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
}
SftWriter& SftWriter::I32(std::int32_t v) {
    PutLE(bytes_, std::uint32_t(v), 4);
    return *this;
}
SftWriter& SftWriter::U16(std::uint16_t v) {
    PutLE(bytes_, v, 2);
    return *this;
}

ByteVec MakeFont(std::int32_t bpp, std::int32_t width, std::int32_t height, std::uint16_t first,
                 std::uint16_t last) {
    return SftWriter()
        .Header(1)
        .Range(first, last)
        .StripHeader(bpp)
        .Size(width, height)
        .Pixels(std::size_t(width) * std::size_t(height) * std::size_t(bpp / 8))
        .Bytes();
}

TPalette PatternPalette(std::uint8_t seed) {
    TPalette p{};
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(i * 5 + seed);
    return p;
}

ByteVec MakeCMP(const TPalette& palette, std::size_t extra) {
    ByteVec b = {'C', 'M', 'P', ' '};
    b.resize(64, 0x11);
    b.insert(b.end(), palette.begin(), palette.end());
    b.resize(b.size() + extra, 0x22);
    return b;
}

ByteVec MakeBM(const TPalette& palette, std::uint32_t flag, std::size_t body) {
    ByteVec b = {'B', 'M', ' '};
    b.resize(12, 0x33);
    PutLE(b, flag, 4);
    b.resize(128 + body, 0x44);
    b.insert(b.end(), palette.begin(), palette.end());
    return b;
}

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "quill-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
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

// Times the core's heavy operations against a baseline measured in the same
// run (a plain file read, a memcpy of the same size) and prints the ratios.
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "edit/charedit.h"
#include "font/font.h"
#include "font/textlayout.h"
#include "picture/picture.h"
#include "text/textfile.h"

namespace {

std::atomic<std::size_t> g_live{0}, g_peak{0};

double BestMs(const std::function<void()>& f, int runs = 31) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

void Report(const char* name, double ms, const char* baseName, double baseMs, double target) {
    const double ratio = ms / baseMs;
    std::printf("%-34s %8.3f ms   %-28s %8.3f ms   ratio %5.2f  (target <= %.1f) %s\n", name, ms,
                baseName, baseMs, ratio, target, ratio <= target ? "ok" : "OVER");
}

std::string WriteFont(std::int32_t bpp, std::int32_t w, std::int32_t h) {
    std::uint8_t header[40] = {'S', 'F', 'N', 'T'};
    std::uint8_t strip[128] = {};
    PutI32(strip + 36, bpp);
    std::uint8_t size[8];
    PutI32(size, w);
    PutI32(size + 4, h);
    Bytes pixels(std::size_t(w) * std::size_t(h) * std::size_t(bpp / 8));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 31 + i / 977);
    char path[] = "/tmp/quill-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    bool ok = fd >= 0;
    for (auto [p, n] : {std::pair<const void*, std::size_t>{header, 40},
                        {strip, 128},
                        {size, 8},
                        {pixels.data(), pixels.size()}})
        ok = ok && ::write(fd, p, n) == ssize_t(n);
    if (fd >= 0) ::close(fd);
    if (!ok) {
        std::perror("bench font");
        std::exit(1);
    }
    return path;
}

Bytes ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    Bytes b(static_cast<std::size_t>(size));
    if (::read(fd, b.data(), b.size()) != ssize_t(b.size())) std::abort();
    ::close(fd);
    return b;
}

void DoNotOptimize(const void* p) { asm volatile("" : : "g"(p) : "memory"); }

double MemcpyMs(std::size_t n) {
    Bytes src(n, 7);
    return BestMs([&] {
        std::unique_ptr<std::uint8_t[]> dst(new std::uint8_t[n]);
        std::memcpy(dst.get(), src.data(), n);
        DoNotOptimize(dst.get());
    });
}

// Peak of live heap bytes while f runs, beyond what was live before it.
std::size_t PeakExtra(const std::function<void()>& f) {
    const std::size_t base = g_live.load();
    g_peak = base;
    f();
    return g_peak.load() - base;
}

}  // namespace

namespace {
void* Counted(void* p) {
    if (!p) throw std::bad_alloc();
    const std::size_t live = g_live += malloc_usable_size(p);
    std::size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return p;
}
}  // namespace

void* operator new(std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void operator delete(void* p) noexcept {
    if (p) g_live -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
// Large buffers are allocated aligned.
void* operator new(std::size_t n, std::align_val_t a) {
    return Counted(
        std::aligned_alloc(std::size_t(a), (n + std::size_t(a) - 1) & ~(std::size_t(a) - 1)));
}
void operator delete(void* p, std::align_val_t) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { operator delete(p); }

int main() {
    // LoadSFT against reading the same file whole.
    const std::string font16 = WriteFont(16, 65535, 64);
    const double readMs = BestMs([&] { DoNotOptimize(ReadWhole(font16).data()); });
    TSftFont f16;
    TCharTable table{};
    const double loadMs = BestMs([&] {
        TSftFont f;
        if (!LoadSFT(font16, f, table, 255)) std::abort();
        DoNotOptimize(f.Pixels.data());
    });
    Report("LoadSFT 16-bit 65535x64", loadMs, "read file whole", readMs, 1.3);
    LoadSFT(font16, f16, table, 255);
    TEditedFont edited;
    if (!edited.Load(font16)) std::abort();
    ::unlink(font16.c_str());

    // Insert Character and Delete Character against one memmove of the strip,
    // each undone, untimed, before the next.
    std::vector<TCharEntry> rows;
    for (int k = 0; k < 255; ++k) rows.push_back({std::uint16_t(k), 256 * k, 256});
    edited.SetTable(rows);
    Bytes strip(edited.Font().Pixels.begin(), edited.Font().Pixels.end());
    const double moveMs = BestMs([&] {
        std::memmove(strip.data() + 16, strip.data(), strip.size() - 16);
        DoNotOptimize(strip.data());
    });
    for (const bool insert : {true, false}) {
        double best = 1e300;
        for (int i = 0; i < 15; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            TEditStep step =
                insert ? InsertCharacter(edited, 100, 300, 16, 0) : DeleteCharacter(edited, 100);
            const auto t1 = std::chrono::steady_clock::now();
            best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
            step.Toggle(edited);
        }
        Report(insert ? "Insert Character 16-bit 65535x64" : "Delete Character 16-bit 65535x64",
               best, "memmove of the strip", moveMs, 2.0);
    }

    // Make8BitBitmap against one memcpy of the image's size.
    const std::string font8 = WriteFont(8, 65535, 128);
    TSftFont f8;
    LoadSFT(font8, f8, table, 255);
    ::unlink(font8.c_str());
    TPalette pal{};
    for (std::size_t i = 0; i < pal.size(); ++i) pal[i] = static_cast<std::uint8_t>(i);
    const std::size_t size8 = 1078 + Stride8(f8.Width) * std::size_t(f8.Height);
    const double make8 = BestMs([&] {
        TBitmap b;
        Make8BitBitmap(b, StripOf(f8), pal);
        DoNotOptimize(&b);
    });
    Report("Make8BitBitmap 65535x128", make8, "memcpy of the image size", MemcpyMs(size8), 2.0);

    const std::size_t size16 = 54 + Stride24(f16.Width) * std::size_t(f16.Height);
    const double make16 = BestMs([&] {
        TBitmap b;
        Make16BitBitmap(b, StripOf(f16));
        DoNotOptimize(&b);
    });
    Report("Make16BitBitmap 65535x64", make16, "memcpy of the image size", MemcpyMs(size16), 2.0);

    // Memory of one build, counted in copies of the image.
    std::unique_ptr<TBitmap> held;
    held.reset();
    const std::size_t extra8 = PeakExtra([&] {
        held = std::make_unique<TBitmap>();
        Make8BitBitmap(*held, StripOf(f8), pal);
    });
    held.reset();
    const std::size_t extra16 = PeakExtra([&] {
        held = std::make_unique<TBitmap>();
        Make16BitBitmap(*held, StripOf(f16));
    });
    std::printf(
        "peak extra memory of one build: 8-bit %.2f images, 16-bit %.2f images (target <= 2)\n",
        double(extra8) / double(size8), double(extra16) / double(size16));

    // The widths of every line of 10,000 translations (3 file lines each) in
    // the 65535 x 64 font, 8,191 glyphs of 8 columns from code 32, against
    // reading the same .po.
    std::vector<TCharEntry> glyphs;
    for (std::int32_t x = 0; x + 8 <= f16.Width; x += 8)
        glyphs.push_back({std::uint16_t(32 + x / 8), x, 8});
    std::string po;
    const char* const words[] = {"zażółć", "gęślą", "jaźń", "Łódź", "źródło", "pięść", "ćma"};
    for (int n = 0; n < 10000; ++n) {
        po += "msgid \"text " + std::to_string(n) + "\"\nmsgstr \"";
        for (int k = 0; k < 8; ++k) po += std::string(k ? " " : "") + words[(n + k) % 7];
        po += "\"\n\n";
    }
    const ByteSpan poBytes(reinterpret_cast<const std::uint8_t*>(po.data()), po.size());
    const double readTextMs = BestMs([&] { DoNotOptimize(ReadText(poBytes, "pl.po").All.data()); });
    const TText text = ReadText(poBytes, "pl.po");
    const double widthsMs = BestMs([&] {
        const TTextLayout layout(TStripGeometry(glyphs, f16.Width));
        std::int64_t widest = 0;
        for (const TTextLine& line : text.Lines)
            widest = std::max(widest, layout.Width(text.Text(line)));
        DoNotOptimize(&widest);
    });
    Report("widths of 10,000 .po lines 65535x64", widthsMs, "ReadText of the .po", readTextMs, 1.0);
    return 0;
}

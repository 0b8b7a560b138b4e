// A command on every glyph of the 65,535 x 64 16-bit font at once, 256 glyphs
// selected, against a plain copy of its strip in the same run: the time, the
// undo record's size against the strip's, and undo giving the bytes back.
// Given a font file, the same on it, its times as "window ID MS" lines for
// the page's bench to compare.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "median.h"
#include "picture/picture.h"
#include "session/session.h"

namespace {

constexpr std::int32_t kWidth = 65535, kHeight = 64, kGlyph = 256;

Bytes FontFile() {
    Bytes f(40, 0);
    std::copy_n("SFNT", 4, f.begin());
    PutI32(f.data() + 20, 1);  // one range
    const auto put = [&f](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) f.push_back(std::uint8_t(v >> (8 * i)));
    };
    put(0, 2), put(255, 2);
    for (std::uint32_t c = 0; c < 256; ++c) put(c * kGlyph, 4), put(kGlyph, 4);
    const std::size_t strip = f.size();
    f.resize(strip + 128, 0);
    PutI32(f.data() + strip + 36, 16);
    put(kWidth, 4), put(kHeight, 4);
    // Strokes of ink on a background of 0, as letters are.
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
            put((x % 7 < 2 && y % 9 < 6) ? 0xF81Fu + std::uint32_t(y) : 0u, 2);
    return f;
}

// The journal's records kept in memory, as the page keeps them for its storage.
struct TKept final : IJournalSink {
    Bytes Records;
    void Begin(const TWrite& Write) override {
        Records.clear();
        Write(
            [this](ByteSpan Piece) { Records.insert(Records.end(), Piece.begin(), Piece.end()); });
    }
    void Append(ByteSpan Record) override {
        Records.insert(Records.end(), Record.begin(), Record.end());
    }
    void End() override {}
};

}  // namespace

int main(int argc, char** argv) {
    TEditedFont font;
    if (argc > 1 ? !font.Load(argv[1]) : !font.Parse(FontFile(), "wide.sft")) return 1;
    TEditSession s;
    s.Open(std::move(font));
    s.SetColor(false, 0x07E0);
    s.SetColor(true, 0);
    s.SelectAll();
    const SharedBytes& pixels = s.Font().Font().Pixels;
    const Bytes opened(pixels.begin(), pixels.end());
    // Into fresh memory each time, as a step's record is.
    const double copied = Median(9, [&] {
        const Bytes copy(pixels.begin(), pixels.end());
        if (copy.size() != opened.size()) std::abort();
    });
    std::printf("plain copy of the %zu-byte strip: %.2f ms\n", opened.size(), copied);
    bool same = true;
    for (const auto& [transform, target, id] :
         {std::tuple{TGlyphTransform::ShiftDown, 4.0, "shift-down"},
          {TGlyphTransform::Outline, 12.0, "outline"}}) {
        std::size_t record = 0;
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) {
            times.push_back(Median(1, [&] { s.Transform(transform); }));
            record = s.History().Newest().MemoryBytes();
            s.Undo();
        }
        std::sort(times.begin(), times.end());
        const double took = times[times.size() / 2];
        same = same && Bytes(pixels.begin(), pixels.end()) == opened;
        const double ratio = took / copied, size = double(record) / double(opened.size());
        std::printf(
            "%-10s on 256 glyphs: %7.2f ms, ratio %5.2f (target <= %.0f) %s; "
            "undo record %.2fx the strip (target <= 2) %s\n",
            TransformName(transform), took, ratio, target, ratio <= target ? "ok" : "OVER", size,
            size <= 2 ? "ok" : "OVER");
        if (argc > 1) {
            // As a front end runs it: its journal record made, its picture drawn again.
            TKept kept;
            s.SetJournal(&kept);
            s.StartJournal();
            std::unique_ptr<TBitmap> picture;
            TInfoLines info;
            ShowFontPicture(picture, s.Font().Font(), s.Palette(), info);
            std::vector<double> wholes;
            for (int run = 0; run < 5; ++run) {
                wholes.push_back(Median(1, [&] {
                    s.Transform(transform);
                    picture->LoadFromFont(s.Font().Font(), s.Palette());
                }));
                s.Undo();
            }
            std::sort(wholes.begin(), wholes.end());
            const double whole = wholes[wholes.size() / 2];
            s.SetJournal(nullptr);
            std::printf("window %s %.3f\n", id, whole);
        }
    }
    std::printf("undone: strip %s\n", same ? "restored byte for byte" : "DIFFERS");
    return same ? 0 : 1;
}

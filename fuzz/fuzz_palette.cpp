// One palette reader (the BM reader when FUZZ_BM is defined, else the CMP
// reader) over the same input, in memory and from a file.
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/palette.h"
#include "scratch.h"

namespace {
struct CountingSink : IWarningSink {
    int shown = 0;
    std::string last;
    void ShowWarning(const std::string& text) override {
        ++shown;
        last = text;
    }
};

void Check(bool ok, const CountingSink& sink, const TPalette& before, const TPalette& after) {
    // Exactly one warning on refusal, none on success; a refusal keeps the palette.
    if (ok != (sink.shown == 0) || sink.shown > 1) std::abort();
    if (!ok && before != after) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteSpan file(data, size);
    TPalette start;
    start.fill(0x5C);

#ifdef FUZZ_BM
    constexpr bool bm = true;
#else
    constexpr bool bm = false;
#endif
    {
        TPalette mem = start;
        CountingSink memSink;
        const bool memOk =
            bm ? ParseBMPalette(file, mem, memSink) : ParseCMPPalette(file, mem, memSink);
        Check(memOk, memSink, start, mem);

        // The file readers only see the head and the tail; they must agree.
        if (size <= 4096) {
            const std::string path = ScratchPath("palette");
            WriteScratch(path, file);
            TPalette disk = start;
            CountingSink diskSink;
            const bool diskOk =
                bm ? LoadBMPalette(path, disk, diskSink) : LoadCMPPalette(path, disk, diskSink);
            if (diskOk != memOk || disk != mem || diskSink.last != memSink.last) std::abort();
        }
    }
    return 0;
}

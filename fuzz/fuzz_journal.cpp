// The recovery journal's reader: the input's records get their checksums
// put right first, so that the replay itself is explored. A journal read
// back must undo and redo its whole history without going out of bounds, and
// within limits scaled down from a front end's, so that fuzz/run's memory
// limit catches a replay whose memory the limits don't bound.
#include <cstdlib>

#include "history/journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, data + size);
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::size_t length = GetU32(bytes.data() + at);
        if (length > bytes.size() - at - 8) break;
        PutU32(bytes.data() + at + 4, Crc32(ByteSpan(bytes.data() + at + 8, length)));
        at += 8 + length;
    }
    TJournalHistory h;
    try {
        SpanSource in(bytes);
        h = ParseJournal(in, "fuzz.journal", {std::size_t(32) << 20, std::size_t(64) << 20});
    } catch (const EFontError&) {
        return 0;
    } catch (const EToolkitError&) {
        return 0;
    }
    if (h.Done > h.Steps.size()) std::abort();
    const auto check = [&] {
        const TSftFont& f = h.Font.Font();
        if (f.Pixels.size() !=
            std::size_t(f.Width) * std::size_t(f.Height) * std::size_t(f.BitsPerPixel() / 8))
            std::abort();
    };
    check();
    for (std::size_t i = h.Done; i-- > 0;) h.Steps[i].Toggle(h.Font), check();
    for (TEditStep& s : h.Steps) s.Toggle(h.Font), check();
    return 0;
}

// A text read as plain text and as a gettext file: refused cleanly, or lines
// in order whose texts make up the whole.
#include <cstdlib>

#include "base/errors.h"
#include "text/textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const char* name : {"t.txt", "t.po"}) {
        try {
            const TText text = ReadText(ByteSpan(data, size), name);
            std::u32string all;
            std::uint32_t last = 0;
            for (const TTextLine& line : text.Lines) {
                if (line.Line <= last) std::abort();  // each line begins past the last
                last = line.Line;
                if (line.At != all.size() || line.At + line.Size > text.All.size()) std::abort();
                (all += text.Text(line)) += U'\n';
            }
            if (all != text.All) std::abort();
        } catch (const EFontError&) {
        }
    }
    return 0;
}

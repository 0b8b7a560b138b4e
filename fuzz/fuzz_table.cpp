// A JSON table put into a font: refused cleanly, or written so that the
// reader takes back exactly the table that was given.
#include <cstdlib>
#include <string>

#include "font/editfont.h"
#include "fontjson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TTableFile table;
    TEditedFont font;
    try {
        table = ParseTableJson(std::string(reinterpret_cast<const char*>(data), size));
        font = TEditedFont::FromHeaders(
            table.BitsPerPixel.value_or(8),
            table.Header.value_or(std::array<std::uint8_t, 40>{'S', 'F', 'N', 'T'}),
            table.StripHeader.value_or(std::array<std::uint8_t, 128>{}));
        font.SetTable(table.Table);
    } catch (const EFontError&) {
        return 0;
    }
    const Bytes head = font.HeadBytes();
    SpanSource source(head);
    TSftFont read;
    TCharTable rows{};
    if (!ReadSFT(source, read, rows, 255)) std::abort();
    if (!std::equal(table.Table.begin(), table.Table.end(), rows.begin(),
                    rows.begin() + read.CharCount) ||
        std::size_t(read.CharCount) != table.Table.size())
        std::abort();
    return 0;
}

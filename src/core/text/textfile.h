// The texts a translation is checked against: the characters of a text file
// and where each of its lines begins, for a message that names FILE:LINE.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

// A line of a text: where it lies in the text's characters.
struct TTextLine {
    std::uint32_t Line = 0;  // the file's line where the text begins, from 1
    std::size_t At = 0;      // into TText::All
    std::size_t Size = 0;
};

struct TText {
    std::u32string All;  // the lines' texts, each ended by a line break
    std::vector<TTextLine> Lines;
    std::u32string_view Text(const TTextLine& Line) const {
        return std::u32string_view(All).substr(Line.At, Line.Size);
    }
};

// The text of a file called Name: UTF-8 (a byte order mark dropped) or UTF-16
// with its byte order mark. A gettext file (.po, .pot) gives its translations
// only, each msgstr (msgstr[N] too) a line of its own; any other file gives
// each of its lines. Throws EFontError naming the file for bytes that are no
// such text ("pl.txt is not UTF-8 text (byte 0xE9 at offset 1234).") and for
// a gettext file's line that isn't gettext.
TText ReadText(ByteSpan Bytes, std::string_view Name);

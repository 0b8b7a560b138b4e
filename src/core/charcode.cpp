#include "charcode.h"

#include <charconv>

#include "errors.h"
#include "outlinestrip.h"

namespace {

constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

bool Number(std::string_view Digits, int Base, std::uint32_t& Code) {
    if (Digits.empty()) return false;
    const auto [end, error] =
        std::from_chars(Digits.data(), Digits.data() + Digits.size(), Code, Base);
    return error == std::errc() && end == Digits.data() + Digits.size() && Code <= kLastCodePoint;
}

bool Prefixed(std::string_view Text, std::string_view Prefix) {
    if (Text.size() < Prefix.size()) return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i)
        if ((Text[i] | 0x20) != (Prefix[i] | 0x20)) return false;
    return true;
}

}  // namespace

std::uint32_t CharacterCode(std::string_view Text) {
    std::uint32_t code = 0;
    if (Text.find_first_not_of("0123456789") == std::string_view::npos && Number(Text, 10, code))
        return code;
    for (const std::string_view prefix : {"U+", "0x"})
        if (Prefixed(Text, prefix) && Number(Text.substr(2), 16, code)) return code;
    try {
        const std::u32string one = DecodeUtf8(Text);
        if (one.size() == 1 && std::uint32_t(one[0]) <= kLastCodePoint) return one[0];
    } catch (const EFontError&) {
        // Not UTF-8: refused below as any other text.
    }
    throw EFontError("\"" + std::string(Text) +
                     "\" is not a character: type its code (1046, U+0416 or 0x416) or the "
                     "character itself");
}

std::string NoCharacterText(std::uint32_t Code) {
    return "The font has no character " + std::to_string(Code);
}

std::string Utf8Of(std::uint32_t Code) {
    if (Code > kLastCodePoint || (Code >= 0xD800 && Code <= 0xDFFF)) Code = 0xFFFD;
    std::string s;
    if (Code < 0x80) {
        s += char(Code);
    } else if (Code < 0x800) {
        s += char(0xC0 | Code >> 6);
        s += char(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        s += char(0xE0 | Code >> 12);
        s += char(0x80 | (Code >> 6 & 0x3F));
        s += char(0x80 | (Code & 0x3F));
    } else {
        s += char(0xF0 | Code >> 18);
        s += char(0x80 | (Code >> 12 & 0x3F));
        s += char(0x80 | (Code >> 6 & 0x3F));
        s += char(0x80 | (Code & 0x3F));
    }
    return s;
}

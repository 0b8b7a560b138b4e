#include "text/charcode.h"

#include <charconv>

#include "base/errors.h"

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

std::u32string DecodeUtf8(std::string_view Text) {
    std::u32string out;
    const std::size_t bad = DecodeUtf8(Text, out);
    if (bad < Text.size()) throw EFontError("not UTF-8 text: byte " + std::to_string(bad));
    return out;
}

std::size_t DecodeUtf8(std::string_view Text, std::u32string& Out) {
    Out.reserve(Out.size() + Text.size());
    for (std::size_t i = 0; i < Text.size();) {
        const auto b0 = std::uint8_t(Text[i]);
        if (b0 < 0x80) {  // most of a text
            Out.push_back(b0);
            ++i;
            continue;
        }
        int more = 0;
        char32_t cp = 0, least = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            more = 1, cp = b0 & 0x1Fu, least = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            more = 2, cp = b0 & 0x0Fu, least = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            more = 3, cp = b0 & 0x07u, least = 0x10000;
        } else {
            return i;
        }
        if (Text.size() - i <= std::size_t(more)) return i;
        for (int k = 1; k <= more; ++k) {
            const auto b = std::uint8_t(Text[i + std::size_t(k)]);
            if ((b & 0xC0) != 0x80) return i;
            cp = cp << 6 | (b & 0x3Fu);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        Out.push_back(cp);
        i += std::size_t(more) + 1;
    }
    return Text.size();
}

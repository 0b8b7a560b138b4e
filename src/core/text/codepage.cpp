#include "text/codepage.h"

#include <algorithm>

#include "base/errors.h"
#include "text/charcode.h"
#include "text/codepagetables.h"

namespace {

constexpr std::uint16_t kNone = 0xFFFF;

bool SameName(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
               const auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
               return up(a) == up(b);
           });
}

bool Spelled(const TCodePageTable& Table, std::string_view Name) {
    std::string_view names = Table.Spellings;
    while (!names.empty()) {
        const std::size_t end = std::min(names.find(' '), names.size());
        if (SameName(names.substr(0, end), Name)) return true;
        names.remove_prefix(std::min(end + 1, names.size()));
    }
    return false;
}

}  // namespace

std::string TCodePageMap::Name() const { return table_ ? table_->Name : "Unicode"; }

std::optional<char32_t> TCodePageMap::CharOf(std::uint32_t Code) const {
    if (!table_) return Code <= 0xFFFF ? std::optional<char32_t>(Code) : std::nullopt;
    if (Code < 128) return char32_t(Code);
    if (Code > 255 || table_->High[Code - 128] == kNone) return std::nullopt;
    return char32_t(table_->High[Code - 128]);
}

std::optional<std::uint16_t> TCodePageMap::CodeOf(char32_t Char) const {
    if (!table_) return Char <= 0xFFFF ? std::optional<std::uint16_t>(Char) : std::nullopt;
    if (Char < 128) return std::uint16_t(Char);
    if (Char >= kNone) return std::nullopt;
    const std::uint16_t* end = table_->High + 128;
    const std::uint16_t* at = std::find(table_->High, end, std::uint16_t(Char));
    if (at == end) return std::nullopt;
    return std::uint16_t(128 + (at - table_->High));
}

std::vector<std::string> CodePageNames() {
    std::vector<std::string> names{"Unicode"};
    for (const auto pages : {WindowsCodePages(), OtherCodePages()})
        for (const TCodePageTable& t : pages) names.emplace_back(t.Name);
    return names;
}

std::optional<TCodePageMap> FindCodePage(std::string_view Name) {
    if (SameName(Name, "Unicode")) return TCodePageMap();
    for (const auto pages : {WindowsCodePages(), OtherCodePages()})
        for (const TCodePageTable& t : pages)
            if (Spelled(t, Name)) return TCodePageMap(t);
    return std::nullopt;
}

TCodePageMap CodePageNamed(std::string_view Name) {
    if (const std::optional<TCodePageMap> page = FindCodePage(Name)) return *page;
    throw EFontError("no code page is called \"" + std::string(Name) +
                     "\": give Unicode, Windows-1250 to Windows-1258, ISO-8859-1 to "
                     "ISO-8859-16 (no 12), KOI8-R, KOI8-U, CP437, CP850, CP852 or CP866");
}

std::optional<char32_t> ShownCharOf(std::uint32_t Code, const TCodePageMap& Page) {
    const bool latin = Page.Unicode() ? Code <= 0xFF : true;
    const std::optional<char32_t> c = latin ? Page.CharOf(Code) : std::nullopt;
    if (!c || *c < 0x20 || (*c >= 0x7F && *c < 0xA0)) return std::nullopt;
    // A space shows as nothing beside the code.
    if (*c == 0x20 || *c == 0xA0) return std::nullopt;
    return c;
}

std::uint32_t CharacterCodeIn(std::string_view Text, const TCodePageMap& Page) {
    const std::uint32_t code = CharacterCode(Text);
    // One character that is no digit was typed as itself, not as its code.
    const std::u32string one = DecodeUtf8(Text);
    const bool typed = one.size() == 1 && !(one[0] >= U'0' && one[0] <= U'9');
    if (!typed || Page.Unicode()) return code;
    const std::optional<std::uint16_t> in = Page.CodeOf(code);
    if (!in) throw EFontError("\"" + std::string(Text) + "\" is not in " + Page.Name());
    return *in;
}

std::vector<std::uint16_t> TextCodes(std::u32string_view Text, const TCodePageMap& Page) {
    std::vector<std::uint16_t> codes;
    codes.reserve(Text.size());
    for (char32_t c : Text) codes.push_back(Page.CodeOf(c).value_or(kNoCode));
    return codes;
}

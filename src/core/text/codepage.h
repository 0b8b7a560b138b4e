// Code pages: what character each code of a font stands for. Under Unicode a
// code is the code point; under a single-byte page (Windows-1250, ISO-8859-2,
// KOI8-R, CP437, ...) codes 0 to 255 are its bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TCodePageTable;

class TCodePageMap {
public:
    // Unicode.
    TCodePageMap() = default;
    explicit TCodePageMap(const TCodePageTable& Table) : table_(&Table) {}

    std::string Name() const;
    bool Unicode() const { return table_ == nullptr; }
    // The character Code stands for; none for a byte the page leaves
    // undefined or a code past 255 under a single-byte page.
    std::optional<char32_t> CharOf(std::uint32_t Code) const;
    // The code of Char; none when the page lacks it (under Unicode, a
    // character past U+FFFF, which no font code reaches).
    std::optional<std::uint16_t> CodeOf(char32_t Char) const;

private:
    const TCodePageTable* table_ = nullptr;
};

// "Unicode" and the single-byte pages' names, as shown.
std::vector<std::string> CodePageNames();
// The page by its shown name or any name iconv knows it by ("CP1251",
// "WINDOWS-1251", "ISO8859-2"), in any case; none for another name.
std::optional<TCodePageMap> FindCodePage(std::string_view Name);
// The same, throwing EFontError that lists the pages for a name none has.
TCodePageMap CodePageNamed(std::string_view Name);

// The letter a list shows beside Code: under Unicode printable Latin-1 only,
// as the status line shows it; under a single-byte page the character the
// code stands for, none for a control character or a code past 255.
std::optional<char32_t> ShownCharOf(std::uint32_t Code, const TCodePageMap& Page);
// Go To Character's and the Reference Glyph's field: digits, "U+" and "0x"
// are codes as CharacterCode reads them; a character typed is looked for at
// its code in Page. Throws EFontError for what is neither, or for a
// character Page lacks ("ą" is not in Windows-1252).
std::uint32_t CharacterCodeIn(std::string_view Text, const TCodePageMap& Page);
// The Text Preview's codes for Text: each character's code in Page, and for
// one Page lacks kNoCode, which no glyph is looked up by.
inline constexpr std::uint16_t kNoCode = 0xFFFF;
std::vector<std::uint16_t> TextCodes(std::u32string_view Text, const TCodePageMap& Page);

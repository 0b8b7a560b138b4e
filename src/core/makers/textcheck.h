// Check Text: which characters of a translation a font lacks, and what can be
// done about each, so the translator knows before the game shows a gap.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "font/editfont.h"
#include "text/codepage.h"

enum class TFix {
    Build,     // Build Accented Characters makes it of the font's own letter and mark
    Add,       // to be drawn, or added from an outline font
    CodePage,  // the font's code page has no code for it
};

struct TMissingChar {
    char32_t Char = 0;
    std::optional<std::uint16_t> Code;  // in the font's code page
    TFix Fix = TFix::Add;
    char32_t Letter = 0, Mark = 0;  // Build: the glyphs it is made of
};

struct TTextCheck {
    std::size_t Characters = 0;  // distinct ones of the text, the space counted
    // In code order; those the code page lacks last, by code point.
    std::vector<TMissingChar> Missing;
};

// The distinct characters of Text, ascending; control characters (line
// breaks, tabs) don't count.
std::vector<char32_t> TextCharacters(std::u32string_view Text);

// Which of Chars (as TextCharacters gives them) a font with codes in Page
// lacks. Decompose gives a character's canonical decomposition (NFD);
// Background is the colour that is no ink.
TTextCheck CheckText(const TEditedFont& Font, const TCodePageMap& Page,
                     const std::vector<char32_t>& Chars,
                     const std::function<std::u32string(char32_t)>& Decompose,
                     std::uint16_t Background);

// "build from a and ˛", "draw or add from an outline font" or "not in
// Windows-1250".
std::string FixText(const TMissingChar& Missing, const TCodePageMap& Page);

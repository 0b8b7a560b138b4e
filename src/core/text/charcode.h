// Go To Character: a character as a user types it, a code or the character
// itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The code Text names: decimal digits ("1046"; "7" is code 7), "U+0416" or
// "0x416", or else one character itself as UTF-8 ("Ж" is 1046). Throws
// EFontError saying what can be typed for anything else.
std::uint32_t CharacterCode(std::string_view Text);
// "The font has no character 1046", for a code the font lacks.
std::string NoCharacterText(std::uint32_t Code);
// Code as UTF-8; a code that is no character (past U+10FFFF, a surrogate)
// gives U+FFFD's.
std::string Utf8Of(std::uint32_t Code);
// The code points of UTF-8 text. Throws EFontError at the first byte that is
// not UTF-8, with its offset.
std::u32string DecodeUtf8(std::string_view Text);
// The same appended to Out; returns the offset of the first byte that starts
// no UTF-8 character, or Text's size when all of it is UTF-8.
std::size_t DecodeUtf8(std::string_view Text, std::u32string& Out);

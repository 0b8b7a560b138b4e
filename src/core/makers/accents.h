// Build Accented Characters: letters with a mark above or below, made of the
// font's own glyphs, so that a translator's new letters look like the rest.
// The toolkit decomposes characters (the core has no Unicode tables); the
// marks, the glyphs they come from and where they go are decided here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "font/editfont.h"
#include "text/codepage.h"

// A character to build and its canonical decomposition (NFD), as code points.
struct TAccentRequest {
    std::uint32_t Code = 0;
    std::u32string Decomposition;
};

// The codes the Characters field asks for: characters typed as they are
// ("ąćę") and ranges "U+0100-U+017F", separated by spaces, in the order
// typed. Throws EFontError saying what can be typed.
std::vector<std::uint32_t> AccentCodes(std::string_view Text);

struct TAccentRefusal {
    std::uint32_t Code = 0;
    std::string Why;
};

// What building adds at the strip's end: Width columns of Pixels (as high as
// the strip), Rows counted from the first of them, in code order, and for
// each the letter and the mark whose glyphs made it; and the characters not
// built, each with why.
struct TAccentSource {
    char32_t Letter = 0, Mark = 0;
};
struct TAccentPlan {
    std::int32_t Width = 0;
    Bytes Pixels;
    std::vector<TCharEntry> Rows;
    std::vector<TAccentSource> Sources;
    std::vector<TAccentRefusal> Refused;
};

// Each character asked, once: the base letter's glyph with the mark's ink
// written onto it, every pixel but Background being ink.
TAccentPlan PlanAccented(const TEditedFont& Font, std::uint16_t Background,
                         std::vector<TAccentRequest> Requests);

// The same for a font whose codes stand for characters through Page: each
// request's Code is a character, the letters and marks are looked for at
// their codes in the page, and the rows carry the font's codes. A character
// the page lacks is refused.
TAccentPlan PlanAccentedIn(const TEditedFont& Font, const TCodePageMap& Page,
                           std::uint16_t Background, std::vector<TAccentRequest> Requests);

// One message listing the characters not built, each with why; empty when
// every one was.
std::string NotBuiltText(const std::vector<TAccentRefusal>& Refused);

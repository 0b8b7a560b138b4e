#include "session/display.h"

#include <cstdio>

#include "base/errors.h"
#include "image/color.h"

std::string WholeNumberText(const std::string& Name, std::int64_t Min, std::int64_t Max) {
    return Name + " must be a whole number from " + std::to_string(Min) + " to " +
           std::to_string(Max) + ".";
}

std::string SwatchText(int Index, std::uint8_t R, std::uint8_t G, std::uint8_t B) {
    return "index " + std::to_string(Index) + "   RGB " + std::to_string(R) + ", " +
           std::to_string(G) + ", " + std::to_string(B);
}

std::uint16_t ColorValueOf(int BitsPerPixel, const std::string& Field, const std::string& Text) {
    if (BitsPerPixel == 8) {
        if (!Text.empty() && Text.size() <= 3 &&
            Text.find_first_not_of("0123456789") == std::string::npos && std::stoi(Text) <= 255)
            return std::uint16_t(std::stoi(Text));
        throw EFontError(Field + " must be a palette index from 0 to 255");
    }
    if (Text.size() == 7 && Text[0] == '#' &&
        Text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        const unsigned long rgb = std::stoul(Text.substr(1), nullptr, 16);
        return To565(TRgb{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)});
    }
    throw EFontError(Field + " must be a colour written #RRGGBB");
}

std::string ColorValueText(int BitsPerPixel, std::uint16_t Value) {
    if (BitsPerPixel == 8) return std::to_string(Value);
    TRgb c;
    Color16ToRGB(std::uint8_t(Value), std::uint8_t(Value >> 8), c.R, c.G, c.B);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.R, c.G, c.B);
    return text;
}

std::string PixelsWillChangeText(std::uint64_t Count) {
    return std::to_string(Count) + " pixels will change.";
}

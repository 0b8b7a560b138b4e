#include "picture/pixelinfo.h"

#include <cstdio>

#include "image/color.h"

std::string PixelText(const TEditedFont& Font, const TPalette& Palette,
                      const TStripGeometry& Glyphs, int X, int Y) {
    const TSftFont& font = Font.Font();
    if (X < 0 || Y < 0 || X >= font.Width || Y >= font.Height) return {};
    std::string text = "x " + std::to_string(X) + ", y " + std::to_string(Y);
    const std::size_t at = std::size_t(Y) * std::size_t(font.Width) + std::size_t(X);
    std::uint8_t r = 0, g = 0, b = 0;
    if (font.BitsPerPixel() == 8) {
        const std::size_t index = font.Pixels[at];
        r = Palette[3 * index], g = Palette[3 * index + 1], b = Palette[3 * index + 2];
        text += "   index " + std::to_string(index);
    } else {
        const std::uint8_t low = font.Pixels[2 * at], high = font.Pixels[2 * at + 1];
        Color16ToRGB(low, high, r, g, b);
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", unsigned(low | high << 8));
        text += std::string("   value 0x") + hex;
    }
    text += "   RGB " + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b);
    const int entry = Glyphs.EntryAt(X);
    if (entry < 0) return text;
    const TCharEntry& e = Font.Table()[std::size_t(entry)];
    text += "   code " + std::to_string(e.Code);
    // Printable Latin-1 only; the rest would show as boxes or control codes.
    if (e.Code >= 0x20 && e.Code < 0x7F) {
        text += " '" + std::string(1, char(e.Code)) + "'";
    } else if (e.Code >= 0xA0 && e.Code <= 0xFF) {
        const char utf8[] = {char(0xC0 | e.Code >> 6), char(0x80 | (e.Code & 0x3F)), 0};
        text += std::string(" '") + utf8 + "'";
    }
    return text + "   X " + std::to_string(e.X) + "   Extra " + std::to_string(e.Extra);
}

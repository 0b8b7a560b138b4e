#include "readout.h"

#include "bmplayout.h"

QString PixelReadout(const TEditedFont& Font, const TPalette& Palette, const TStripGeometry& Glyphs,
                     int X, int Y) {
    const TSftFont& font = Font.Font();
    if (X < 0 || Y < 0 || X >= font.Width || Y >= font.Height) return {};
    QString text = QStringLiteral("x %1, y %2").arg(X).arg(Y);
    const std::size_t at = std::size_t(Y) * std::size_t(font.Width) + std::size_t(X);
    std::uint8_t r = 0, g = 0, b = 0;
    if (font.BitsPerPixel() == 8) {
        const std::uint8_t index = font.Pixels[at];
        r = Palette[3 * index], g = Palette[3 * index + 1], b = Palette[3 * index + 2];
        text += QStringLiteral("   index %1").arg(index);
    } else {
        const std::uint8_t low = font.Pixels[2 * at], high = font.Pixels[2 * at + 1];
        Color16ToRGB(low, high, r, g, b);
        text += QStringLiteral("   value 0x%1").arg(low | high << 8, 4, 16, QLatin1Char('0'));
    }
    text += QStringLiteral("   RGB %1, %2, %3").arg(r).arg(g).arg(b);
    const int entry = Glyphs.EntryAt(X);
    if (entry < 0) return text;
    const TCharEntry& e = Font.Table()[std::size_t(entry)];
    text += QStringLiteral("   code %1").arg(e.Code);
    // Printable Latin-1 only; the rest would show as boxes or control codes.
    if ((e.Code >= 0x20 && e.Code < 0x7F) || (e.Code >= 0xA0 && e.Code <= 0xFF))
        text += QStringLiteral(" '%1'").arg(QChar(e.Code));
    return text + QStringLiteral("   X %1   Extra %2").arg(e.X).arg(e.Extra);
}

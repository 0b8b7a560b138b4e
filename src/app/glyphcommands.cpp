#include "glyphcommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <new>

#include "imagefile.h"
#include "imageview.h"
#include "importpicture.h"
#include "undo.h"

std::optional<TEditStep> PasteGlyph(TEditedFont& Font, TGlyphExtent Glyph, const QImage& Picture,
                                    const TPalette& Palette, IUserInterface& UI) {
    if (Picture.isNull()) throw EToolkitError("The clipboard holds no picture to paste");
    TFontPixels pixels;
    // Only the part that lands in the glyph is converted and asked about.
    const QImage part = Picture.copy(0, 0, std::min(Picture.width(), Glyph.End - Glyph.Begin),
                                     std::min(Picture.height(), Font.Font().Height));
    if (part.isNull()) return std::nullopt;
    try {
        std::optional<TFontPixels> made = PixelsForFont(Font, ImagePixelsOf(part), Palette, UI);
        if (!made) return std::nullopt;
        pixels = std::move(*made);
    } catch (const EFontError& e) {
        throw EToolkitError(std::string("Cannot paste the picture: ") + e.what());
    }
    const TPixelGrid source{part.width(), part.height(), Font.BitsPerPixel() / 8,
                            pixels.Pixels.data()};
    return PasteGlyphPixels(Font, Glyph, source);
}

void CopyPicturePart(const TBitmap& Picture, int X, int Width, IUserInterface& UI) {
    const QImage part = PicturePart(Picture, X, 0, Width, Picture.Height());
    if (part.isNull()) {
        UI.ShowMessage(QStringLiteral("The picture is too large to copy."), TMsgKind::Error);
        return;
    }
    QGuiApplication::clipboard()->setImage(part);
}

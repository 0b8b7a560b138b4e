#include "glyphcommands.h"

#include <QClipboard>
#include <QGuiApplication>

#include "imagefile.h"
#include "importpicture.h"
#include "scrollbox.h"
#include "shown.h"

TSessionChange PasteGlyph(TEditSession& Session, IUserInterface& UI) {
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull()) throw EToolkitError(kNoPictureToPaste);
    int widest = 0;
    for (const TGlyphExtent& g : Session.SelectedGlyphs())
        widest = std::max(widest, g.End - g.Begin);
    if (widest == 0) return {};
    // Only what can land in the glyphs is taken from the clipboard's picture.
    const QImage part = picture.copy(0, 0, std::min(picture.width(), widest),
                                     std::min(picture.height(), Session.Height()));
    if (part.isNull()) return {};
    const TImagePixels pixels = ImagePixelsOf(part);
    return AskingNearest(UI, [&](bool Nearest) { return Session.Paste(pixels, Nearest); });
}

void CopyPicturePart(const TBitmap& Picture, int X, int Width, IUserInterface& UI) {
    const QImage part = PicturePart(Picture, X, 0, Width, Picture.Height());
    if (part.isNull()) {
        UI.ShowMessage(QStringLiteral("The picture is too large to copy."), TMsgKind::Error);
        return;
    }
    QGuiApplication::clipboard()->setImage(part);
}

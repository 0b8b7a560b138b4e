#include "glyphcommands.h"

#include <QClipboard>
#include <QGuiApplication>

#include "imagefile.h"
#include "importpicture.h"
#include "scrollbox.h"
#include "shown.h"

TSessionChange PasteGlyph(TEditSession& Session, int Row, IUserInterface& UI) {
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull()) throw EToolkitError(kNoPictureToPaste);
    const TGlyphExtent glyph = Session.Glyph(Row);
    if (glyph.End <= glyph.Begin) return {};
    // Only what can land in the glyph is taken from the clipboard's picture.
    const QImage part = picture.copy(0, 0, std::min(picture.width(), glyph.End - glyph.Begin),
                                     std::min(picture.height(), Session.Height()));
    if (part.isNull()) return {};
    const TImagePixels pixels = ImagePixelsOf(part);
    return AskingNearest(UI, [&](bool Nearest) { return Session.Paste(Row, pixels, Nearest); });
}

void CopyPicturePart(const TBitmap& Picture, int X, int Width, IUserInterface& UI) {
    const QImage part = PicturePart(Picture, X, 0, Width, Picture.Height());
    if (part.isNull()) {
        UI.ShowMessage(QStringLiteral("The picture is too large to copy."), TMsgKind::Error);
        return;
    }
    QGuiApplication::clipboard()->setImage(part);
}

#include "window/glyphcommands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstring>

#include "files/importpicture.h"
#include "imagefile.h"
#include "session/display.h"
#include "views/scrollbox.h"

namespace {

// A picture as the clipboard hands it over, in the picture-file module's
// terms: an indexed one keeps its indices.
TImagePixels ImagePixelsOf(const QImage& Image) {
    QImage image = Image;
    TImagePixels out;
    out.Width = image.width();
    out.Height = image.height();
    const std::size_t w = std::size_t(out.Width);
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        image = image.convertToFormat(QImage::Format_Indexed8);  // keeps the indices
    if (image.format() == QImage::Format_Indexed8) {
        out.Indexed = true;
        out.ColorTable.fill(0xFF000000u);  // indices past a short table are black
        const QList<QRgb> table = image.colorTable();
        for (qsizetype k = 0; k < table.size() && k < 256; ++k)
            out.ColorTable[std::size_t(k)] = table[k];
        out.Indices.resize(w * std::size_t(out.Height));
        for (int y = 0; y < out.Height; ++y)
            std::memcpy(out.Indices.data() + std::size_t(y) * w, image.constScanLine(y), w);
        return out;
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    out.Colors.resize(w * std::size_t(out.Height));
    for (int y = 0; y < out.Height; ++y)
        std::memcpy(out.Colors.data() + std::size_t(y) * w, image.constScanLine(y), 4 * w);
    return out;
}

}  // namespace

TSessionChange PasteGlyph(TEditSession& Session, IUserInterface& UI) {
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull()) throw EToolkitError(kNoPictureToPaste);
    const auto [wide, high] = Session.PasteRoom();
    if (wide <= 0 || high <= 0) return {};
    // Only what can land is taken from the clipboard's picture.
    const QImage part =
        picture.copy(0, 0, std::min(picture.width(), wide), std::min(picture.height(), high));
    if (part.isNull()) return {};
    const TImagePixels pixels = ImagePixelsOf(part);
    return AskingNearest(UI, [&](bool Nearest) { return Session.Paste(pixels, Nearest); });
}

void CopyPicturePart(const TBitmap& Picture, int X, int Y, int Width, int Height,
                     IUserInterface& UI) {
    const QImage part = PicturePart(Picture, X, Y, Width, Height);
    if (part.isNull()) {
        UI.ShowMessage(QStringLiteral("The picture is too large to copy."), TMsgKind::Error);
        return;
    }
    // Other programs take the PNG, written as the tools write it; this one
    // takes the picture itself.
    auto* mime = new QMimeData;
    const Bytes png = EncodePng(ImagePixelsOf(part));
    mime->setData(QStringLiteral("image/png"),
                  QByteArray(reinterpret_cast<const char*>(png.data()), qsizetype(png.size())));
    mime->setImageData(part);
    QGuiApplication::clipboard()->setMimeData(mime);
}

#include "importpicture.h"

#include "imagefile.h"

QString NearestQuestion(const EColorsNotInPalette& Missing) {
    return QString::fromStdString(NearestQuestionText(Missing));
}

std::optional<TFontPixels> PixelsForFont(const TEditedFont& Font, const TImagePixels& Image,
                                         const TPalette& Palette, IUserInterface& UI) {
    try {
        return ToFontPixels(Font.BitsPerPixel(), Image, Palette, false);
    } catch (const EColorsNotInPalette& e) {
        if (!UI.AskYesNo(NearestQuestion(e))) return std::nullopt;
        return ToFontPixels(Font.BitsPerPixel(), Image, Palette, true);
    }
}

bool ImportPicture(TEditedFont& Font, const std::string& Path, const TPalette& Palette,
                   IUserInterface& UI) {
    try {
        const TImagePixels image = LoadImagePixels(Path);
        std::optional<TFontPixels> pixels = PixelsForFont(Font, image, Palette, UI);
        if (!pixels) return false;
        TEditedFont font = Font;
        font.ReplaceStrip(image.Width, image.Height, std::move(pixels->Pixels));
        Font = std::move(font);
        return true;
    } catch (const EFontError& e) {
        throw EToolkitError("Cannot import " + Path + ": " + e.what());
    }
}

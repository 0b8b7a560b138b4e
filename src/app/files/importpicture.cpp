#include "files/importpicture.h"

#include "imagefile.h"

QString NearestQuestion(const EColorsNotInPalette& Missing) {
    return QString::fromStdString(NearestQuestionText(Missing));
}

TSessionChange AskingNearest(IUserInterface& UI,
                             const std::function<TSessionChange(bool Nearest)>& Change) {
    try {
        return Change(false);
    } catch (const EColorsNotInPalette& e) {
        if (!UI.AskYesNo(NearestQuestion(e))) return {};
        return Change(true);
    }
}

TSessionChange ImportPicture(TEditSession& Session, const std::string& Path, IUserInterface& UI) {
    try {
        const TImagePixels image = LoadImagePixels(Path);
        return AskingNearest(UI, [&](bool Nearest) { return Session.Import(image, Nearest); });
    } catch (const EColorsNotInPalette&) {
        throw;
    } catch (const EFontError& e) {
        throw EToolkitError("Cannot import " + Path + ": " + e.what());
    }
}

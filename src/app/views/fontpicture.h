// The picture of the open font, built aside with its "Font Info" lines, so
// that the window changes only once the build has succeeded.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>

#include "font/font.h"
#include "image/palette.h"
#include "picture/picture.h"

// Builds the picture of a font into Bitmap and writes the "Font Info" lines.
using TPictureBuilder = std::function<void(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font,
                                           const TPalette& Palette, IInfoList& SFTInfo)>;

inline constexpr auto BuildFontPicture = ShowFontPicture;

struct TBuiltPicture {
    std::unique_ptr<TBitmap> Picture;
    QStringList Info;
};
// Runs Builder; throws EToolkitError "Bitmap image is not valid" when it
// made no picture.
TBuiltPicture BuildAside(const TPictureBuilder& Builder, const TSftFont& Font,
                         const TPalette& Palette);

#include "views/fontpicture.h"

TBuiltPicture BuildAside(const TPictureBuilder& Builder, const TSftFont& Font,
                         const TPalette& Palette) {
    TInfoLines info;
    TBuiltPicture built;
    Builder(built.Picture, Font, Palette, info);
    if (!built.Picture) throw EToolkitError(kBitmapNotValid);
    for (const std::string& line : info.Lines) built.Info << QString::fromStdString(line);
    return built;
}

#include "fontpicture.h"

void BuildFontPicture(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font,
                      const TPalette& Palette, IInfoList& SFTInfo) {
    if (Font.BitsPerPixel() == 16)
        Show16BitFont(Bitmap, Font, SFTInfo);
    else
        Show8BitFont(Bitmap, Font, Palette, SFTInfo);
}

namespace {
class TInfoLines final : public IInfoList {
public:
    void Clear() override { Lines.clear(); }
    void Append(const std::string& Line) override { Lines << QString::fromStdString(Line); }
    QStringList Lines;
};
}  // namespace

TBuiltPicture BuildAside(const TPictureBuilder& Builder, const TSftFont& Font,
                         const TPalette& Palette) {
    TInfoLines info;
    TBuiltPicture built;
    Builder(built.Picture, Font, Palette, info);
    if (!built.Picture) throw EToolkitError(kBitmapNotValid);
    built.Info = info.Lines;
    return built;
}

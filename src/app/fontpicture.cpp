#include "fontpicture.h"

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

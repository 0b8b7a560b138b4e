#include "dialogs/systemfonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

std::vector<TSystemFont> SystemFonts(QString& Default) {
    std::vector<TSystemFont> fonts;
    FcPattern* all = FcPatternCreate();
    FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, FC_INDEX, nullptr);
    if (FcFontSet* set = FcFontList(nullptr, all, fields)) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8 *family = nullptr, *style = nullptr, *file = nullptr;
            int index = 0;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
            FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family);
            FcPatternGetString(set->fonts[i], FC_STYLE, 0, &style);
            FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
            QString name = QString::fromUtf8(family ? reinterpret_cast<const char*>(family) : "?");
            if (style) name += ' ' + QString::fromUtf8(reinterpret_cast<const char*>(style));
            fonts.push_back({name, QString::fromLocal8Bit(reinterpret_cast<const char*>(file)),
                             index & 0xFFFF});
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(fields);
    FcPatternDestroy(all);
    std::sort(fonts.begin(), fonts.end(),
              [](const TSystemFont& a, const TSystemFont& b) { return a.Name < b.Name; });

    FcPattern* want = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result;
    if (FcPattern* match = FcFontMatch(nullptr, want, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            Default = QString::fromLocal8Bit(reinterpret_cast<const char*>(file));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(want);
    return fonts;
}

// Files for the end-to-end test, made with the test writer and the core:
//   e2e_helper write <folder>                 a palette and a font "Main.sft"
//   e2e_helper expect <font> <palette> <bmp>  the BMP the viewer must export
#include <cstdio>
#include <string>

#include "../core/testfiles.h"
#include "font.h"
#include "palette.h"
#include "picture.h"

namespace {
struct Quiet : IWarningSink {
    void ShowWarning(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};
}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 3) {
        const std::string dir = argv[2];
        WriteFile(dir + "/uicolormap.cmp", MakeCMP(PatternPalette(9)));
        WriteFile(dir + "/Main.sft", MakeFont(8, 301, 7));
        return 0;
    }
    if (mode == "expect" && argc == 5) {
        TSftFont font;
        TCharTable table{};
        TPalette palette{};
        Quiet warnings;
        if (!LoadSFT(argv[2], font, table, 255) || !LoadCMPPalette(argv[3], palette, warnings)) return 1;
        const Bytes image = Build8BitImage(StripOf(font), palette);
        WriteFile(argv[4], ByteVec(image.begin(), image.end()));
        return 0;
    }
    std::fprintf(stderr, "usage: e2e_helper write <folder> | expect <font> <palette> <bmp>\n");
    return 2;
}

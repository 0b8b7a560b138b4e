// The outline fonts installed, as fontconfig knows them, for New Font from
// Outline Font's list.
#pragma once

#include <QString>
#include <vector>

struct TSystemFont {
    QString Name, File;
    int Index = 0;  // the face within the file
};

// The fonts by family and style, sorted by name; Default takes the file
// fontconfig gives for "sans-serif".
std::vector<TSystemFont> SystemFonts(QString& Default);

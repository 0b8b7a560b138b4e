#include "views/readout.h"

#include "picture/pixelinfo.h"

QString PixelReadout(const TEditedFont& Font, const TPalette& Palette, const TStripGeometry& Glyphs,
                     int X, int Y) {
    return QString::fromStdString(PixelText(Font, Palette, Glyphs, X, Y));
}

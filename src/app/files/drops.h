// What a drop onto the window brings.
#pragma once

#include <QString>

class QMimeData;

enum class TDrop { None, Font, CMP, BM };

// One local file: a font, or a palette while PalettesTaken (Load Palette is
// greyed otherwise). Anything else is refused, so the pointer says so. Path
// receives the file's clean absolute path.
TDrop DropOf(const QMimeData* Data, bool PalettesTaken, QString* Path = nullptr);

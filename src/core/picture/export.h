// Saving pictures: the BMP file written a piece at a time, and the name an
// export proposes.
#pragma once

#include <string>

#include "base/fileio.h"
#include "image/bmplayout.h"

// The rows' BMP file handed to Write a piece at a time, in order, until it
// returns false.
void BmpPieces(const TBmpRows& Rows, const TPieceWriter& Write);
// Writes the rows' BMP file as SaveToFile writes a picture, a piece at a time.
void SaveBmpRows(const TBmpRows& Rows, const std::string& FileName,
                 Durability durability = Durability::Synced);
// The same for a font whose strip is read from Font, at PixelsAt, a few rows
// at a time: neither the strip nor the image is ever held whole. Throws
// EToolkitError "Invalid SFT file!" when the font ends early.
void SaveBmpFromFile(const TBmpRows& Rows, ReadOnlyFile& Font, std::uint64_t PixelsAt,
                     const std::string& FileName, Durability durability = Durability::Synced);

// The export name: LastSaveDir, the font's file name without its extension,
// and ".BMP".
std::string ProposedExportName(const std::string& FontPath, const std::string& LastSaveDir);
// Everything up to and including the last separator, or empty text.
std::string FolderOf(const std::string& Path);

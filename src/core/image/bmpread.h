// Windows BMP pictures decoded from bytes held in memory, for the colour
// rules: the viewer's Import Picture, bmp2sft and the web page read them here.
#pragma once

#include <cstddef>

#include "base/bytes.h"
#include "base/fileio.h"
#include "image/colorrules.h"

// The leading bytes that BmpFormIsRead looks at: up to the compression field.
inline constexpr std::size_t kBmpFormBytes = 34;

// True when File (its first kBmpFormBytes bytes are enough) begins as a BMP
// that ReadBmp decodes or refuses with a reason of its own; false for other
// files and for BMP forms no reader here decodes: header sizes it doesn't
// know and JPEG or PNG compression.
bool BmpFormIsRead(ByteSpan File);

// Decodes a whole BMP file, top row first. 1-, 4- and 8-bit pictures (plain,
// RLE4, RLE8) come as indices with their colour table (0xFFRRGGBB, entries
// past a short table black); 16-, 24- and 32-bit ones (plain or bit fields)
// as 0xAARRGGBB colours, opaque unless the header has an alpha mask. Pixels
// that an RLE picture skips take index 0; those it puts past a row's edge
// are dropped. Throws EFontError with the reason
// for anything else, including a file that ends before its pixels do, and
// takes no memory for pixels that the file can't back.
TImagePixels ReadBmp(ByteSpan File);
// The same, each row handed to Sink as it is decoded: the file is read in
// bands and the picture never held whole. Rows come bottom first when the
// file stores them so; Sink may have taken rows before a refusal.
void ReadBmpRows(TBandSource& File, TRowSink& Sink);

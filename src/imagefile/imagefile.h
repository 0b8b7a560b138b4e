// Picture files decoded into plain pixels for the core's colour rules: BMP by
// the core's reader, PNG and the BMP forms it leaves by Qt's decoders; shared
// by bmp2sft and the viewer.
#pragma once

#include <string>

#include "bytes.h"
#include "colorrules.h"

class QImage;

// Throws EFontError with the reason when the file can't be read, is not a
// picture that can be decoded, or ends before its pixels do.
TImagePixels LoadImagePixels(const std::string& Path);
TImagePixels DecodeImagePixels(ByteSpan File);
// A picture already decoded, as the clipboard hands it over.
TImagePixels ImagePixelsOf(const QImage& Image);

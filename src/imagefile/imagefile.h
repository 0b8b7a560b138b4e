// Picture files decoded into plain pixels for the core's colour rules, and
// PNG written from them: BMP by the core's reader, PNG through libpng; shared
// by the command-line programs and the viewer, so that a picture gives the
// same pixels in each.
#pragma once

#include <string>

#include "base/bytes.h"
#include "image/colorrules.h"

// Throws EFontError with the reason when the file can't be read, is not a
// picture that can be decoded, is damaged or ends before its pixels do.
// Palette PNGs and grey ones of fewer than 8 bits (8 with tRNS) come as indices with their
// table (tRNS as the entries' alpha), every other PNG as 8-bit colours, as
// the file stores them (gamma is not applied).
TImagePixels LoadImagePixels(const std::string& Path);
TImagePixels DecodeImagePixels(ByteSpan File);
// The same, each row handed to Sink as it is decoded (bottom first where a
// BMP stores them so): the picture is never held whole, save an interlaced
// PNG's. Sink may have taken rows before a refusal.
void LoadImageRows(const std::string& Path, TRowSink& Sink);
void DecodeImageRows(ByteSpan File, TRowSink& Sink);

// A PNG of the picture: indexed at 8 bits with its whole table, or RGB (RGBA
// when a pixel is not fully opaque).
Bytes EncodePng(const TImagePixels& Image);

// Palettes: the 256-colour TPalette and its readers for ".CMP" colour maps and
// ".BM" game bitmaps.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/bytes.h"

using TPalette = std::array<std::uint8_t, 768>;  // red, green, blue per entry

// Where a reader shows its warning box; Show returns once the user closed it.
class IWarningSink {
public:
    virtual ~IWarningSink() = default;
    virtual void ShowWarning(const std::string& Text) = 0;
};

inline const char* const kInvalidCMP = "Invalid CMP file!";
inline const char* const kInvalidBM = "Invalid BM file!";
inline const char* const kBMNoPalette = "BM doesn't contain a Palette!";

// Each returns true once all 768 palette bytes were read into Palette; on
// false it has shown its warning and Palette is untouched.
bool LoadCMPPalette(const std::string& FileName, TPalette& Palette, IWarningSink& Warnings);
bool LoadBMPalette(const std::string& FileName, TPalette& Palette, IWarningSink& Warnings);

// The same over a whole file held in memory.
bool ParseCMPPalette(ByteSpan File, TPalette& Palette, IWarningSink& Warnings);
bool ParseBMPalette(ByteSpan File, TPalette& Palette, IWarningSink& Warnings);

// What the window and the page show alike: the zoom steps, the strip's
// marks, the number fields and their limits, and the texts of refusals.
// Both front ends read them from here, the page through its binding.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit/glyphedit.h"
#include "edit/glyphstyle.h"

// Whole-number zoom factors, drawn nearest-neighbour.
inline constexpr std::array<int, 8> kZoomSteps = {1, 2, 3, 4, 6, 8, 12, 16};

// The strip's marks as 0xAARRGGBB: glyph boundaries, the selected glyph's
// frame.
inline constexpr std::uint32_t kBoundaryColor = 0xFF00A0FF;
inline constexpr std::uint32_t kFrameColor = 0xFFFFDC00;
// View > Guides: the cap height, x-height and baseline lines.
inline constexpr std::uint32_t kGuideColor = 0xFFFF3C96;

// Pixels a compressed picture may claim for each byte of its file: past it
// the picture is refused before anything is allocated for it.
inline constexpr std::uint64_t kPicturePixelsPerByte = 1u << 14;

// A number a dialog asks for: its label, its name in a refusal, its range.
struct TNumberLimits {
    const char* Label;
    const char* Name;
    std::int64_t Min, Max;
};
inline constexpr TNumberLimits kCodeField{"Code:", "The code", 0, 65535};
inline constexpr TNumberLimits kWidthField{"Width:", "The width", 1, INT32_MAX};
// Insert Character's width when no glyph is selected.
inline constexpr int kNewCellWidth = 8;

// Edit > Go To Character...
inline constexpr const char* kGoToLabel = "Character:";
// Build Accented Characters: its dialog's field.
inline constexpr const char* kAccentsLabel = "Characters:";
// View > Reference Glyph...: the choice of font, under the Character field.
inline constexpr const char* kReferenceThisFont = "This font";
inline constexpr const char* kReferenceOtherFont = "Another font file:";
inline constexpr const char* kReferenceNoFile = "Choose the other font's file first.";
// What a pixel command says when it found nothing to change.
inline constexpr const char* kNoPixelsChanged = "No pixels changed";

// "The width must be a whole number from 1 to 2147483647."
std::string WholeNumberText(const std::string& Name, std::int64_t Min, std::int64_t Max);
inline std::string WholeNumberText(const TNumberLimits& Field) {
    return WholeNumberText(Field.Name, Field.Min, Field.Max);
}
inline constexpr const char* kTooManyChars = "A font holds at most 256 characters.";
inline constexpr const char* kNoPictureToPaste = "The clipboard holds no picture to paste";
inline constexpr const char* kCannotPaste = "Cannot paste the picture: ";

// Edit > Replace Colour...: a field's value as typed, a palette index from
// 0 to 255 for an 8-bit font, "#RRGGBB" for a 16-bit one, kept as the
// nearest 5-6-5. Throws EFontError naming the field and what it takes.
std::uint16_t ColorValueOf(int BitsPerPixel, const std::string& Field, const std::string& Text);
// A value as the field shows it: "7", or "#f8fcf8".
std::string ColorValueText(int BitsPerPixel, std::uint16_t Value);
// "12 pixels will change."
std::string PixelsWillChangeText(std::uint64_t Count);

// A palette entry as a swatch's tip says it: "index 7   RGB 1, 2, 3".
std::string SwatchText(int Index, std::uint8_t R, std::uint8_t G, std::uint8_t B);

// The glyph commands the Glyph menu lists, in its order: the id the page's
// markup and the binding use, and the caption.
struct TTransformCommand {
    TGlyphTransform Transform;
    const char* Id;
};
inline constexpr std::array<TTransformCommand, 8> kTransformCommands = {{
    {TGlyphTransform::FlipHorizontal, "flip-horizontal"},
    {TGlyphTransform::FlipVertical, "flip-vertical"},
    {TGlyphTransform::ShiftLeft, "shift-left"},
    {TGlyphTransform::ShiftRight, "shift-right"},
    {TGlyphTransform::ShiftUp, "shift-up"},
    {TGlyphTransform::ShiftDown, "shift-down"},
    {TGlyphTransform::Outline, "outline"},
    {TGlyphTransform::Bold, "bold"},
}};

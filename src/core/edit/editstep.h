// The history's steps: what one change to a font changed, kept so that the
// change can be undone and redone, and the bound on what the history holds.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

#include "font/editfont.h"
#include "font/pixeledit.h"

// What the history may hold in all, in bytes.
inline constexpr std::size_t kHistoryBound = std::size_t(256) << 20;

// Columns put in or taken out of the strip: where, how many, and the pixels
// of those taken out, or of those put in unless they were all Fill.
struct TColumnChange {
    bool Insert = true;
    std::int32_t At = 0;
    std::int32_t Width = 0;
    Bytes Columns;  // Width * Height pixels, top row first
    std::uint16_t Fill = 0;
};

class TEditStep {
public:
    // Some pixels changed, as Pixels noted them.
    TEditStep(const char* Name, TPixelDelta Pixels);
    // The strip or the table replaced: Before is the body the font had; the
    // font holds the new one now.
    TEditStep(const char* Name, TFontBody Before, const TEditedFont& After);
    // Columns put in or taken out, and the table changed with them: Before
    // is the body the font had; only its table is kept.
    TEditStep(const char* Name, TColumnChange Change, TFontBody Before);

    // What the user sees the step called ("Pencil").
    const char* Name() const { return name_; }
    // Undoes the step on the font it left, redoes it on the font it found.
    // Throws std::bad_alloc, changing nothing, when a strip of columns put in
    // or taken out can't be had.
    void Toggle(TEditedFont& Font);
    // Whether the step changes more than pixels: the strip's size or the table.
    bool Wholesale() const { return other_ != nullptr; }
    // The pixels a pixel step changes.
    TPixelRect Area() const { return pixels_.Bounds(); }
    std::size_t MemoryBytes() const { return bytes_; }

    // The step as bytes, as it stands. WriteUndone writes it as it would
    // stand undone on Font, which holds it done: what a replay reads to redo
    // it on the font it found.
    void Write(Bytes& Out) const;
    void WriteUndone(Bytes& Out, const TEditedFont& Font) const;
    // Reads a step either wrote, to be toggled next on a font of Width x
    // Height pixels at BitsPerPixel; Width and Height become the size the
    // toggle leaves. Throws EFontError saying what is wrong with a step that
    // is malformed or doesn't fit that font, or would grow its strip past
    // MaxStrip bytes; that is refused before the strip is had.
    static TEditStep Read(ByteSource& In, std::int32_t& Width, std::int32_t& Height,
                          int BitsPerPixel, std::size_t MaxStrip = kMaxFontBytes);

private:
    TEditStep() = default;
    void WriteAs(Bytes& Out, bool Done, const TFontBody& Other) const;

    const char* name_ = "";  // a literal or kept for good: the many small steps stay small
    TPixelDelta pixels_;
    // A wholesale step's other body: before while done, after while undone.
    // Held apart, so that the many pixel steps stay small.
    std::unique_ptr<TFontBody> other_;
    std::unique_ptr<TColumnChange> columns_;
    bool done_ = true;
    // A wholesale step that kept the strip: both bodies hold the same pixels,
    // which are not written with the step.
    bool sharesPixels_ = false;
    std::size_t bytes_ = 0;
};

// How many of the oldest steps, sized Sizes from the oldest on, go so that
// the rest fit in Bound bytes; the newest always stays.
std::size_t StepsToDrop(std::span<const std::size_t> Sizes, std::size_t Bound = kHistoryBound);

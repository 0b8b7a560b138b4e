#include "edit/glyphedit.h"

#include <new>

#include "base/errors.h"
#include "edit/glyphstyle.h"

const char* TransformName(TGlyphTransform Transform) {
    switch (Transform) {
        case TGlyphTransform::FlipHorizontal:
            return "Flip Horizontal";
        case TGlyphTransform::FlipVertical:
            return "Flip Vertical";
        case TGlyphTransform::ShiftLeft:
            return "Shift Left";
        case TGlyphTransform::ShiftRight:
            return "Shift Right";
        case TGlyphTransform::ShiftUp:
            return "Shift Up";
        case TGlyphTransform::ShiftDown:
            return "Shift Down";
        case TGlyphTransform::Outline:
            return "Outline";
        case TGlyphTransform::Bold:
            return "Bold";
    }
    return "";
}

namespace {
// Runs Edit on each glyph's columns of the font's pixels as one step named
// Name; none when nothing changed.
template <class Edit>
std::optional<TEditStep> Step(TEditedFont& Font, const char* Name,
                              std::span<const TGlyphExtent> Glyphs, Edit&& edit) {
    TPixelGrid grid = Font.Grid();
    try {
        TPixelDelta delta = Recorded(grid, [&](TPixelDelta& d) {
            for (const TGlyphExtent& g : Glyphs) edit(grid, g.Begin, g.End, d);
        });
        if (delta.Empty()) return std::nullopt;
        return TEditStep(Name, std::move(delta));
    } catch (const std::bad_alloc&) {
        throw EToolkitError(kNoMemoryForStep);
    }
}
}  // namespace

std::optional<TEditStep> TransformGlyphs(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                         TGlyphTransform Transform, std::uint16_t Current,
                                         std::uint16_t Background) {
    return Step(Font, TransformName(Transform), Glyphs,
                [&](TPixelGrid& g, std::int32_t b, std::int32_t e, TPixelDelta& d) {
                    switch (Transform) {
                        case TGlyphTransform::FlipHorizontal:
                            return FlipColumns(g, b, e, d);
                        case TGlyphTransform::FlipVertical:
                            return FlipRows(g, b, e, d);
                        case TGlyphTransform::ShiftLeft:
                            return ShiftPixels(g, b, e, -1, 0, Background, d);
                        case TGlyphTransform::ShiftRight:
                            return ShiftPixels(g, b, e, 1, 0, Background, d);
                        case TGlyphTransform::ShiftUp:
                            return ShiftPixels(g, b, e, 0, -1, Background, d);
                        case TGlyphTransform::ShiftDown:
                            return ShiftPixels(g, b, e, 0, 1, Background, d);
                        case TGlyphTransform::Outline:
                            return OutlinePixels(g, b, e, Background, Current, d);
                        case TGlyphTransform::Bold:
                            return BoldPixels(g, b, e, Background, d);
                    }
                });
}

std::optional<TEditStep> ShadowGlyphs(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                      int Right, int Down, std::uint16_t Current,
                                      std::uint16_t Background) {
    return Step(Font, "Shadow", Glyphs,
                [&](TPixelGrid& g, std::int32_t b, std::int32_t e, TPixelDelta& d) {
                    ShadowPixels(g, b, e, Right, Down, Background, Current, d);
                });
}

std::optional<TEditStep> ReplaceColor(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                      std::uint16_t From, std::uint16_t To) {
    return Step(Font, "Replace Colour", Glyphs,
                [&](TPixelGrid& g, std::int32_t b, std::int32_t e, TPixelDelta& d) {
                    ReplacePixels(g, b, e, From, To, d);
                });
}

std::optional<TEditStep> PasteGlyphPixels(TEditedFont& Font, std::span<const TGlyphExtent> Glyphs,
                                          const TPixelGrid& Source) {
    return Step(Font, "Paste Glyph", Glyphs,
                [&](TPixelGrid& g, std::int32_t b, std::int32_t e, TPixelDelta& d) {
                    PastePixels(g, b, e, Source, d);
                });
}

#include "glyphedit.h"

#include <new>

#include "errors.h"

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
    }
    return "";
}

namespace {
// Runs Edit on the font's pixels as one step named Name; none when nothing changed.
template <class Edit>
std::optional<TEditStep> Step(TEditedFont& Font, const char* Name, Edit&& edit) {
    TPixelGrid grid = Font.Grid();
    try {
        TPixelDelta delta = Recorded(grid, [&](TPixelDelta& d) { edit(grid, d); });
        if (delta.Empty()) return std::nullopt;
        return TEditStep(Name, std::move(delta));
    } catch (const std::bad_alloc&) {
        throw EToolkitError(kNoMemoryForStep);
    }
}
}  // namespace

std::optional<TEditStep> TransformGlyph(TEditedFont& Font, TGlyphExtent Glyph,
                                        TGlyphTransform Transform, std::uint16_t Background) {
    const std::int32_t b = Glyph.Begin, e = Glyph.End;
    return Step(Font, TransformName(Transform), [&](TPixelGrid& g, TPixelDelta& d) {
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
        }
    });
}

std::optional<TEditStep> PasteGlyphPixels(TEditedFont& Font, TGlyphExtent Glyph,
                                          const TPixelGrid& Source) {
    return Step(Font, "Paste Glyph", [&](TPixelGrid& g, TPixelDelta& d) {
        PastePixels(g, Glyph.Begin, Glyph.End, Source, d);
    });
}

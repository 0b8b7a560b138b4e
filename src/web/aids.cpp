// The page's guides and reference glyph: each one call on the core's rules.
#include "page.h"
#include "text/charcode.h"

namespace {

val Row(std::optional<std::int32_t> Row) { return Row ? val(*Row) : val::null(); }

}  // namespace

val TPage::Guides() const {
    return Guarded([&] {
        const TGuideRows rows =
            FindGuides(session_.Font(), session_.Glyphs(), session_.Background());
        val out = val::object();
        out.set("cap", Row(rows.Cap));
        out.set("x", Row(rows.X));
        out.set("base", Row(rows.Base));
        return out;
    });
}

val TPage::GuideRowOf(int Field, const std::string& Text) const {
    return Guarded([&] {
        val out = val::object();
        out.set("row", Row(::GuideRowOf(Field, Text, session_.Height())));
        return out;
    });
}

val TPage::SetReference(const std::string& Text, bool Other, const std::string& File,
                        const std::string& Name) {
    return Guarded([&] {
        const std::uint32_t code = CharacterCodeIn(Text, session_.CodePage());
        if (!Other) {
            reference_ = TReferenceGlyph(session_.Font(), code);
            return Done();
        }
        TEditedFont other;
        if (!other.Parse(SpanOf(File), Name) || !OpenableDepth(other.BitsPerPixel()))
            return Error(NotAFontText(Name) + ".");
        reference_ = TReferenceGlyph(other, code, Name);
        return Done();
    });
}

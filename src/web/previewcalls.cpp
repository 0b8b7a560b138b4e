// The page's Text Preview: the picture and its marks, all the core's.
#include <algorithm>

#include "font/textlayout.h"
#include "page.h"
#include "picture/textpreview.h"
#include "text/charcode.h"

val TPage::PreviewText(const std::string& Text, int Limit, int First, int Count, int Left,
                       int Columns) const {
    return Guarded([&] {
        val out = val::object();
        if (!picture_) return out;
        const std::vector<std::u32string> lines = SplitLines(DecodeUtf8(Text));
        const TTextLayout layout(session_.Glyphs(), session_.CodePage());
        const std::vector<std::int64_t> widths = PreviewLineWidths(layout, lines);
        const TTextPreviewPicture p = PreviewPicture(
            session_.Font().Font(), session_.Palette(), layout, lines,
            std::size_t(std::max(First, 0)), std::size_t(std::max(Count, 0)), Left, Columns);
        // The whole text's size, and the lines First .. First + Count - 1 drawn.
        out.set("width",
                double(widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end())));
        out.set("lines", double(lines.size()));
        out.set("lineHeight", session_.Height());
        out.set("first", double(p.First));
        out.set("left", double(p.Left));
        out.set("drawnWidth", p.Width);
        out.set("drawnHeight", p.Height);
        out.set("rgba", ByteArray(ByteSpan(p.Rgba.data(), p.Rgba.size())));
        val gaps = val::array();
        for (const TPreviewGap& g : p.Gaps)
            gaps.call<void>("push", double(g.Line), double(g.X), double(g.Width));
        // All of a long text's lines may be wider: handed over at once.
        std::vector<std::int32_t> wider;
        for (std::size_t l = 0; l < widths.size(); ++l)
            if (WiderThan(widths[l], Limit)) wider.push_back(std::int32_t(l));
        out.set("gaps", gaps);
        out.set("wider", TypedArray("Int32Array", wider));
        out.set("status", WiderLinesText(widths, Limit));
        return out;
    });
}

int TPage::PreviewCharAt(const std::string& Text, int X, int Y) const {
    try {
        const std::optional<char32_t> c =
            ::PreviewCharAt(TTextLayout(session_.Glyphs(), session_.CodePage()),
                            SplitLines(DecodeUtf8(Text)), session_.Height(), X, Y);
        return c ? int(*c) : -1;
    } catch (const std::exception&) {
        return -1;  // text that is no UTF-8: nothing to go to
    }
}

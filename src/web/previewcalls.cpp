// The page's Text Preview: the picture and its marks, all the core's.
#include "font/textlayout.h"
#include "page.h"
#include "picture/textpreview.h"
#include "text/charcode.h"

val TPage::PreviewText(const std::string& Text, int Limit) const {
    return Guarded([&] {
        val out = val::object();
        if (!picture_) return out;
        const TTextPreviewPicture p = PreviewPicture(
            session_.Font().Font(), session_.Palette(),
            TTextLayout(session_.Glyphs(), session_.CodePage()), SplitLines(DecodeUtf8(Text)));
        out.set("width", p.Width);
        out.set("height", p.Height);
        out.set("lineHeight", p.LineHeight);
        out.set("rgba", ByteArray(ByteSpan(p.Rgba.data(), p.Rgba.size())));
        val gaps = val::array(), wider = val::array();
        for (const TPreviewGap& g : p.Gaps)
            gaps.call<void>("push", double(g.Line), double(g.X), double(g.Width));
        for (std::size_t l = 0; l < p.LineWidths.size(); ++l)
            if (WiderThan(p.LineWidths[l], Limit)) wider.call<void>("push", double(l));
        out.set("gaps", gaps);
        out.set("wider", wider);
        out.set("status", WiderLinesText(p.LineWidths, Limit));
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

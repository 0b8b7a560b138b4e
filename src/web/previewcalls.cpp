// The page's Text Preview: the picture and its marks, all the core's.
#include <algorithm>

#include "font/textlayout.h"
#include "page.h"
#include "picture/textpreview.h"

int TPage::PreviewEdit(int At, int Removed, const std::u16string& Inserted) {
    preview_.Replace(std::size_t(std::max(At, 0)), std::size_t(std::max(Removed, 0)), Inserted);
    return int(preview_.Size());
}

val TPage::PreviewText(int Limit, int First, int Count, int Left, int Columns) {
    return Guarded([&] {
        val out = val::object();
        if (!picture_) return out;
        const TTextLayout layout(session_.Glyphs(), session_.CodePage());
        const std::vector<std::int64_t>& widths = preview_.Widths(layout);
        // Only the lines in view are decoded and drawn.
        const std::size_t first = std::min(std::size_t(std::max(First, 0)), widths.size());
        TTextPreviewPicture p = PreviewPicture(
            session_.Font().Font(), session_.Palette(), layout,
            preview_.Lines(first, std::size_t(std::max(Count, 0))), 0, SIZE_MAX, Left, Columns);
        p.First = first;
        for (TPreviewGap& g : p.Gaps) g.Line += first;
        // The whole text's size, and the lines First .. First + Count - 1 drawn.
        out.set("width",
                double(widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end())));
        out.set("lines", double(widths.size()));
        out.set("lineHeight", session_.Height());
        out.set("first", double(p.First));
        out.set("left", double(p.Left));
        out.set("drawnWidth", p.Width);
        out.set("drawnHeight", p.Height);
        // A view of the pixels, no copy: a fresh megabyte costs more than
        // drawing it. Valid until the next call.
        previewRgba_ = std::move(p.Rgba);
        out.set("rgba",
                val(emscripten::typed_memory_view(previewRgba_.size(), previewRgba_.data())));
        std::vector<double> gaps;
        for (const TPreviewGap& g : p.Gaps)
            gaps.insert(gaps.end(), {double(g.Line), double(g.X), double(g.Width)});
        // The wider lines drawn, to be marked; the status counts them all.
        std::vector<std::int32_t> wider;
        const std::size_t drawn = std::min(widths.size() - first, std::size_t(std::max(Count, 0)));
        for (std::size_t l = first; l < first + drawn; ++l)
            if (WiderThan(widths[l], Limit)) wider.push_back(std::int32_t(l));
        out.set("gaps", TypedArray("Float64Array", gaps));
        out.set("wider", TypedArray("Int32Array", wider));
        out.set("status", WiderLinesText(widths, Limit));
        return out;
    });
}

int TPage::PreviewCharAt(int X, int Y) const {
    const int height = session_.Height();
    if (height <= 0 || Y < 0) return -1;
    const std::optional<char32_t> c =
        ::PreviewCharAt(TTextLayout(session_.Glyphs(), session_.CodePage()),
                        preview_.Lines(std::size_t(Y / height), 1), height, X, Y % height);
    return c ? int(*c) : -1;
}

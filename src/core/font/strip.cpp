#include "font/strip.h"

#include <algorithm>

TStripGeometry::TStripGeometry(std::span<const TCharEntry> Chars, std::int32_t Width)
    : width_(std::max(Width, 0)) {
    for (const TCharEntry& e : Chars) {
        chars_.push_back(e.X);
        codes_.push_back(e.Code);
        if (e.X >= 0 && e.X < width_) xs_.push_back(e.X);
    }
    std::sort(xs_.begin(), xs_.end());
    xs_.erase(std::unique(xs_.begin(), xs_.end()), xs_.end());
    firstAt_.assign(xs_.size(), -1);
    for (std::size_t i = Chars.size(); i-- > 0;) {
        const auto at = std::lower_bound(xs_.begin(), xs_.end(), Chars[i].X);
        if (at != xs_.end() && *at == Chars[i].X) firstAt_[std::size_t(at - xs_.begin())] = int(i);
    }
}

TGlyphExtent TStripGeometry::Extent(std::size_t Index) const {
    if (Index >= chars_.size()) return {};
    const std::int32_t x = chars_[Index];
    if (x < 0 || x >= width_) return {};
    const auto next = std::upper_bound(xs_.begin(), xs_.end(), x);
    return {x, next == xs_.end() ? width_ : *next};
}

int TStripGeometry::EntryAt(std::int32_t X) const {
    if (X < 0 || X >= width_) return -1;
    const auto after = std::upper_bound(xs_.begin(), xs_.end(), X);
    return after == xs_.begin() ? -1 : firstAt_[std::size_t(after - xs_.begin()) - 1];
}

TGlyphExtent TStripGeometry::ColumnsAt(std::int32_t X) const {
    if (X < 0 || X >= width_) return {};
    const auto after = std::upper_bound(xs_.begin(), xs_.end(), X);
    return {after == xs_.begin() ? 0 : *(after - 1), after == xs_.end() ? width_ : *after};
}

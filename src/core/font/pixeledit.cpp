#include "font/pixeledit.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "base/bytes.h"

namespace {

std::size_t Offset(const TPixelGrid& g, std::int64_t x, std::int64_t y) {
    return std::size_t(y) * std::size_t(g.Width) + std::size_t(x);
}

void Put(TPixelGrid& g, std::size_t at, std::uint16_t v) {
    if (g.BytesPerPixel == 2)
        PutU16(g.Data + 2 * at, v);
    else
        g.Data[at] = std::uint8_t(v);
}

std::uint16_t At(const TPixelGrid& g, std::size_t at) {
    return g.BytesPerPixel == 2 ? GetU16(g.Data + 2 * at) : g.Data[at];
}

// Room for More elements past those a vector holds, growing as push_back
// would, so that many rows noted one after another cost no more than pixels.
template <class T>
void Room(std::vector<T>& V, std::size_t More) {
    if (V.capacity() - V.size() < More) V.reserve(std::max(V.size() + More, 2 * V.capacity()));
}

}  // namespace

void TPixelDelta::Note(TPixelGrid& Grid, std::int32_t X, std::int32_t Y, std::uint16_t Value) {
    const std::size_t at = Offset(Grid, X, Y);
    const std::uint16_t diff = std::uint16_t(At(Grid, at) ^ Value);
    // Both notes first: a failed one leaves the pixel and the delta as they were.
    at_.push_back(std::uint32_t(at));
    try {
        diff_.push_back(diff);
    } catch (...) {
        at_.pop_back();
        throw;
    }
    Put(Grid, at, Value);
    Grow(X, Y);
}

void TPixelDelta::SetRow(TPixelGrid& Grid, std::int32_t X, std::int32_t Y,
                         const std::uint16_t* Values, std::int32_t Count) {
    // Room for the whole row first: then no note can fail halfway along it.
    Room(at_, std::size_t(Count)), Room(diff_, std::size_t(Count));
    const std::size_t base = Offset(Grid, X, Y), held = at_.size();
    at_.resize(held + std::size_t(Count)), diff_.resize(held + std::size_t(Count));
    std::uint32_t* const ats = at_.data() + held;
    std::uint16_t* const diffs = diff_.data() + held;
    std::size_t noted = 0;
    std::int32_t first = -1, last = -1;
    const auto row = [&](auto get, auto put) {
        for (std::int32_t i = 0; i < Count; ++i) {
            const std::size_t at = base + std::size_t(i);
            const std::uint16_t old = get(at);
            if (old == Values[i]) continue;
            ats[noted] = std::uint32_t(at), diffs[noted++] = std::uint16_t(old ^ Values[i]);
            put(at, Values[i]);
            if (first < 0) first = i;
            last = i;
        }
    };
    std::uint8_t* const data = Grid.Data;
    if (Grid.BytesPerPixel == 2)
        row([data](std::size_t at) { return GetU16(data + 2 * at); },
            [data](std::size_t at, std::uint16_t v) { PutU16(data + 2 * at, v); });
    else
        row([data](std::size_t at) { return std::uint16_t(data[at]); },
            [data](std::size_t at, std::uint16_t v) { data[at] = std::uint8_t(v); });
    at_.resize(held + noted), diff_.resize(held + noted);
    if (first >= 0) Grow(X + first, Y), Grow(X + last, Y);
}

void TPixelDelta::Grow(std::int32_t x, std::int32_t y) {
    if (bounds_.Empty()) {
        bounds_ = {x, y, x + 1, y + 1};
    } else {
        bounds_.Left = std::min(bounds_.Left, x), bounds_.Right = std::max(bounds_.Right, x + 1);
        bounds_.Top = std::min(bounds_.Top, y), bounds_.Bottom = std::max(bounds_.Bottom, y + 1);
    }
}

void TPixelDelta::Toggle(TPixelGrid& Grid) const noexcept {
    std::uint8_t* const data = Grid.Data;
    if (Grid.BytesPerPixel == 2) {
        for (std::size_t i = 0; i < at_.size(); ++i)
            PutU16(data + 2 * at_[i], std::uint16_t(GetU16(data + 2 * at_[i]) ^ diff_[i]));
    } else {
        for (std::size_t i = 0; i < at_.size(); ++i) data[at_[i]] ^= std::uint8_t(diff_[i]);
    }
}

std::vector<TPixelRect> TPixelDelta::Differing(const TPixelDelta& Other, std::int32_t Width) const {
    // Offset and difference in one key: after sorting, a pixel's notes of
    // both deltas lie together, and they cancel when their differences do.
    std::vector<std::uint64_t> notes;
    notes.reserve(at_.size() + Other.at_.size());
    for (const TPixelDelta* d : {this, &Other})
        for (std::size_t i = 0; i < d->at_.size(); ++i)
            notes.push_back(std::uint64_t(d->at_[i]) << 16 | d->diff_[i]);
    std::sort(notes.begin(), notes.end());
    std::vector<TPixelRect> runs;
    std::size_t open = 0;  // the first run that may still grow downwards
    const auto add = [&](std::uint64_t at) {
        const auto x = std::int32_t(at % std::uint64_t(Width));
        const auto y = std::int32_t(at / std::uint64_t(Width));
        if (!runs.empty() && runs.back().Bottom == y + 1 && runs.back().Right == x) {
            ++runs.back().Right;
            return;
        }
        runs.push_back({x, y, x + 1, y + 1});
    };
    for (std::size_t i = 0; i < notes.size();) {
        const std::uint64_t at = notes[i] >> 16;
        std::uint16_t diff = 0;
        for (; i < notes.size() && notes[i] >> 16 == at; ++i) diff ^= std::uint16_t(notes[i]);
        if (diff) add(at);
    }
    // Runs of the same columns on adjacent rows become one rectangle.
    std::vector<TPixelRect> joined;
    joined.reserve(runs.size());
    for (const TPixelRect& r : runs) {
        while (open < joined.size() && joined[open].Bottom < r.Top) ++open;
        auto same = std::find_if(
            joined.begin() + std::ptrdiff_t(open), joined.end(), [&](const TPixelRect& j) {
                return j.Bottom == r.Top && j.Left == r.Left && j.Right == r.Right;
            });
        if (same != joined.end())
            same->Bottom = r.Bottom;
        else
            joined.push_back(r);
    }
    return joined;
}

std::size_t TPixelDelta::MemoryBytes() const {
    return sizeof *this + at_.capacity() * sizeof at_[0] + diff_.capacity() * sizeof diff_[0];
}

void PaintLine(TPixelGrid& Grid, std::int32_t X0, std::int32_t Y0, std::int32_t X1, std::int32_t Y1,
               std::uint16_t Value, TPixelDelta& Delta) {
    WalkLine(Grid.Width, Grid.Height, X0, Y0, X1, Y1,
             [&](std::int64_t X, std::int64_t Y) { Delta.Set(Grid, X, Y, Value); });
}

void FillArea(TPixelGrid& Grid, std::int32_t X, std::int32_t Y, std::int32_t Begin,
              std::int32_t End, std::uint16_t Value, TPixelDelta& Delta) {
    Begin = std::max(Begin, 0), End = std::min(End, Grid.Width);
    if (!Grid.Contains(X, Y) || X < Begin || X >= End) return;
    const std::uint16_t old = Grid.Get(X, Y);
    if (old == Value) return;
    // Runs of the old value, row by row: each seed fills its whole run and
    // seeds the runs above and below it.
    std::vector<std::pair<std::int32_t, std::int32_t>> seeds{{X, Y}};
    while (!seeds.empty()) {
        const auto [x, y] = seeds.back();
        seeds.pop_back();
        if (Grid.Get(x, y) != old) continue;
        std::int32_t left = x, right = x;
        while (left > Begin && Grid.Get(left - 1, y) == old) --left;
        while (right + 1 < End && Grid.Get(right + 1, y) == old) ++right;
        for (std::int32_t c = left; c <= right; ++c) Delta.Set(Grid, c, y, Value);
        for (const std::int32_t row : {y - 1, y + 1}) {
            if (row < 0 || row >= Grid.Height) continue;
            for (std::int32_t c = left; c <= right; ++c)
                if (Grid.Get(c, row) == old && (c == left || Grid.Get(c - 1, row) != old))
                    seeds.emplace_back(c, row);
        }
    }
}

namespace {
// Columns Begin .. End - 1 cut to the grid; false when none is left.
bool Columns(const TPixelGrid& g, std::int32_t& Begin, std::int32_t& End) {
    Begin = std::max(Begin, 0), End = std::min(End, g.Width);
    return Begin < End && g.Height > 0;
}
}  // namespace

void FlipColumns(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, TPixelDelta& Delta) {
    if (!Columns(Grid, Begin, End)) return;
    for (std::int32_t y = 0; y < Grid.Height; ++y)
        for (std::int32_t a = Begin, b = End - 1; a < b; ++a, --b) {
            const std::uint16_t left = Grid.Get(a, y), right = Grid.Get(b, y);
            Delta.Set(Grid, a, y, right);
            Delta.Set(Grid, b, y, left);
        }
}

void FlipRows(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, TPixelDelta& Delta) {
    if (!Columns(Grid, Begin, End)) return;
    for (std::int32_t a = 0, b = Grid.Height - 1; a < b; ++a, --b)
        for (std::int32_t x = Begin; x < End; ++x) {
            const std::uint16_t top = Grid.Get(x, a), bottom = Grid.Get(x, b);
            Delta.Set(Grid, x, a, bottom);
            Delta.Set(Grid, x, b, top);
        }
}

void ShiftPixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, int Dx, int Dy,
                 std::uint16_t Background, TPixelDelta& Delta) {
    if (!Columns(Grid, Begin, End)) return;
    // Each pixel takes its source's value before the source is written: a
    // move towards lower coordinates runs upwards, the other way downwards.
    const bool up = Dx < 0 || Dy < 0;
    const std::int32_t rows = Grid.Height;
    for (std::int32_t j = 0; j < rows; ++j) {
        const std::int32_t y = up ? j : rows - 1 - j, fromY = y - Dy;
        if (fromY < 0 || fromY >= rows) {
            for (std::int32_t x = Begin; x < End; ++x) Delta.Set(Grid, x, y, Background);
            continue;
        }
        if (Dx == 0) {
            for (std::int32_t x = Begin; x < End; ++x) Delta.Set(Grid, x, y, Grid.Get(x, fromY));
            continue;
        }
        for (std::int32_t i = 0; i < End - Begin; ++i) {
            const std::int32_t x = up ? Begin + i : End - 1 - i, fromX = x - Dx;
            Delta.Set(Grid, x, y,
                      fromX >= Begin && fromX < End ? Grid.Get(fromX, fromY) : Background);
        }
    }
}

void PastePixels(TPixelGrid& Grid, std::int32_t Begin, std::int32_t End, const TPixelGrid& Source,
                 TPixelDelta& Delta) {
    if (!Columns(Grid, Begin, End)) return;
    const std::int32_t w = std::min(End - Begin, Source.Width);
    const std::int32_t h = std::min(Grid.Height, Source.Height);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) Delta.Set(Grid, Begin + x, y, Source.Get(x, y));
}

void TPixelDelta::Write(Bytes& Out) const {
    AppendLe(Out, at_.size(), 4);
    for (std::size_t i = 0; i < at_.size(); ++i) {
        AppendLe(Out, at_[i], 4);
        AppendLe(Out, diff_[i], 2);
    }
}

bool TPixelDelta::Read(ByteSource& In, std::int32_t Width, std::int32_t Height, int BytesPerPixel) {
    *this = TPixelDelta();
    std::uint64_t n = 0;
    // Six bytes a pixel: nothing is reserved that the source can't hold.
    if (!ReadLe(In, n, 4) || n > In.Left() / 6) return false;
    const std::uint64_t pixels = std::uint64_t(Width) * std::uint64_t(Height);
    at_.reserve(std::size_t(n));
    diff_.reserve(std::size_t(n));
    for (std::uint64_t i = 0; i < n; ++i) {
        std::uint64_t at = 0, diff = 0;
        if (!ReadLe(In, at, 4) || !ReadLe(In, diff, 2) || at >= pixels ||
            (BytesPerPixel == 1 && diff > 0xFF)) {
            *this = TPixelDelta();
            return false;
        }
        at_.push_back(std::uint32_t(at));
        diff_.push_back(std::uint16_t(diff));
        Grow(std::int32_t(at % std::uint64_t(Width)), std::int32_t(at / std::uint64_t(Width)));
    }
    return true;
}

// The drawing tools but the pencil: a line or a rectangle drawn on the strip
// as it is dragged and kept as one step on release; the pixel selection,
// whose pixels move on the strip until the move is kept or put back.
#include <algorithm>
#include <new>

#include "base/errors.h"
#include "session/display.h"
#include "session/session.h"

const char* ToolName(TTool Tool) {
    switch (Tool) {
        case TTool::Pencil:
            return "Pencil";
        case TTool::Line:
            return "Line";
        case TTool::Rectangle:
            return "Rectangle";
        case TTool::FilledRectangle:
            return "Filled Rectangle";
        case TTool::Select:
            return "Select";
    }
    return "";
}

namespace {

// The most notes of a shape dragged whose changed pixels are looked for.
constexpr std::size_t kFewNotes = 8192;

TSessionChange PixelsIn(TPixelRect Area) {
    TSessionChange change;
    change.Kind = TSessionChange::TKind::Pixels;
    change.Area = Area;
    return change;
}

}  // namespace

TMirror TEditSession::MirrorAt(int X) const {
    if (!mirror_) return {};
    const TGlyphExtent g = glyphs_.ColumnsAt(X);
    return {g.Begin, g.End};
}

void TEditSession::Settle() {
    Release();
    KeepPick();
    pick_.reset();
}

void TEditSession::KeepPick() {
    if (!pick_) return;
    TPick& p = *pick_;
    TPick kept;
    kept.Frame = p.Frame;
    TPixelDelta moved;
    if (p.Cleared) {
        // One step, as if the pixels had gone there at once.
        TPixelGrid grid = font_.Grid();
        p.Moved.Toggle(grid);
        p.Cleared->Toggle(grid);
        try {
            moved = Recorded(grid, [&](TPixelDelta& d) {
                PutBlock(grid, p.From, p.ClearedWith, *p.Block, p.Frame.Left, p.Frame.Top, d);
            });
        } catch (const std::bad_alloc&) {
            *pick_ = std::move(kept);
            throw EToolkitError(kNoMemoryForStep);
        }
    }
    const char* name = p.Name;
    // The frame stays where the pixels went, to be lifted afresh.
    *pick_ = std::move(kept);
    if (!moved.Empty()) Keep(TEditStep(name, std::move(moved)), -1);
}

TSessionChange TEditSession::SetTool(TTool Tool) {
    Settle();
    tool_ = Tool;
    return {};
}

TSessionChange TEditSession::PressTool(int X, int Y, bool Right, bool Shift) {
    if (tool_ != TTool::Select) {
        shape_ = TShape{};
        shape_->X = X, shape_->Y = Y;
        shape_->Value = colors_[Right];
        shape_->Mirror = MirrorAt(X);
        return DragTool(X, Y, Shift);
    }
    // A press in the frame drags its pixels; elsewhere it keeps any move
    // and begins another frame.
    if (pick_ && !pick_->Marking && Inside(pick_->Frame, X, Y)) {
        Lift();
        pick_->Dragging = true;
        pick_->PressX = X, pick_->PressY = Y;
        pick_->FrameX = pick_->Frame.Left, pick_->FrameY = pick_->Frame.Top;
        return {};
    }
    Settle();
    pick_ = TPick{};
    pick_->Marking = true;
    pick_->PressX = X, pick_->PressY = Y;
    pick_->Frame = {X, Y, X + 1, Y + 1};
    return {};
}

TSessionChange TEditSession::DragTool(int X, int Y, bool Shift) {
    TPixelGrid grid = font_.Grid();
    if (pick_) {
        if (pick_->Marking) {
            const int x = std::clamp(X, 0, grid.Width - 1), y = std::clamp(Y, 0, grid.Height - 1);
            pick_->Frame = Spanned(pick_->PressX, pick_->PressY, x, y);
            return {};
        }
        if (!pick_->Dragging) return {};
        return MoveBlock(std::int64_t(pick_->FrameX) + X - pick_->PressX,
                         std::int64_t(pick_->FrameY) + Y - pick_->PressY);
    }
    if (!shape_) return {};
    TShape& s = *shape_;
    const std::pair<std::int32_t, std::int32_t> end = !Shift ? std::pair{X, Y}
                                                      : tool_ == TTool::Line
                                                          ? SnapLineEnd(s.X, s.Y, X, Y)
                                                          : SquareEnd(s.X, s.Y, X, Y);
    const std::int32_t x = end.first, y = end.second;
    // The shape as it was goes, and the one to X, Y is drawn afresh.
    s.Drawn.Toggle(grid);
    const TPixelDelta was = std::move(s.Drawn);
    s.Drawn = TPixelDelta();
    try {
        s.Drawn = Recorded(grid, [&](TPixelDelta& d) {
            if (tool_ == TTool::Line)
                DrawLine(grid, s.Mirror, s.X, s.Y, x, y, s.Value, d);
            else
                DrawRectangle(grid, s.Mirror, s.X, s.Y, x, y, tool_ == TTool::FilledRectangle,
                              s.Value, d);
        });
    } catch (const std::bad_alloc&) {
        shape_.reset();
        throw EToolkitError(kNoMemoryForStep);
    }
    TSessionChange change = PixelsIn(Joined(was.Bounds(), s.Drawn.Bounds()));
    // A line or a frame moves a few pixels of its whole: those alone are
    // shown again. A filled shape's would cost more to find than to show.
    if (was.Count() + s.Drawn.Count() <= kFewNotes) {
        change.Parts = was.Differing(s.Drawn, grid.Width);
        if (change.Parts.empty()) return {};
    }
    return change;
}

TSessionChange TEditSession::ReleaseTool() {
    if (pick_) {
        pick_->Marking = pick_->Dragging = false;
        return {};
    }
    if (!shape_) return {};
    TPixelDelta drawn = std::move(shape_->Drawn);
    shape_.reset();
    return Pixels(drawn.Empty()
                      ? std::nullopt
                      : std::optional<TEditStep>(TEditStep(ToolName(tool_), std::move(drawn))));
}

void TEditSession::Lift() {
    if (!pick_ || pick_->Block) return;
    const TPixelGrid grid = font_.Grid();
    pick_->From = Within(pick_->Frame, grid);
    pick_->Block = LiftBlock(grid, pick_->From);
    pick_->Shown = pick_->From == pick_->Frame;
}

TSessionChange TEditSession::MoveBlock(std::int64_t X, std::int64_t Y) {
    TPick& p = *pick_;
    TPixelGrid grid = font_.Grid();
    // Frames far past the strip stop where no pixel of theirs lands.
    X = std::clamp<std::int64_t>(X, -std::int64_t(p.Block->Width), grid.Width);
    Y = std::clamp<std::int64_t>(Y, -std::int64_t(p.Block->Height), grid.Height);
    const TPixelRect area = p.Area(), was = Within(p.Frame, grid);
    bool cleared = false;
    p.Moved.Toggle(grid);
    p.Moved.Clear();
    try {
        // Where the pixels were is cleared once (again for another
        // background); each move puts down only the pixels.
        if (p.Cleared && p.ClearedWith != colors_[1]) p.Cleared->Toggle(grid), p.Cleared.reset();
        if (!p.Cleared) {
            cleared = true;
            p.Cleared = Recorded(grid, [&](TPixelDelta& d) {
                PutBlock(grid, p.From, colors_[1], TPixelBlock{}, 0, 0, d);
            });
            p.ClearedWith = colors_[1];
        }
        PutBlock(grid, {}, colors_[1], *p.Block, X, Y, p.Moved);
    } catch (const std::bad_alloc&) {
        p.Moved.Toggle(grid);
        if (p.Cleared) p.Cleared->Toggle(grid);
        pick_.reset();
        throw EToolkitError(kNoMemoryForStep);
    }
    const TPixelRect from = p.Shown && was == p.Frame ? was : TPixelRect{};
    p.Frame = {std::int32_t(X), std::int32_t(Y), std::int32_t(X + p.Block->Width),
               std::int32_t(Y + p.Block->Height)};
    p.Shown = true;
    TSessionChange change = PixelsIn(Joined(area, p.Area()));
    if (!from.Empty() && Within(p.Frame, grid) == p.Frame)
        change.Shift = {from, std::int32_t(X - from.Left), std::int32_t(Y - from.Top)};
    // Where the pixels were lifted from changes only when cleared; else
    // only where they were and where they are.
    for (const TPixelRect r : {was, Within(p.Frame, grid), cleared ? p.From : TPixelRect{}})
        if (!r.Empty()) change.Parts.push_back(r);
    return change;
}

TSessionChange TEditSession::Nudge(int Dx, int Dy) {
    if (!pick_ || Stroking()) return {};
    Lift();
    return MoveBlock(std::int64_t(pick_->Frame.Left) + Dx, std::int64_t(pick_->Frame.Top) + Dy);
}

TSessionChange TEditSession::KeepMove() {
    if (!pick_ || Stroking()) return {};
    Settle();
    return {};
}

TSessionChange TEditSession::DropMove() {
    if (!pick_ || Stroking()) return {};
    TPixelGrid grid = font_.Grid();
    const TPixelRect area = pick_->Area();
    pick_->Moved.Toggle(grid);
    if (pick_->Cleared) pick_->Cleared->Toggle(grid);
    pick_.reset();
    return PixelsIn(area);
}

TSessionChange TEditSession::ClearPixels() {
    if (!pick_ || Stroking()) return {};
    KeepPick();
    TPixelGrid grid = font_.Grid();
    const TPixelRect in = Within(pick_->Frame, grid);
    const TPixelBlock none;
    std::optional<TPixelDelta> cleared;
    try {
        cleared =
            Recorded(grid, [&](TPixelDelta& d) { PutBlock(grid, in, colors_[1], none, 0, 0, d); });
    } catch (const std::bad_alloc&) {
        throw EToolkitError(kNoMemoryForStep);
    }
    return Pixels(cleared->Empty()
                      ? std::nullopt
                      : std::optional<TEditStep>(TEditStep("Clear Pixels", std::move(*cleared))));
}

TSessionChange TEditSession::Pasted(const TPixelGrid& Source) {
    const TPixelRect frame = pick_->Frame;
    pick_ = TPick{};
    pick_->Name = "Paste Glyph";
    pick_->Frame = frame;
    TPixelBlock block;
    block.Width = Source.Width, block.Height = Source.Height;
    for (std::int32_t y = 0; y < Source.Height; ++y)
        for (std::int32_t x = 0; x < Source.Width; ++x) block.Values.push_back(Source.Get(x, y));
    pick_->Block = std::move(block);
    return MoveBlock(frame.Left, frame.Top);
}

TPixelRect TEditSession::CopyArea() const {
    const TPixelGrid grid{font_.Font().Width, Height(), Bits() / 8, nullptr};
    if (pick_) return Within(pick_->Frame, grid);
    const TGlyphExtent g = Glyph(current_);
    return Within({g.Begin, 0, g.End, Height()}, grid);
}

std::pair<std::int32_t, std::int32_t> TEditSession::PasteRoom() const {
    if (pick_) {
        const TPixelRect f = pick_->Frame;
        return {std::max(0, font_.Font().Width - std::max(f.Left, 0)),
                std::max(0, Height() - std::max(f.Top, 0))};
    }
    std::int32_t widest = 0;
    for (const TGlyphExtent& g : SelectedGlyphs()) widest = std::max(widest, g.End - g.Begin);
    return {widest, Height()};
}

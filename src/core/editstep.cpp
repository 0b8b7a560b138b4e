#include "editstep.h"

#include <utility>

#include "stripcolumns.h"

TEditStep::TEditStep(const char* Name, TPixelDelta Pixels)
    : name_(Name), pixels_(std::move(Pixels)) {
    bytes_ = sizeof *this + pixels_.MemoryBytes() - sizeof pixels_;
}

TEditStep::TEditStep(const char* Name, TFontBody Before, const TEditedFont& After)
    : name_(Name), other_(std::make_unique<TFontBody>(std::move(Before))) {
    bytes_ = sizeof *this + sizeof *other_ + other_->Table.capacity() * sizeof(TCharEntry) +
             other_->Ranges.capacity() * sizeof(TRange);
    // A strip replaced keeps both strips alive while the step is held.
    if (other_->Pixels.data() != After.Font().Pixels.data())
        bytes_ += other_->Pixels.size() + After.Font().Pixels.size();
}

TEditStep::TEditStep(const char* Name, TColumnChange Change, TFontBody Before)
    : name_(Name),
      other_(std::make_unique<TFontBody>(std::move(Before))),
      columns_(std::make_unique<TColumnChange>(std::move(Change))) {
    other_->Pixels = SharedBytes();  // the strip is made anew from the columns
    bytes_ = sizeof *this + sizeof *other_ + sizeof *columns_ +
             other_->Table.capacity() * sizeof(TCharEntry) +
             other_->Ranges.capacity() * sizeof(TRange) + columns_->Columns.capacity();
}

void TEditStep::Toggle(TEditedFont& Font) {
    if (columns_) {
        const TColumnChange& c = *columns_;
        const TPixelGrid grid = Font.Grid();
        // Undone, an insertion takes its columns out again, and the other way round.
        const bool insert = c.Insert != done_;
        SharedBytes pixels(insert ? InsertColumns(grid, c.At, c.Width, c.Columns, c.Fill)
                                  : RemoveColumns(grid, c.At, c.Width));
        TFontBody now = Font.Body();
        now.Pixels = SharedBytes();
        TFontBody next = std::move(*other_);
        next.Pixels = std::move(pixels);
        next.Width = grid.Width + (insert ? c.Width : -c.Width);
        next.Height = grid.Height;
        Font.SetBody(std::move(next));
        *other_ = std::move(now);
        done_ = !done_;
        return;
    }
    if (!other_) {
        TPixelGrid grid = Font.Grid();
        pixels_.Toggle(grid);
        return;
    }
    TFontBody now = Font.Body();
    Font.SetBody(std::move(*other_));
    *other_ = std::move(now);
}

std::size_t StepsToDrop(std::span<const std::size_t> Sizes, std::size_t Bound) {
    std::size_t total = 0, keep = 0;
    // From the newest back, as long as they fit; the newest fits always.
    for (auto it = Sizes.rbegin(); it != Sizes.rend(); ++it, ++keep) {
        if (keep > 0 && (total > Bound || *it > Bound - total)) break;
        total += *it;
    }
    return Sizes.size() - keep;
}

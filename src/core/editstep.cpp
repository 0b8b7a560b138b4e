#include "editstep.h"

#include <utility>

TEditStep::TEditStep(std::string Name, TPixelDelta Pixels)
    : name_(std::move(Name)), pixels_(std::move(Pixels)) {
    bytes_ = sizeof *this + name_.capacity() + pixels_.MemoryBytes() - sizeof pixels_;
}

TEditStep::TEditStep(std::string Name, TFontBody Before, const TEditedFont& After)
    : name_(std::move(Name)), other_(std::make_unique<TFontBody>(std::move(Before))) {
    bytes_ = sizeof *this + name_.capacity() + sizeof *other_ +
             other_->Table.capacity() * sizeof(TCharEntry) +
             other_->Ranges.capacity() * sizeof(TRange);
    // A strip replaced keeps both strips alive while the step is held.
    if (other_->Pixels.data() != After.Font().Pixels.data())
        bytes_ += other_->Pixels.size() + After.Font().Pixels.size();
}

void TEditStep::Toggle(TEditedFont& Font) {
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

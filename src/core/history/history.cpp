#include "history/history.h"

#include <algorithm>
#include <new>

std::size_t TEditHistory::Push(TEditedFont& Font, TEditStep Step) {
    try {
        auto step = std::make_unique<TEditStep>(std::move(Step));
        steps_.reserve(done_ + 1);
        for (std::size_t i = done_; i < steps_.size(); ++i) bytes_ -= steps_[i]->MemoryBytes();
        steps_.resize(done_);
        if (clean_ > std::ptrdiff_t(done_)) clean_ = -1;  // the clean state was undone and is gone
        bytes_ += step->MemoryBytes();
        steps_.push_back(std::move(step));
        ++done_;
    } catch (const std::bad_alloc&) {
        Step.Toggle(Font);
        throw EToolkitError(kNoMemoryForStep);
    }
    if (bytes_ <= bound_) return 0;
    std::vector<std::size_t> sizes;
    for (const auto& s : steps_) sizes.push_back(s->MemoryBytes());
    const std::size_t drop = StepsToDrop(sizes, bound_);
    for (std::size_t i = 0; i < drop; ++i) bytes_ -= steps_[i]->MemoryBytes();
    steps_.erase(steps_.begin(), steps_.begin() + std::ptrdiff_t(drop));
    done_ -= drop;
    clean_ = clean_ >= std::ptrdiff_t(drop) ? clean_ - std::ptrdiff_t(drop) : -1;
    return drop;
}

void TEditHistory::Restore(std::vector<TEditStep> Steps, std::size_t Done, std::ptrdiff_t Clean) {
    Clear();
    for (TEditStep& s : Steps) {
        bytes_ += s.MemoryBytes();
        steps_.push_back(std::make_unique<TEditStep>(std::move(s)));
    }
    done_ = std::min(Done, steps_.size());
    clean_ = Clean;
}

std::vector<const TEditStep*> TEditHistory::Steps() const {
    std::vector<const TEditStep*> out;
    for (const auto& s : steps_) out.push_back(s.get());
    return out;
}

const TEditStep* TEditHistory::Undo(TEditedFont& Font) {
    if (done_ == 0) return nullptr;
    TEditStep& step = *steps_[done_ - 1];
    step.Toggle(Font);
    --done_;
    return &step;
}

const TEditStep* TEditHistory::Redo(TEditedFont& Font) {
    if (done_ == steps_.size()) return nullptr;
    TEditStep& step = *steps_[done_];
    step.Toggle(Font);
    ++done_;
    return &step;
}

std::string TEditHistory::UndoName() const { return done_ ? steps_[done_ - 1]->Name() : ""; }
std::string TEditHistory::RedoName() const {
    return done_ < steps_.size() ? steps_[done_]->Name() : "";
}

void TEditHistory::Clear() {
    steps_.clear();
    done_ = 0;
    clean_ = 0;
    bytes_ = 0;
}

// A font's history without a toolkit: every change one step, pushed once the
// font holds it, undone and redone in turn, the oldest steps let go when the
// history would hold more than its bound.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "edit/editstep.h"

class TEditHistory {
public:
    explicit TEditHistory(std::size_t Bound = kHistoryBound) : bound_(Bound) {}

    // Takes a step that Font holds already, dropping the undone ones; the
    // number of the oldest steps let go for the bound. When its record can't
    // be kept, the step is undone and EToolkitError kNoMemoryForStep thrown.
    std::size_t Push(TEditedFont& Font, TEditStep Step);
    // A history kept elsewhere (a recovery journal's): Done of Steps done,
    // the font clean at Clean steps done (-1: never).
    void Restore(std::vector<TEditStep> Steps, std::size_t Done, std::ptrdiff_t Clean);
    // The steps' records as they stand, oldest first.
    std::vector<const TEditStep*> Steps() const;
    std::ptrdiff_t CleanAt() const { return clean_; }
    // The step undone or redone on Font, or null when there is none.
    const TEditStep* Undo(TEditedFont& Font);
    const TEditStep* Redo(TEditedFont& Font);
    // The names of the steps Undo and Redo would take; empty for none.
    std::string UndoName() const;
    std::string RedoName() const;
    // Another font, or one just saved: the font as it stands is clean.
    void Clear();
    void SetClean() { clean_ = std::ptrdiff_t(done_); }
    // No state the history reaches is the file's any more.
    void ForgetClean() { clean_ = -1; }
    bool IsClean() const { return clean_ == std::ptrdiff_t(done_); }
    std::size_t Count() const { return steps_.size(); }
    std::size_t Done() const { return done_; }
    std::size_t MemoryBytes() const { return bytes_; }
    std::size_t Bound() const { return bound_; }
    // The step pushed last; there must be one.
    const TEditStep& Newest() const { return *steps_.back(); }

private:
    std::size_t bound_;
    std::vector<std::unique_ptr<TEditStep>> steps_;  // oldest first
    std::size_t done_ = 0;
    std::ptrdiff_t clean_ = 0;  // steps done when the font was clean; -1 when let go
    std::size_t bytes_ = 0;
};

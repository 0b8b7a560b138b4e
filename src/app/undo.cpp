#include "undo.h"

#include <QAction>
#include <memory>
#include <new>
#include <vector>

// A step as a command of the stack. Its first redo is the push, which finds
// the step done already.
class TUndoHistory::TCommand final : public QUndoCommand {
public:
    TCommand(TUndoHistory& History, std::shared_ptr<TEditStep> Step)
        : QUndoCommand(History.Text(Step->Name())), history_(History), step_(std::move(Step)) {
        history_.bytes_ += step_->MemoryBytes();
    }
    ~TCommand() override { history_.bytes_ -= step_->MemoryBytes(); }
    void undo() override { Toggle(); }
    void redo() override {
        if (!std::exchange(pushed_, false)) Toggle();
    }
    const std::shared_ptr<TEditStep>& Step() const { return step_; }

private:
    void Toggle() {
        step_->Toggle(history_.font_);
        emit history_.Toggled(*step_);
    }
    TUndoHistory& history_;
    std::shared_ptr<TEditStep> step_;
    bool pushed_ = true;
};

TUndoHistory::TUndoHistory(TEditedFont& Font, std::size_t Bound, QObject* Parent)
    : QObject(Parent), font_(Font), bound_(Bound) {
    connect(&stack_, &QUndoStack::cleanChanged, this, &TUndoHistory::CleanChanged);
}

void TUndoHistory::Push(TEditStep Step) {
    std::shared_ptr<TEditStep> step;
    try {
        step = std::make_shared<TEditStep>(std::move(Step));
        stack_.push(new TCommand(*this, step));
    } catch (const std::bad_alloc&) {
        if (step) {
            step->Toggle(font_);
            emit Toggled(*step);
        } else {
            Step.Toggle(font_);
            emit Toggled(Step);
        }
        throw EToolkitError(kNoMemoryForStep);
    }
    emit Pushed(*step);
    Trim();
}

void TUndoHistory::Undo() {
    if (!stack_.canUndo()) return;
    stack_.undo();
    emit Undone();
}

void TUndoHistory::Redo() {
    if (!stack_.canRedo()) return;
    stack_.redo();
    emit Redone();
}

void TUndoHistory::Clear() {
    stack_.clear();
    // An empty stack is left as it was, cleared or not: made clean here.
    stack_.setClean();
    emit Cleared();
}

void TUndoHistory::Restore(std::vector<TEditStep> Steps, std::size_t Done, std::ptrdiff_t Clean) {
    stack_.clear();
    for (std::size_t i = 0; i < Steps.size(); ++i) {
        // Pushed done, as the stack takes a step; the undone ones undone after.
        if (i >= Done) Steps[i].Toggle(font_);
        stack_.push(new TCommand(*this, std::make_shared<TEditStep>(std::move(Steps[i]))));
        if (Clean == std::ptrdiff_t(i) + 1) stack_.setClean();
    }
    if (Clean < 0) stack_.resetClean();
    while (std::size_t(stack_.index()) > Done) stack_.undo();
}

std::vector<const TEditStep*> TUndoHistory::Steps() const {
    std::vector<const TEditStep*> steps;
    for (int i = 0; i < stack_.count(); ++i) steps.push_back(&StepAt(i));
    return steps;
}

const TEditStep& TUndoHistory::StepAt(int Index) const {
    return *static_cast<const TCommand*>(stack_.command(Index))->Step();
}

const QString& TUndoHistory::Text(const std::string& Name) {
    auto at = texts_.find(Name);
    if (at == texts_.end()) at = texts_.emplace(Name, QString::fromStdString(Name)).first;
    return at->second;
}

void TUndoHistory::Trim() {
    if (bytes_ <= bound_) return;
    std::vector<std::size_t> sizes;
    for (int i = 0; i < stack_.count(); ++i) sizes.push_back(StepAt(i).MemoryBytes());
    const auto drop = int(StepsToDrop(sizes, bound_));
    if (drop == 0) return;
    // The stack drops only from the bottom by a count fixed while it is empty;
    // so it is built again from the steps kept, none of them done again.
    std::vector<std::shared_ptr<TEditStep>> kept;
    for (int i = drop; i < stack_.count(); ++i)
        kept.push_back(static_cast<const TCommand*>(stack_.command(i))->Step());
    const int clean = stack_.cleanIndex();
    stack_.clear();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        stack_.push(new TCommand(*this, kept[i]));
        if (clean == drop + int(i) + 1) stack_.setClean();
    }
    // The state last saved went with the steps dropped: no undo reaches it.
    if (clean < drop) stack_.resetClean();
    emit Dropped(std::size_t(drop));
}

void TUndoHistory::Bind(QAction* Undo, QAction* Redo) {
    const auto bind = [](QAction* action, const QString& name) {
        return [action, name](const QString& step) {
            action->setText(step.isEmpty() ? name : name + ' ' + step);
        };
    };
    connect(&stack_, &QUndoStack::undoTextChanged, Undo, bind(Undo, QStringLiteral("&Undo")));
    connect(&stack_, &QUndoStack::redoTextChanged, Redo, bind(Redo, QStringLiteral("&Redo")));
    connect(&stack_, &QUndoStack::canUndoChanged, Undo, &QAction::setEnabled);
    connect(&stack_, &QUndoStack::canRedoChanged, Redo, &QAction::setEnabled);
    Undo->setEnabled(stack_.canUndo());
    Redo->setEnabled(stack_.canRedo());
}

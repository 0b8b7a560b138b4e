// The font's history on Qt's undo stack. Every change is one step, pushed
// once the font holds it; undo and redo toggle it, and the oldest steps go
// when the history would hold more than its bound.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "editstep.h"

class QAction;

class TUndoHistory final : public QObject {
    Q_OBJECT
public:
    explicit TUndoHistory(TEditedFont& Font, std::size_t Bound = kHistoryBound,
                          QObject* Parent = nullptr);

    const QUndoStack& Stack() const { return stack_; }
    // Takes a step that the font holds already. When the step's record can't
    // be kept, the step is undone and EToolkitError kNoMemoryForStep thrown.
    void Push(TEditStep Step);
    void Undo();
    void Redo();
    // Another font: an empty history, as saved.
    void Clear();
    // A history read back: the font holds the first Done of Steps; Clean
    // is where it was saved, -1 for nowhere the history reaches.
    void Restore(std::vector<TEditStep> Steps, std::size_t Done, std::ptrdiff_t Clean);
    // The steps, oldest first; how many are done; where it was saved (-1 none).
    std::vector<const TEditStep*> Steps() const;
    std::size_t Done() const { return std::size_t(stack_.index()); }
    std::ptrdiff_t CleanIndex() const { return stack_.cleanIndex(); }
    void SetClean() { stack_.setClean(); }
    // No state the history reaches is the file's any more.
    void ResetClean() { stack_.resetClean(); }
    bool IsClean() const { return stack_.isClean(); }
    // What the steps hold, as they count it.
    std::size_t MemoryBytes() const { return bytes_; }
    std::size_t Bound() const { return bound_; }
    // Keeps the two commands' texts ("Undo Pencil") and enabled states.
    void Bind(QAction* Undo, QAction* Redo);

signals:
    // A step was undone or redone; the font holds the result.
    void Toggled(const TEditStep& Step);
    void CleanChanged(bool Clean);
    // What the history did, for its journal: a step taken (the font holds
    // it), one undone or redone, the Count oldest let go, all of it gone.
    void Pushed(const TEditStep& Step);
    void Undone();
    void Redone();
    void Dropped(std::size_t Count);
    void Cleared();

private:
    class TCommand;
    const TEditStep& StepAt(int Index) const;
    // The step's name for the commands: one text shared by all of that name.
    const QString& Text(const std::string& Name);
    void Trim();

    TEditedFont& font_;
    std::size_t bound_;
    std::size_t bytes_ = 0;
    std::map<std::string, QString> texts_;  // of the commands on the stack, which goes first
    QUndoStack stack_;
};

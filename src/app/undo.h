// The font's history on Qt's undo stack. Every change is one step, pushed
// once the font holds it; undo and redo toggle it, and the oldest steps go
// when the history would hold more than its bound.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <cstddef>
#include <map>
#include <string>

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
    void Undo() { stack_.undo(); }
    void Redo() { stack_.redo(); }
    // Another font: an empty history, as saved.
    void Clear() { stack_.clear(); }
    void SetClean() { stack_.setClean(); }
    bool IsClean() const { return stack_.isClean(); }
    // What the steps hold, as they count it.
    std::size_t MemoryBytes() const { return bytes_; }
    // Keeps the two commands' texts ("Undo Pencil") and enabled states.
    void Bind(QAction* Undo, QAction* Redo);

signals:
    // A step was undone or redone; the font holds the result.
    void Toggled(const TEditStep& Step);
    void CleanChanged(bool Clean);

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

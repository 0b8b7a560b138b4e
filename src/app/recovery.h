// Recovery: each window's unsaved history kept in a journal as it is made,
// and at start-up the journals of windows that are no longer running
// offered back: Recover, Discard or Not Now.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "fileio.h"
#include "journal.h"
#include "messages.h"

class TUndoHistory;

// Where the journals are kept: recovery/ in the user's data folder.
QString RecoveryFolder();

// The journal of one window's font, following its history.
class TRecovery final : public QObject {
    Q_OBJECT
public:
    TRecovery(TEditedFont& Font, TUndoHistory& History, IUserInterface& UI,
              QObject* Parent = nullptr);
    // Removes the journal: the window closes as the user chose.
    ~TRecovery() override;

    // The font's file as it is now is what its history starts from: after
    // opening, saving or reading it again. A journal, no longer needed while
    // nothing is unsaved, goes; the next change starts one afresh.
    void Saved();
    // The history read back from Journal, left by a window that is gone:
    // its journal is now this window's.
    void Adopt(const QString& Journal, const TFileStamp& Stamp);
    // The journal being written; empty while there is none.
    QString JournalPath() const;
    // The file as it was when the history started.
    const TFileStamp& Stamp() const { return stamp_; }

private:
    void Changed(const std::function<void()>& Write);
    void Start();
    void Stop();
    void Sync();

    TEditedFont& font_;
    TUndoHistory& history_;
    IUserInterface& ui_;
    TJournalWriter writer_;
    TFileLock lock_;
    QString path_;  // this window's journal, its lock beside it
    TFileStamp stamp_;
    bool failed_ = false;  // until the next save
    bool told_ = false;    // that changes can't be kept
    QTimer sync_;
};

// Hands over a journal's history to a window, with the journal's name.
using TRecover = std::function<void(TJournalHistory History, const QString& Journal)>;

// Asks about every journal in the recovery folder whose window is no longer
// running (its lock is free): the font's file and folder, when it was last
// changed and how many changes. Recover hands the history over, Discard
// removes it, Not Now keeps it for the next start, its lock held in Kept
// meanwhile so that no other window asks about it. One that can't be read
// is moved aside with a message naming it.
void OfferRecovery(IUserInterface& UI, const TRecover& Recover,
                   std::vector<std::unique_ptr<TFileLock>>& Kept);
// Recovers one journal the user chose in another window's start-up.
void RecoverJournal(IUserInterface& UI, const QString& Journal, const TRecover& Recover);

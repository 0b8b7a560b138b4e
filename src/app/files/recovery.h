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

#include "base/fileio.h"
#include "history/journal.h"
#include "session/session.h"
#include "ui/userinterface.h"

// Where the journals are kept: recovery/ in the user's data folder.
QString RecoveryFolder();

// The journal of one window's session, in a file of the recovery folder.
class TRecovery final : public QObject, public IJournalSink {
    Q_OBJECT
public:
    TRecovery(TEditSession& Session, IUserInterface& UI, QObject* Parent = nullptr);
    // Removes the journal: the window closes as the user chose.
    ~TRecovery() override;

    // The session's journal. Begin and Append write whole records; End: the
    // font's file as it is now is what its history starts from (after
    // opening, saving or reading it again), so the journal, no longer
    // needed while nothing is unsaved, goes; the next change starts one.
    void Begin(const TWrite& Write) override;
    void Append(ByteSpan Record) override;
    void End() override;
    // The file as it was when the history started.
    TFileStamp Stamp() const override { return stamp_; }

    // The history read back from a journal left by a window that is gone:
    // first its file's stamp, then, once the session has begun this
    // window's journal with it, the old journal goes.
    void Adopting(const TFileStamp& Stamp) { stamp_ = Stamp; }
    void Adopted(const QString& Journal);
    // The journal being written; empty while there is none.
    QString JournalPath() const;

private:
    // Runs a write; a failure stops the journal until the next save.
    void Writing(const std::function<void()>& Write);
    void Stop();
    void Sync();

    TEditSession& session_;
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

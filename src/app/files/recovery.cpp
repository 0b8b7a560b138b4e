#include "files/recovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

std::string Local(const QString& Path) { return QFile::encodeName(Path).toStdString(); }

QString LockOf(const QString& Journal) {
    return Journal.left(Journal.size() - qsizetype(sizeof ".journal") + 1) + ".lock";
}

QString NameOf(const std::string& Path) {
    return QFileInfo(QFile::decodeName(Path.c_str())).fileName();
}

// Syncs run one at a time on a pool thread; the flag says one is running.
using TSyncFlag = std::atomic<bool>;

}  // namespace

QString RecoveryFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

TRecovery::TRecovery(TEditSession& Session, IUserInterface& UI, QObject* Parent)
    : QObject(Parent), session_(Session), ui_(UI) {
    // A power cut loses at most this much.
    sync_.setInterval(2000);
    sync_.setSingleShot(true);
    connect(&sync_, &QTimer::timeout, this, &TRecovery::Sync);
    Session.SetJournal(this);
}

// The window's session is gone by now: only the file is let go of.
TRecovery::~TRecovery() { Stop(); }

QString TRecovery::JournalPath() const { return writer_.Started() ? path_ : QString(); }

void TRecovery::End() {
    Stop();
    stamp_ = StampOf(session_.Font().Path());
    failed_ = false;
}

void TRecovery::Adopted(const QString& Journal) {
    // The old journal goes only once this one holds its history.
    if (writer_.Started()) QFile::remove(Journal);
}

void TRecovery::Begin(const TWrite& Write) {
    Writing([&] {
        if (path_.isEmpty()) {
            QDir().mkpath(RecoveryFolder());
            path_ = QStringLiteral("%1/%2.journal")
                        .arg(RecoveryFolder())
                        .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        }
        // Taken before the journal exists, so that no start-up takes it for one left behind.
        errno = 0;
        if (!lock_.Held() && !lock_.Take(Local(LockOf(path_)), true))
            throw EToolkitError(Local(LockOf(path_)) + ": " + std::strerror(errno));
        writer_.Begin(Local(path_), Write);
    });
}

void TRecovery::Append(ByteSpan Record) {
    Writing([&] { writer_.Append(Record); });
}

void TRecovery::Writing(const std::function<void()>& Write) {
    if (failed_) return;
    try {
        Write();
        if (!sync_.isActive()) sync_.start();
    } catch (const std::exception& e) {
        // What is on the disk ends on a whole record and stays until the
        // window closes; editing goes on without it.
        failed_ = true;
        writer_.Stop(false);
        if (std::exchange(told_, true)) return;
        ui_.ShowMessage(QStringLiteral("Changes to %1 can't be kept for recovery: %2. "
                                       "Editing and saving go on.")
                            .arg(NameOf(session_.Font().Path()), QString::fromLocal8Bit(e.what())),
                        TMsgKind::Warning);
    }
}

void TRecovery::Stop() {
    sync_.stop();
    writer_.Stop(false);
    if (path_.isEmpty()) return;
    QFile::remove(path_);
    lock_.Release(true);
    path_.clear();
}

void TRecovery::Sync() {
    const std::shared_ptr<TAppendFile> file = writer_.File();
    if (!file) return;
    static TSyncFlag running{false};
    if (running.exchange(true)) return sync_.start();  // a slow disk: the next round
    QThreadPool::globalInstance()->start([file] {
        try {
            file->Sync();
        } catch (const EToolkitError&) {
            // A failing disk fails the next write too, which says so.
        }
        running = false;
    });
}

namespace {

// Journal's history, its lock taken: false when its window runs, it is gone,
// or it can't be read (moved aside, with a message) or holds no change.
bool Examine(IUserInterface& UI, const QString& Journal, TFileLock& Lock,
             TJournalHistory& History) {
    // Held: its window is running, in this process or another.
    if (!Lock.Take(Local(LockOf(Journal)), true)) return false;
    if (!QFileInfo::exists(Journal)) {
        Lock.Release(true);
        return false;
    }
    try {
        History = ReadJournal(Local(Journal));
    } catch (const std::exception& e) {
        const QString aside = Journal + QStringLiteral(".unreadable");
        const bool moved = QFile::rename(Journal, aside);
        UI.ShowMessage(QStringLiteral("The recovery journal %1 can't be read: %2. %3")
                           .arg(Journal, QString::fromLocal8Bit(e.what()),
                                moved ? QStringLiteral("It was moved to %1.").arg(aside)
                                      : QStringLiteral("It could not be moved aside and stays.")),
                       TMsgKind::Warning);
        Lock.Release(moved);
        return false;
    }
    // Undone back to the file as saved: nothing to recover.
    if (History.Changes() > 0) return true;
    QFile::remove(Journal);
    Lock.Release(true);
    return false;
}

}  // namespace

void OfferRecovery(IUserInterface& UI, const TRecover& Recover,
                   std::vector<std::unique_ptr<TFileLock>>& Kept) {
    const QDir dir(RecoveryFolder());
    const QFileInfoList journals =
        dir.entryInfoList({QStringLiteral("*.journal")}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : journals) {
        const QString journal = info.absoluteFilePath();
        auto lock = std::make_unique<TFileLock>();
        TJournalHistory history;
        if (!Examine(UI, journal, *lock, history)) continue;
        const QFileInfo font(QFile::decodeName(history.Font.Path().c_str()));
        const QString text =
            QStringLiteral(
                "Quillmere stopped before changes to %1 were saved.\n\nFolder: %2\n"
                "Last changed: %3\nChanges: %4%5\n\nRecover them?")
                .arg(font.fileName(), QDir::toNativeSeparators(font.absolutePath()),
                     QLocale().toString(info.lastModified(), QLocale::ShortFormat))
                .arg(history.Changes())
                .arg(history.Torn ? QStringLiteral(" (the last, cut short, is left out)")
                                  : QString());
        switch (UI.AskChoice(text, {QStringLiteral("&Recover"), QStringLiteral("&Discard"),
                                    QStringLiteral("&Not Now")})) {
            case 0:
                Recover(std::move(history), journal);
                lock->Release(!QFileInfo::exists(journal));
                break;
            case 1:
                QFile::remove(journal);
                lock->Release(true);
                break;
            default:
                Kept.push_back(std::move(lock));
        }
    }
}

void RecoverJournal(IUserInterface& UI, const QString& Journal, const TRecover& Recover) {
    TFileLock lock;
    TJournalHistory history;
    // The window that asked lets go of it as it starts this one.
    for (int tries = 0; tries < 30 && !lock.Take(Local(LockOf(Journal)), false); ++tries)
        QThread::msleep(100);
    lock.Release(false);
    if (!Examine(UI, Journal, lock, history)) return;
    Recover(std::move(history), Journal);
    lock.Release(!QFileInfo::exists(Journal));
}

#include "files/filewatch.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <utility>

TFileWatch::TFileWatch(QWidget& Window, IUserInterface& UI, std::function<bool()> Modified)
    : QObject(&Window), ui_(UI), modified_(std::move(Modified)) {
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &TFileWatch::Check);
    settle_.setInterval(kSettleMs);
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, &TFileWatch::Settled);
    Window.installEventFilter(this);
}

void TFileWatch::Watch(const std::string& Path, const TFileStamp& Known) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    path_ = Path;
    known_ = asked_ = Known;
    settle_.stop();
    if (!Path.empty()) watcher_.addPath(QFile::decodeName(Path.c_str()));
}

bool TFileWatch::ChangedOnDisk() const { return !path_.empty() && StampOf(path_) != known_; }

bool TFileWatch::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::WindowActivate) Check();
    return QObject::eventFilter(Watched, Event);
}

void TFileWatch::Check() {
    if (path_.empty() || asking_) return;
    const QString path = QFile::decodeName(path_.c_str());
    // A file replaced by another is no longer watched; its successor is.
    if (!watcher_.files().contains(path) && QFileInfo::exists(path)) watcher_.addPath(path);
    const TFileStamp now = StampOf(path_);
    if (now == known_ || now == asked_) return settle_.stop();
    // Asked once it is still: each further change starts the wait over.
    if (settle_.isActive() && now == pending_) return;
    pending_ = now;
    settle_.start();
}

void TFileWatch::Settled() {
    if (StampOf(path_) == pending_)
        Ask();
    else
        Check();
}

void TFileWatch::Ask() {
    const QString name = QFileInfo(QFile::decodeName(path_.c_str())).fileName();
    asking_ = true;
    if (pending_.Size < 0) {
        asked_ = pending_;
        ui_.ShowMessage(QStringLiteral("%1 was removed or renamed by another program. The font "
                                       "stays open; Save writes it again.")
                            .arg(name),
                        TMsgKind::Warning);
        asking_ = false;
        return emit KeepMineChosen();
    }
    const QString aside = modified_() ? QStringLiteral(
                                            " Your unsaved changes would be set aside; "
                                            "Undo brings them back.")
                                      : QString();
    const int answer = ui_.AskChoice(
        QStringLiteral("%1 has been changed by another program. Reload it?%2").arg(name, aside),
        {QStringLiteral("&Reload"), QStringLiteral("&Keep Mine")});
    asking_ = false;
    // The answer is for the file as it is now, written further while asked or not.
    asked_ = StampOf(path_);
    if (answer == 0)
        emit ReloadChosen();
    else
        emit KeepMineChosen();
}

// Noticing when another program changes, replaces or removes the open font's
// file: a file system watch, and a check of the file's size, time and
// identity when it fires and when the window is activated. A change is asked
// about once the file has been still for a moment, so that a program writing
// it in place is asked about once, when it is done.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

#include "base/fileio.h"
#include "ui/userinterface.h"

class QWidget;

class TFileWatch final : public QObject {
    Q_OBJECT
public:
    // Modified tells whether the font has unsaved changes.
    TFileWatch(QWidget& Window, IUserInterface& UI, std::function<bool()> Modified);

    // The window's font is the file at Path, as Known was taken of it when
    // it was opened or last saved.
    void Watch(const std::string& Path, const TFileStamp& Known);
    void Watch(const std::string& Path) { Watch(Path, StampOf(Path)); }
    // Whether the file is no longer as it was opened or last saved.
    bool ChangedOnDisk() const;
    // Asks Reload or Keep Mine once for each change found, once the file
    // has kept its size and time for kSettleMs; the answer covers the file
    // as it is when given.
    void Check();

    static constexpr int kSettleMs = 400;

signals:
    void ReloadChosen();
    void KeepMineChosen();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Settled();
    void Ask();

    IUserInterface& ui_;
    std::function<bool()> modified_;
    QFileSystemWatcher watcher_;
    std::string path_;
    TFileStamp known_, asked_;
    TFileStamp pending_;  // the change waited on
    QTimer settle_;
    bool asking_ = false;
};

#include "files/recent.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {
const char* const kRecentKey = "file/recent";
}  // namespace

TRecentFiles::TRecentFiles(QMenu& Menu, IUserInterface& UI, QObject* Parent)
    : QObject(Parent), menu_(Menu), ui_(UI) {
    Fill();
}

QStringList TRecentFiles::Files() const {
    QStringList files = QSettings().value(kRecentKey).toStringList();
    files.removeAll(QString());
    return files.mid(0, kMax);
}

void TRecentFiles::Add(const QString& Path) {
    QStringList files = Files();
    files.removeAll(Path);
    files.prepend(Path);
    Store(files);
}

void TRecentFiles::Store(const QStringList& Files) {
    QSettings().setValue(kRecentKey, Files.mid(0, kMax));
    Fill();
}

void TRecentFiles::Fill() {
    // An entry may be the one whose handler runs now: it goes later.
    for (QAction* old : menu_.actions()) {
        menu_.removeAction(old);
        old->deleteLater();
    }
    const QStringList files = Files();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        // "&1 name" for the first nine, as the keys reach them.
        const QString key = i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QStringLiteral("1&0 ");
        QAction* item = menu_.addAction(key + QFileInfo(path).fileName());
        item->setToolTip(QDir::toNativeSeparators(path));
        item->setStatusTip(item->toolTip());
        connect(item, &QAction::triggered, this, [this, path] {
            if (QFileInfo(path).isFile()) return emit Chosen(path);
            QStringList left = Files();
            left.removeAll(path);
            Store(left);
            ui_.ShowMessage(QStringLiteral("%1 is no longer there; it was taken off the list.")
                                .arg(QDir::toNativeSeparators(path)),
                            TMsgKind::Warning);
        });
    }
    menu_.addSeparator();
    QAction* clear = menu_.addAction(QStringLiteral("&Clear Recent"));
    clear->setEnabled(!files.isEmpty());
    connect(clear, &QAction::triggered, this, [this] { Store({}); });
}

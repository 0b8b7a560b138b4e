#include "views/codepagechoice.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// The page chosen for each font, by its file name; none kept is Unicode.
const QString kCodePageGroup = QStringLiteral("codepage/");

}  // namespace

std::string TCodePageChoice::FileName() const {
    return QFileInfo(QFile::decodeName(session_.Font().Path().c_str())).fileName().toStdString();
}

bool TCodePageChoice::Follow() {
    const std::string name = FileName();
    if (keptFor_ == name) return false;
    keptFor_ = name;
    const std::string was = session_.CodePage().Name();
    const QVariant kept = name.empty()
                              ? QVariant()
                              : QSettings().value(kCodePageGroup + QString::fromStdString(name));
    // A name no page has any more (settings edited by hand) is Unicode.
    session_.SetCodePage(FindCodePage(kept.toString().toStdString()).value_or(TCodePageMap()));
    return session_.CodePage().Name() != was;
}

void TCodePageChoice::Chosen() {
    keptFor_ = FileName();
    Keep();
}

void TCodePageChoice::Saved() {
    const std::string name = FileName();
    if (keptFor_ && *keptFor_ != name) {
        keptFor_ = name;
        Keep();
    }
}

void TCodePageChoice::Keep() {
    if (keptFor_->empty()) return;
    const QString key = kCodePageGroup + QString::fromStdString(*keptFor_);
    if (session_.CodePage().Unicode())
        QSettings().remove(key);
    else
        QSettings().setValue(key, QString::fromStdString(session_.CodePage().Name()));
}

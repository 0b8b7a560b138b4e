#include "views/drawingaids.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "text/charcode.h"
#include "views/scrollbox.h"

namespace {

// The rows set for each font, by its file name: "cap,x,base".
const QString kGuidesGroup = QStringLiteral("guides/");

}  // namespace

TDrawingAids::TDrawingAids(const TEditSession& Session, IUserInterface& UI, TScrollBox& View,
                           QAction& Guides, QObject* Parent)
    : QObject(Parent), session_(Session), ui_(UI), view_(View), guides_(Guides) {}

std::string TDrawingAids::FileName() const {
    return QFileInfo(QFile::decodeName(session_.Font().Path().c_str())).fileName().toStdString();
}

void TDrawingAids::ReadKept() {
    const std::string name = FileName();
    if (keptFor_ == name) return;
    keptFor_ = name;
    kept_.reset();
    if (name.empty()) return;
    const QVariant text = QSettings().value(kGuidesGroup + QString::fromStdString(name));
    if (text.isValid()) kept_ = GuideRowsOf(text.toString().toStdString(), session_.Height());
}

TGuideRows TDrawingAids::Rows() {
    ReadKept();
    if (kept_) return *kept_;
    if (stale_) found_ = FindGuides(session_.Font(), session_.Glyphs(), session_.Background());
    stale_ = false;
    return found_;
}

void TDrawingAids::FontChanged() {
    stale_ = true;
    Follow();
}

void TDrawingAids::Saved() {
    const std::string name = FileName();
    if (kept_ && keptFor_ && *keptFor_ != name) {
        keptFor_ = name;
        Keep();
    }
}

void TDrawingAids::Keep() {
    if (keptFor_->empty()) return;
    const QString key = kGuidesGroup + QString::fromStdString(*keptFor_);
    if (kept_)
        QSettings().setValue(key, QString::fromStdString(GuideRowsText(*kept_)));
    else
        QSettings().remove(key);
}

void TDrawingAids::Follow() {
    std::vector<int> lines;
    if (guides_.isChecked() && session_.Height() > 0) {
        const TGuideRows rows = Rows();
        for (const auto& row : {rows.Cap, rows.X, rows.Base})
            if (row) lines.push_back(*row);
    }
    view_.SetGuides(std::move(lines));
    if (!reference_) return view_.SetUnderlay(nullptr, {});
    view_.SetUnderlay(
        [this](int X, int Y, int W, int H, std::uint8_t* Rgba) {
            reference_->DrawUnder(session_.Font(), session_.Palette(), session_.Background(),
                                  session_.Glyph(session_.CurrentRow()), X, Y, W, H, Rgba);
        },
        session_.Glyph(session_.CurrentRow()));
}

void TDrawingAids::AskGuides() {
    TGuideRows rows = Rows();
    switch (ui_.AskGuides(rows, session_.Height())) {
        case TGuidesAnswer::Cancel:
            return;
        case TGuidesAnswer::Set:
            kept_ = rows;
            break;
        case TGuidesAnswer::Reset:
            kept_.reset();
            break;
    }
    Keep();
    guides_.setChecked(true);
    Follow();
}

void TDrawingAids::AskReference() {
    TReferenceChoice choice = choice_;
    const TReferenceAnswer answer = ui_.AskReference(choice);
    if (answer == TReferenceAnswer::Cancel) return;
    if (answer == TReferenceAnswer::None) {
        reference_.reset();
        return Follow();
    }
    try {
        const std::uint32_t code =
            CharacterCodeIn(choice.Text.trimmed().toStdString(), session_.CodePage());
        if (choice.Font.isEmpty()) {
            reference_ = TReferenceGlyph(session_.Font(), code);
        } else {
            const QString name = QFileInfo(choice.Font).fileName();
            TEditedFont other;
            if (!other.Load(QFile::encodeName(choice.Font).toStdString()) ||
                !OpenableDepth(other.BitsPerPixel()))
                throw EFontError(NotAFontText(name.toStdString()));
            reference_ = TReferenceGlyph(other, code, name.toStdString());
        }
    } catch (const EFontError& e) {
        ui_.ShowMessage(QString::fromStdString(e.what()) + QLatin1Char('.'), TMsgKind::Warning);
        return;
    }
    choice_ = choice;
    Follow();
    view_.viewport()->update();  // another reference where the last one was
}
